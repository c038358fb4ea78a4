#include "send_or_report.h"

#include "call_record.h"
#include "messages.h"
#include "notifier.h"

bool canOrReport(QWidget *parent, const PrinterSession &session, SessionAction action, Language language)
{
    if (session.can(action))
        return true;
    notifier::show(parent, messages::missingPiece(session.library(), session.missingExport(action), language));
    return false;
}

QString outcomeStatus(const PrinterTarget &target, const SendOutcome &out, Language language)
{
    if (out.sent && out.job != JobFate::NotFollowed)
        return messages::followedStatus(target, out.name, out.length, out.job, out.withdrawn, language);
    return messages::sendStatus(target, out.name, out.length, out.sent, out.reason, language);
}

namespace {
CallEntry::Outcome recordOutcome(const PrinterTarget &target, const SendOutcome &out)
{
    if (!out.sent)
        return CallEntry::Outcome::Failed;
    switch (out.job) {
    case JobFate::Printed:
        return CallEntry::Outcome::Printed;
    case JobFate::Waiting:
        return out.withdrawn ? CallEntry::Outcome::Withdrawn : CallEntry::Outcome::LeftQueued;
    case JobFate::Failed:
    case JobFate::NotFollowed:
        break;
    }
    return target.isQueue() ? CallEntry::Outcome::Queued : CallEntry::Outcome::Written;
}

// The one place a window's call goes into the record of this run.
void record(const PrinterTarget &target, const QString &name, const Bytes &bytes, CallEntry::Outcome outcome,
            const FailureReason *reason, Language language)
{
    CallEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.target = target.portName + QLatin1Char(' ') + target.printerName;
    entry.name = name;
    entry.bytes = bytes;
    entry.outcome = outcome;
    if (reason)
        entry.reason = messages::reasonLine(*reason, language);
    CallRecord::shared().add(std::move(entry));
}

// The job waits: the user withdraws it or leaves it queued. The withdrawal
// runs on the worker thread, which sent the job and so knows it.
void settleWaitingJob(QWidget *parent, const PrinterSession &session, const QString &what, WaitingJob waiting,
                      Language language, QProgressBar *progressBar, SendOutcome &out)
{
    const PrinterTarget target = session.linkTarget();
    const bool withdraw = notifier::ask(parent, messages::jobWaiting(what, target.printerName, out.reason, language),
                                        waiting == WaitingJob::Withdraw);
    if (!withdraw)
        return;
    CallProgress progress;
    progress.bar = progressBar;
    progress.language = language;
    WithdrawReport withdrawal;
    if (!librarycall::run([&] { withdrawal = session.withdrawWaitingJob(); }, progress))
        return;
    switch (withdrawal.result) {
    case Withdrawal::Withdrawn:
        out.withdrawn = true;
        break;
    case Withdrawal::PrintedMeanwhile:
        out.job = JobFate::Printed;
        out.reason = {};
        break;
    case Withdrawal::NotWithdrawn:
        notifier::show(parent, messages::jobNotWithdrawn(what, target.printerName, withdrawal.refusal, language));
        break;
    }
}
} // namespace

SendOutcome sendFromWindow(QWidget *parent, const PrinterSession &session, const Command &command, const QString &what,
                           Language language, QProgressBar *progressBar, WaitingJob waiting)
{
    SendOutcome out;
    if (!canSendOrReport(parent, session, language))
        return out;
    // What the user reads names the port that is open, where one is.
    const PrinterTarget target = session.linkTarget();

    CallProgress progress;
    progress.bar = progressBar;
    progress.bytes = qint64(command.bytes.size());
    progress.baudRate = target.isSerial() ? target.baudRate : 0;
    progress.language = language;

    SendReport report;
    if (!librarycall::run([&] { report = session.send(command); }, progress))
        return out; // another call is in flight: this one does not start
    static_cast<SendReport &>(out) = report;
    out.name = command.docName ? QString::fromLocal8Bit(command.docName) : what;
    if (out.job == JobFate::Waiting)
        settleWaitingJob(parent, session, what, waiting, language, progressBar, out);
    out.status = outcomeStatus(target, out, language);

    const bool reasoned = !out.sent || out.job == JobFate::Waiting;
    record(target, out.name, command.bytes, recordOutcome(target, out), reasoned ? &out.reason : nullptr, language);
    return out;
}

Message sendFailedMessage(const PrinterTarget &target, const QString &what, const FailureReason &reason,
                          Language language)
{
    Message message = messages::sendFailed(what, reason, language);
    // Sent with no path or device chosen: say how to choose one.
    if (target.kind() == PathKind::None || target.printerName.trimmed().isEmpty())
        message.text += QLatin1Char(' ') + messages::noDevice(target.portName, language).text;
    return message;
}

void recordPortCall(const PrinterTarget &target, const QString &name, bool open, const PortCall &call,
                    Language language)
{
    const CallEntry::Outcome outcome =
        call.result > 0 ? (open ? CallEntry::Outcome::Opened : CallEntry::Outcome::Closed) : CallEntry::Outcome::Failed;
    record(target, name, {}, outcome, call.result > 0 ? nullptr : &call.reason, language);
}
