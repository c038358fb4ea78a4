#include "printer_session.h"

void PrinterSession::choose(PathKind kind, const QString &name)
{
    kind_ = kind;
    name_ = name;
}

void PrinterSession::forgetOpenPort()
{
    portOpen_ = false;
    openedPort_.clear();
    openedRate_ = 0;
}

void PrinterSession::adopt(const PrinterTarget &target)
{
    choose(target.kind(), target.printerName);
    forgetOpenPort();
    if (target.isSerial() && target.baudRate > 0) {
        portOpen_ = true;
        openedPort_ = target.printerName;
        openedRate_ = target.baudRate;
    }
}

PrinterTarget PrinterSession::target() const
{
    return PrinterTarget::of(kind_, name_, openedRate_);
}

PrinterTarget PrinterSession::linkTarget() const
{
    if (kind_ == PathKind::Serial && portOpen_)
        return PrinterTarget::of(kind_, openedPort_, openedRate_);
    return target();
}

bool PrinterSession::ready() const
{
    switch (kind_) {
    case PathKind::Serial:
        return portOpen_;
    case PathKind::Queue:
    case PathKind::Port:
        return true;
    case PathKind::None:
        break;
    }
    return false;
}

const char *PrinterSession::missingExport(SessionAction action) const
{
    switch (action) {
    case SessionAction::Send:
        return lib_.sendBufferToPrint ? nullptr : "SendBufferToPrint";
    case SessionAction::Open:
        return lib_.openComm ? nullptr : "OpenComm";
    case SessionAction::Close:
        return lib_.closeComm ? nullptr : "CloseComm";
    case SessionAction::Query:
        return lib_.queryPrinter ? nullptr : "QueryPrinter";
    case SessionAction::Follow:
        return !lib_.followLastJob ? "FollowLastJob" : !lib_.cancelLastJob ? "CancelLastJob" : nullptr;
    case SessionAction::Withdraw:
        return lib_.cancelLastJob ? nullptr : "CancelLastJob";
    }
    return nullptr;
}

PortCall PrinterSession::open(const QString &port, int baudRate)
{
    PortCall call;
    if (!can(SessionAction::Open)) {
        call.result = 0;
        return call;
    }
    const QByteArray device = port.toLocal8Bit();
    call.result = lib_.openComm(device.constData(), baudRate);
    if (call.result <= 0) {
        call.reason = failureReason(lib_);
        return call;
    }
    portOpen_ = true;
    openedPort_ = port;
    openedRate_ = baudRate;
    return call;
}

PortCall PrinterSession::close(const QString &port)
{
    PortCall call;
    if (!can(SessionAction::Close))
        return call;
    const QByteArray device = port.toLocal8Bit();
    call.result = lib_.closeComm(device.constData());
    if (call.result <= 0)
        call.reason = failureReason(lib_);
    if (call.result != 0)
        forgetOpenPort();
    return call;
}

SendReport PrinterSession::send(const Command &command, bool follow, int followMs) const
{
    SendReport out;
    out.length = command.bytes.size();
    // Sent as chosen, empty names included: the library refuses what it
    // cannot reach, and says why.
    const PrinterTarget to = target();
    FailureReason reason;
    out.status = sendCommand(lib_, to, command, &reason);
    out.reason = reason;
    if (out.status != SendStatus::Sent)
        return out;
    // Followed on the thread that sent it: the library keeps the last job per thread.
    const JobFollow followed = follow ? followLastJob(lib_, to, followMs) : JobFollow{};
    out.job = followed.fate;
    out.sent = followed.fate != JobFate::Failed;
    if (followed.fate == JobFate::Waiting || followed.fate == JobFate::Failed)
        out.reason = followed.reason;
    return out;
}

WithdrawReport PrinterSession::withdrawWaitingJob() const
{
    WithdrawReport out;
    if (withdrawLastJob(lib_, &out.refusal)) {
        out.result = Withdrawal::Withdrawn;
        return out;
    }
    if (out.refusal.code == DRAVIK_ERROR_STOPPED_WHILE_PRINTING) {
        out.result = Withdrawal::StoppedWhilePrinting;
        return out;
    }
    if (!can(SessionAction::Follow))
        return out;
    // A withdrawal fails for a job that printed in the meantime.
    const JobFollow again = followLastJob(lib_, target(), 0);
    if (again.fate == JobFate::Printed) {
        out.result = Withdrawal::PrintedMeanwhile;
        return out;
    }
    out.recheck = again.reason;
    if (again.reason.code == DRAVIK_ERROR_STOPPED_WHILE_PRINTING)
        out.result = Withdrawal::StoppedWhilePrinting;
    return out;
}

PrinterReport PrinterSession::query(const QueryOptions &options) const
{
    return queryPrinter(lib_, linkTarget(), options);
}
