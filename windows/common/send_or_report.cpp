#include "send_or_report.h"

#include "call_record.h"
#include "messages.h"
#include "notifier.h"

bool canSendOrReport(QWidget *parent, const DravikBinding &lib, bool chinese)
{
    if (lib.isLoaded() && lib.sendBufferToPrint)
        return true;
    notifier::show(parent, messages::missingPiece(lib, "SendBufferToPrint", chinese));
    return false;
}

SendOutcome sendFromWindow(QWidget *parent, const DravikBinding &lib, const PrinterTarget &target,
                           const Command &command, const QString &what, bool chinese, QProgressBar *progressBar)
{
    SendOutcome out;
    if (!canSendOrReport(parent, lib, chinese))
        return out;

    CallProgress progress;
    progress.bar = progressBar;
    progress.bytes = qint64(command.bytes.size());
    progress.baudRate = target.portName == QLatin1String("COM") ? target.baudRate : 0;
    progress.chinese = chinese;

    SendStatus status = SendStatus::NoExport;
    FailureReason reason;
    if (!librarycall::run([&] { status = sendCommand(lib, target, command, &reason); }, progress))
        return out; // another call is in flight: this one does not start
    out.called = status == SendStatus::Sent || status == SendStatus::Failed;
    out.sent = status == SendStatus::Sent;
    out.reason = reason;

    const QString name = command.docName ? QString::fromLocal8Bit(command.docName) : what;
    out.name = name;
    out.length = command.bytes.size();
    out.status = messages::sendStatus(target, name, command.bytes.size(), out.sent, reason, chinese);

    CallEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.target = target.portName + QLatin1Char(' ') + target.printerName;
    entry.name = name;
    entry.bytes = command.bytes;
    entry.outcome = !out.sent ? CallEntry::Outcome::Failed
                    : target.portName == QLatin1String("DRIVE") ? CallEntry::Outcome::Queued
                                                                : CallEntry::Outcome::Written;
    if (!out.sent)
        entry.reason = messages::reasonLine(reason, chinese);
    CallRecord::shared().add(std::move(entry));
    return out;
}
