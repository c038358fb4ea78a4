#include "delivery_path.h"

#include <optional>

namespace {

// What becomes of a job still waiting: left queued, or withdrawn (a job the
// printer took meanwhile counts as done, one stopped while the print server
// was handing it on is told as such).
CommandOutcome settleWaitingJob(const PrinterSession &session, const PlanStep &step, const SendReport &report,
                                const DeliveryHooks &hooks)
{
    CommandOutcome out;
    out.report = report;
    out.reason = report.reason;
    const WaitingChoice choice = hooks.waiting          ? hooks.waiting(step, report)
                                 : step.keepWaitingJobs ? WaitingChoice::LeaveQueued
                                                        : WaitingChoice::Withdraw;
    if (choice == WaitingChoice::LeaveQueued) {
        out.end = CommandEnd::LeftQueued;
        return out;
    }
    const WithdrawReport withdrawal = hooks.withdraw ? hooks.withdraw() : session.withdrawWaitingJob();
    switch (withdrawal.result) {
    case Withdrawal::Withdrawn:
        out.end = CommandEnd::Withdrawn;
        out.report.withdrawn = true;
        return out;
    case Withdrawal::PrintedMeanwhile:
        out.end = CommandEnd::Done;
        out.report.job = JobFate::Printed;
        out.reason = {};
        return out;
    case Withdrawal::StoppedWhilePrinting:
        out.end = CommandEnd::StoppedWhilePrinting;
        out.refusal =
            withdrawal.refusal.code == DRAVIK_ERROR_STOPPED_WHILE_PRINTING ? withdrawal.refusal : withdrawal.recheck;
        return out;
    case Withdrawal::NotWithdrawn:
        break;
    }
    out.end = CommandEnd::NotWithdrawn;
    out.refusal = withdrawal.refusal;
    // The second look may say more than the first.
    const QString again = withdrawal.recheck.text;
    if (!again.isEmpty() && again != out.reason.text)
        out.reason.text = out.reason.text.isEmpty() ? again : out.reason.text + QStringLiteral("; ") + again;
    return out;
}

CommandOutcome sendOne(const PrinterSession &session, const PlanStep &step, const Command &command,
                       const DeliveryHooks &hooks)
{
    const SendReport report = hooks.send ? hooks.send(command) : session.send(command);
    if (report.job == JobFate::Waiting && report.status == SendStatus::Sent)
        return settleWaitingJob(session, step, report, hooks);
    CommandOutcome out;
    out.report = report;
    out.end = report.done() ? CommandEnd::Done : CommandEnd::Failed;
    if (!out.done())
        out.reason = report.reason;
    return out;
}

// Whether the printer can print what it took; asked only where the path
// carries answers, and not again in this plan once a question went
// unanswered (a path without answers, a printer that does not answer), so
// such a link costs one wait at the most.
struct PrinterCheck
{
    bool on = false;

