#include "window_sender.h"

#include "call_record.h"
#include "messages.h"

bool canOrReport(QWidget *parent, const PrinterSession &session, SessionAction action, Language language)
{
    if (session.can(action))
        return true;
    notifier::show(parent, messages::missingPiece(session.library(), session.missingExport(action), language));
    return false;
}

QString outcomeStatus(const PrinterTarget &target, const QString &name, const CommandOutcome &out, Language language)
{
    const SendReport &report = out.report;
    if (out.end == CommandEnd::NotReady)
        return messages::notReadyStatus(target, name, report.length, out.conditions, language);
    if (out.end == CommandEnd::StoppedWhilePrinting)
        return messages::stoppedWhilePrintingStatus(target, name, report.length, language);
    if (report.sent && report.job != JobFate::NotFollowed)
        return messages::followedStatus(target, name, report.length, report.job, report.withdrawn, language);
    return messages::sendStatus(target, name, report.length, report.sent, out.reason, language);
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

namespace {

CallEntry::Outcome recordOutcome(const PrinterTarget &target, const CommandOutcome &out)
{
    switch (out.end) {
    case CommandEnd::Failed:
        return CallEntry::Outcome::Failed;
    case CommandEnd::Withdrawn:
        return CallEntry::Outcome::Withdrawn;
    case CommandEnd::LeftQueued:
    case CommandEnd::NotWithdrawn:
        return CallEntry::Outcome::LeftQueued;
    case CommandEnd::NotReady:
        return CallEntry::Outcome::NotReady;
    case CommandEnd::StoppedWhilePrinting:
        return CallEntry::Outcome::StoppedWhilePrinting;
    case CommandEnd::Done:
        break;
    }
    if (out.report.job == JobFate::Printed)
        return CallEntry::Outcome::Printed;
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

} // namespace

void recordPortCall(const PrinterTarget &target, const QString &name, bool open, const PortCall &call,
                    Language language)
{
    const CallEntry::Outcome outcome =
        call.result > 0 ? (open ? CallEntry::Outcome::Opened : CallEntry::Outcome::Closed) : CallEntry::Outcome::Failed;
    record(target, name, {}, outcome, call.result > 0 ? nullptr : &call.reason, language);
}

QString WindowSender::commandName(const PlanStep &step, const Command &command)
{
    return command.docName ? QString::fromLocal8Bit(command.docName) : step.name;
}

DeliveryResult WindowSender::deliver(const std::vector<PlanStep> &plan, const DeliveryHooks &extra) const
{
    const Language language = lang();
    if (!canOrReport(parent, *session, SessionAction::Send, language)) {
        DeliveryResult nothing; // the stop's report says nothing was called
        nothing.stoppedAt = plan.empty() ? -1 : 0;
        nothing.stop.end = CommandEnd::Failed;
        return nothing;
    }
    // What the user reads names the port that is open, where one is.
    const PrinterTarget shown = session->linkTarget();
    const auto onWorker = [this, language](const std::function<void()> &job, qint64 bytes) {
        CallProgress progress;
        progress.bar = progressBar;
        progress.bytes = bytes;
        const PrinterTarget to = session->target();
        progress.baudRate = to.isSerial() ? to.baudRate : 0;
        progress.language = language;
        return librarycall::run(job, progress);
    };

    DeliveryHooks hooks = extra;
    hooks.send = [&](const Command &command) {
        SendReport report;
        // Another call in flight (a nested event): this one does not start.
        if (!onWorker([&] { report = session->send(command); }, qint64(command.bytes.size())))
            report.status = SendStatus::NoExport;
        return report;
    };
    // The library keeps the last job per thread: the withdrawal runs on the
    // worker thread that sent it.
    hooks.withdraw = [&] {
        WithdrawReport withdrawal;
        onWorker([&] { withdrawal = session->withdrawWaitingJob(); }, 0);
        return withdrawal;
    };
    hooks.waiting = [&](const PlanStep &step, const SendReport &report) {
        const bool withdraw = notifier::ask(
            parent, messages::jobWaiting(step.name, shown.printerName, report.reason, language), !step.keepWaitingJobs);
        return withdraw ? WaitingChoice::Withdraw : WaitingChoice::LeaveQueued;
    };
    bool asked = false;
    PrinterReport answer;
    hooks.commandEnded = [&](const PlanStep &step, const Command &command, const CommandOutcome &out) {
        if (!out.report.called())
            return; // nothing reached the library
        const QString name = commandName(step, command);
        FailureReason reason = out.reason;
        if (out.end == CommandEnd::NotReady)
            reason.text = messages::notReadyConditions(out.conditions, language);
        // The library's account of the stop, after why the job waited.
        if (out.end == CommandEnd::StoppedWhilePrinting) {
            reason.code = DRAVIK_ERROR_STOPPED_WHILE_PRINTING;
            if (!out.refusal.text.isEmpty())
                reason.text =
                    reason.text.isEmpty() ? out.refusal.text : out.refusal.text + QStringLiteral("; ") + reason.text;
        }
        const bool reasoned = out.end != CommandEnd::Done;
        record(shown, name, command.bytes, recordOutcome(shown, out), reasoned ? &reason : nullptr, language);
        const SentCommand sent{shown, name, out};
        show([this, sent] { return sent.status(lang()); });
        if (out.end == CommandEnd::NotWithdrawn)
            notifier::show(parent, messages::jobNotWithdrawn(step.name, shown.printerName, out.refusal, language));
        if (asked) {
            if (printerAnswered)
                printerAnswered(answer);
        } else if (afterSend) {
            afterSend();
        }
        asked = false;
        if (extra.commandEnded)
            extra.commandEnded(step, command, out);
    };
    // The printer is asked after each command it took; the question runs
    // where the send did.
    hooks.query = [&] {
        answer = PrinterReport{};
        if (mayAskPrinter && !mayAskPrinter()) {
            answer.state = QueryState::NoAnswers;
            return answer;
        }
        asked = onWorker([&] { answer = session->query(afterSendQuery()); }, 0);
        return answer;
    };
    DeliveryOptions options;
    options.askPrinter = true;
    return deliverPlan(*session, plan, hooks, options);
}

bool WindowSender::press(const PlanStep &step, const std::function<void(const PlanStep &)> &stepDone) const
{
    DeliveryHooks hooks;
    hooks.stepDone = stepDone;
    const DeliveryResult result = deliver({step}, hooks);
    if (result.stopped() && result.stop.end == CommandEnd::Failed && result.stop.report.called())
        notifier::show(parent, sendFailedMessage(session->target(), step.name, result.stop.reason, lang()));
    return !result.stopped();
}
