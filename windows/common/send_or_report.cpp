#include "send_or_report.h"

#include "call_record.h"
#include "messages.h"
#include "notifier.h"

bool canSendOrReport(QWidget *parent, const DravikBinding &lib, Language language)
{
    if (lib.isLoaded() && lib.sendBufferToPrint)
        return true;
    notifier::show(parent, messages::missingPiece(lib, "SendBufferToPrint", language));
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
    return target.portName == QLatin1String("DRIVE") ? CallEntry::Outcome::Queued : CallEntry::Outcome::Written;
}

// The job waits: the user withdraws it or leaves it queued. The withdrawal
// runs on the worker thread, which sent the job and so knows it.
void settleWaitingJob(QWidget *parent, const DravikBinding &lib, const PrinterTarget &target, const QString &what,
                      WaitingJob waiting, Language language, QProgressBar *progressBar, SendOutcome &out)
{
    const bool withdraw = notifier::ask(parent, messages::jobWaiting(what, target.printerName, out.reason, language),
                                        waiting == WaitingJob::Withdraw);
    if (!withdraw)
        return;
    CallProgress progress;
    progress.bar = progressBar;
    progress.language = language;
    bool withdrawn = false;
    FailureReason why;
    if (!librarycall::run([&] { withdrawn = withdrawLastJob(lib, &why); }, progress))
        return;
    out.withdrawn = withdrawn;
    if (!withdrawn)
        notifier::show(parent, messages::jobNotWithdrawn(what, target.printerName, why, language));
}
} // namespace

SendOutcome sendFromWindow(QWidget *parent, const DravikBinding &lib, const PrinterTarget &target,
                           const Command &command, const QString &what, Language language, QProgressBar *progressBar,
                           WaitingJob waiting)
{
    SendOutcome out;
    if (!canSendOrReport(parent, lib, language))
        return out;
    if (target.printerName.trimmed().isEmpty()) {
        // Nothing to send to: never a send "to" an empty name.
        notifier::show(parent, messages::noDevice(target.portName, language));
        return out;
    }

    CallProgress progress;
    progress.bar = progressBar;
    progress.bytes = qint64(command.bytes.size());
    progress.baudRate = target.portName == QLatin1String("COM") ? target.baudRate : 0;
    progress.language = language;

    SendStatus status = SendStatus::NoExport;
    FailureReason reason;
    JobFollow follow;
    if (!librarycall::run(
            [&] {
                status = sendCommand(lib, target, command, &reason);
                // Followed on the thread that sent it: the library keeps the last job per thread.
                if (status == SendStatus::Sent)
                    follow = followLastJob(lib, target);
            },
            progress))
        return out; // another call is in flight: this one does not start
    out.called = status == SendStatus::Sent || status == SendStatus::Failed;
    out.sent = status == SendStatus::Sent && follow.fate != JobFate::Failed;
    out.job = follow.fate;
    out.reason = follow.fate == JobFate::NotFollowed || follow.fate == JobFate::Printed ? reason : follow.reason;

    const QString name = command.docName ? QString::fromLocal8Bit(command.docName) : what;
    out.name = name;
    out.length = command.bytes.size();
    if (out.job == JobFate::Waiting)
        settleWaitingJob(parent, lib, target, what, waiting, language, progressBar, out);
    out.status = outcomeStatus(target, out, language);

    CallEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.target = target.portName + QLatin1Char(' ') + target.printerName;
    entry.name = name;
    entry.bytes = command.bytes;
    entry.outcome = recordOutcome(target, out);
    if (!out.sent || out.job == JobFate::Waiting)
        entry.reason = messages::reasonLine(out.reason, language);
    CallRecord::shared().add(std::move(entry));
    return out;
}