    void apply(const PrinterSession &session, const DeliveryHooks &hooks, CommandOutcome &out)
    {
        if (!on || !out.done() || !session.can(SessionAction::Query))
            return;
        const PrinterReport report = hooks.query ? hooks.query() : session.query(afterSendQuery());
        if (report.state != QueryState::Answered) {
            on = false;
            return;
        }
        if (!(report.conditions & printer_status::kNotReady))
            return;
        out.end = CommandEnd::NotReady;
        out.conditions = report.conditions;
    }
};

void runPlan(PrinterSession &session, const std::vector<PlanStep> &plan, const DeliveryHooks &hooks,
             const DeliveryOptions &options, DeliveryResult &result)
{
    const std::vector<std::size_t> order = planOrder(plan, session.isSerial(), options);
    const auto wanted = [&hooks](const PlanStep &step) { return !hooks.wanted || hooks.wanted(step); };
    for (const PlanStep &step : plan)
        result.wanted += wanted(step) ? 1 : 0;
    PrinterCheck check{options.askPrinter};

    for (std::size_t at = 0; at < order.size(); ++at) {
        const PlanStep &step = plan[order[at]];
        // Read just before the step: an earlier step may have changed it.
        if (!wanted(step))
            continue;
        for (std::size_t c = 0; c < step.commands.size(); ++c) {
            const Command &command = step.commands[c];
            CommandOutcome outcome = sendOne(session, step, command, hooks);
            check.apply(session, hooks, outcome);
            if (hooks.commandEnded)
                hooks.commandEnded(step, command, outcome);
            if (outcome.done())
                continue;
            result.stoppedAt = int(order[at]);
            result.stop = outcome;
            result.notSent = int(step.commands.size() - c - 1);
            for (std::size_t later = at + 1; later < order.size(); ++later)
                result.notSent += int(plan[order[later]].commands.size());
            return;
        }
        ++result.done;
        if (hooks.stepDone)
            hooks.stepDone(step);
    }
}

// Ends the run at the command at (a step of plan and a command of it).
void stopRun(DeliveryResult &result, std::size_t step, const CommandOutcome &outcome, int notSent, int behind)
{
    result.stoppedAt = int(step);
    result.stop = outcome;
    result.notSent = notSent;
    result.behind = behind;
    result.behindEnd =
        outcome.end == CommandEnd::Done || outcome.end == CommandEnd::Failed ? CommandEnd::Withdrawn : outcome.end;
}

// The jobs sent after a job that failed would print after it: they are
// withdrawn (with it, gone already).
CommandEnd withdrawBehind(const PrinterSession &session, const DeliveryHooks &hooks)
{
    const WithdrawReport withdrawal = hooks.withdraw ? hooks.withdraw() : session.withdrawWaitingJob();
    switch (withdrawal.result) {
    case Withdrawal::Withdrawn:
    case Withdrawal::PrintedMeanwhile:
        return CommandEnd::Withdrawn;
    case Withdrawal::StoppedWhilePrinting:
        return CommandEnd::StoppedWhilePrinting;
    case Withdrawal::NotWithdrawn:
        break;
    }
    return CommandEnd::NotWithdrawn;
}

// Every command to a print queue back to back, then their jobs followed
// together and told in order, as runPlan tells them one by one.
void runBackToBack(PrinterSession &session, const std::vector<PlanStep> &plan, const DeliveryHooks &hooks,
                   const DeliveryOptions &options, DeliveryResult &result)
{
    struct Sent
    {
        std::size_t step, command;
        SendReport report;
    };
    std::vector<std::size_t> steps;
    int commands = 0;
    for (std::size_t i : planOrder(plan, session.isSerial(), options))
        if (!hooks.wanted || hooks.wanted(plan[i])) {
            steps.push_back(i);
            commands += int(plan[i].commands.size());
        }
    result.wanted = int(steps.size());

    std::vector<Sent> sent;
    std::optional<Sent> refused;
    for (std::size_t i = 0; i < steps.size() && !refused; ++i)
        for (std::size_t c = 0; c < plan[steps[i]].commands.size() && !refused; ++c) {
            const Command &command = plan[steps[i]].commands[c];
            const SendReport report = hooks.sendOnly ? hooks.sendOnly(command) : session.send(command, false);
            (report.status == SendStatus::Sent && report.sent ? sent.emplace_back(Sent{steps[i], c, report})
                                                              : refused.emplace(Sent{steps[i], c, report}));
        }
    const int count = int(sent.size());
    const SentJobsFollow followed = count == 0         ? SentJobsFollow{}
                                    : hooks.followSent ? hooks.followSent(count)
                                                       : followSentJobs(session.library(), count, kJobFollowMs);
    PrinterCheck check{options.askPrinter};
    const auto told = [&](const Sent &at, const CommandOutcome &out) {
        if (hooks.commandEnded)
            hooks.commandEnded(plan[at.step], plan[at.step].commands[at.command], out);
    };
    for (int k = 0; k < count; ++k) {
        const Sent &at = sent[std::size_t(k)];
        const PlanStep &step = plan[at.step];
        CommandOutcome out;
        out.report = at.report;
        if (k < followed.printed) {
            out.report.job = JobFate::Printed;
            if (k + 1 == count && !refused)
                check.apply(session, hooks, out);
        } else if (followed.stop.fate == JobFate::Waiting) {
            out.report.job = JobFate::Waiting;
            out.report.reason = followed.stop.reason;
            out = settleWaitingJob(session, step, out.report, hooks);
        } else {
            out.report.job = JobFate::Failed;
            out.report.sent = false;
            out.report.reason = followed.stop.reason;
            out.end = CommandEnd::Failed;
            out.reason = followed.stop.reason;
        }
        told(at, out);
        const int behind = count - k - 1;
        if (!out.done()) {
            stopRun(result, at.step, out, commands - count, behind);
            if (out.end == CommandEnd::Failed && behind > 0)
                result.behindEnd = withdrawBehind(session, hooks);
            return;
        }
        if (k >= followed.printed && behind > 0) {
            // It printed while being withdrawn: the jobs behind it were
            // withdrawn all the same, before it.
            CommandOutcome next;
            next.report = sent[std::size_t(k) + 1].report;
            next.report.job = JobFate::Waiting;
            next.report.withdrawn = true;
            next.end = CommandEnd::Withdrawn;
            next.reason = followed.stop.reason;
            told(sent[std::size_t(k) + 1], next);
            if (at.command + 1 == step.commands.size()) {
                ++result.done;
                if (hooks.stepDone)
                    hooks.stepDone(step);
            }
            stopRun(result, sent[std::size_t(k) + 1].step, next, commands - count, behind - 1);
            return;
        }
        if (at.command + 1 == step.commands.size()) {
            ++result.done;
            if (hooks.stepDone)
                hooks.stepDone(step);
        }
    }
    if (refused) {
        CommandOutcome out;
        out.report = refused->report;
        out.end = CommandEnd::Failed;
        out.reason = refused->report.reason;
        told(*refused, out);
        stopRun(result, refused->step, out, commands - count - 1, 0);
    }
}

} // namespace

QueryOptions afterSendQuery()
{
    QueryOptions options;
    options.timeoutMs = 500;
    options.identity = false;
    return options;
}

PlanStep settingStep(const SettingCommands &chosen, const QString &name)
{
    PlanStep step;
    step.name = name;
    step.commands = chosen.commands;
    step.changesBaudRate = chosen.setting->key == SettingKey::BaudRate;
    return step;
}

std::vector<std::size_t> planOrder(const std::vector<PlanStep> &plan, bool serialPath, const DeliveryOptions &options)
{
    std::vector<std::size_t> order, last;
    for (std::size_t i = 0; i < plan.size(); ++i)
        (options.baudRateLast && serialPath && plan[i].changesBaudRate ? last : order).push_back(i);
    order.insert(order.end(), last.begin(), last.end());
    return order;
}

SerialRun withSerialOpen(PrinterSession &session, int rate, const std::function<void()> &act)
{
    SerialRun run;
    run.serial = session.isSerial();
    if (!run.serial) {
        act();
        return run;
    }
    run.open = session.open(session.target().printerName, rate);
    if (!run.opened())
        return run;
    act();
    run.close = session.close();
    return run;
}

DeliveryResult deliverPlan(PrinterSession &session, const std::vector<PlanStep> &plan, const DeliveryHooks &hooks,
                           const DeliveryOptions &options)
{
    DeliveryResult result;
    if (options.backToBack && session.isQueue() &&
        (hooks.followSent || followsSentJobs(session.library(), session.target()))) {
        runBackToBack(session, plan, hooks, options, result);
        return result;
    }
    if (!options.openSerial) {
        runPlan(session, plan, hooks, options, result);
        return result;
    }
    result.port = withSerialOpen(session, options.serialRate, [&] { runPlan(session, plan, hooks, options, result); });
    return result;
}
