#include "delivery.h"

#include "command_listing.h"
#include "printer_session.h"
#include "queue_check.h"
#include "setting_groups.h"
#include "shown_text.h"
#include "status_output.h"
#include "tool_library.h"
#include "tool_text.h"

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <thread>

namespace {

// The library's reason may quote the name it was given: bounded like it.
QString withReason(const QString &what, const QString &reason)
{
    constexpr int kShownReasonChars = 400;
    return reason.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, shownInput(reason, kShownReasonChars));
}

QString describeDoc(const Command &command)
{
    return command.docName ? QStringLiteral("\"%1\"").arg(QLatin1String(command.docName))
                           : Nemboport::tr("(no document name)");
}

void waitForFlash(CliContext &ctx)
{
    QElapsedTimer clock;
    clock.start();
    const int total = qMax(0, ctx.flashWaitMs);
    for (;;) {
        const qint64 done = clock.elapsed();
        if (done >= total)
            break;
        if (ctx.outIsTerminal) {
            ctx.out << '\r'
                    << Nemboport::tr("waiting for the printer to write its flash: %1%").arg(done * 100 / qMax(1, total))
                    << ' ';
            ctx.out.flush();
        }
        QThread::msleep(quint32(qMin<qint64>(100, total - done)));
    }
    if (ctx.outIsTerminal) {
        ctx.out << '\r' << Nemboport::tr("waiting for the printer to write its flash: done") << '\n';
        ctx.out.flush();
    }
}

// How the jobs sent to a print queue are followed.
struct Following
{
    bool on = false;
    int waitMs = 0; // for all of one queue's jobs
    bool keepQueued = false;
};

struct Outcome
{
    bool ok = true;
    QString error;
    QString word = QStringLiteral("failed"); // the queue's outcome in a summary
    CommandEnd end = CommandEnd::Failed;     // how the command that stopped it ended
};

// The tool opens a serial port around its plan, and sends the baud rate last
// there: the printer may take the new rate at once.
DeliveryOptions toolDelivery(std::uint32_t baud)
{
    DeliveryOptions options;
    options.baudRateLast = true;
    options.openSerial = true;
    options.askPrinter = true;
    options.serialRate = int(baud);
    return options;
}

// "printed", "withdrawn", "left queued"...
QString endWord(CommandEnd end)
{
    switch (end) {
    case CommandEnd::Done:
        return QStringLiteral("printed");
    case CommandEnd::Failed:
        return QStringLiteral("failed");
    case CommandEnd::Withdrawn:
        return QStringLiteral("withdrawn");
    case CommandEnd::LeftQueued:
        return QStringLiteral("left queued");
    case CommandEnd::NotWithdrawn:
        return QStringLiteral("still queued (could not be withdrawn)");
    case CommandEnd::NotReady:
        return QStringLiteral("not-ready");
    case CommandEnd::StoppedWhilePrinting:
        return QStringLiteral("stopped-while-printing");
    }
    return {};
}

QString notSent(int remaining)
{
    if (remaining <= 0)
        return {};
    return remaining == 1 ? Nemboport::tr("; the 1 command after it was not sent")
                          : Nemboport::tr("; the %1 commands after it were not sent").arg(remaining);
}

// What became of the jobs sent after the one that stopped a delivery.
QString behindText(const DeliveryResult &result)
{
    if (result.behind <= 0)
        return {};
    const int n = result.behind;
    switch (result.behindEnd) {
    case CommandEnd::Withdrawn:
        return n == 1 ? Nemboport::tr("; the 1 job sent after it was withdrawn")
                      : Nemboport::tr("; the %1 jobs sent after it were withdrawn").arg(n);
    case CommandEnd::StoppedWhilePrinting:
        return n == 1 ? Nemboport::tr("; the 1 job sent after it was stopped too")
                      : Nemboport::tr("; the %1 jobs sent after it were stopped too").arg(n);
    default:
        return n == 1 ? Nemboport::tr("; the 1 job sent after it waits behind it in the queue")
                      : Nemboport::tr("; the %1 jobs sent after it wait behind it in the queue").arg(n);
    }
}

// Why the command that stopped a delivery did not print, with what became of it.
QString stopText(const DeliveryResult &result, const QString &shown, const Command &command, int waitSeconds)
{
    const QString job = describeDoc(command);
    const CommandOutcome &stop = result.stop;
    QString what;
    switch (stop.end) {
    case CommandEnd::Done:
        break;
    case CommandEnd::Failed:
        what = stop.report.status == SendStatus::Sent ? Nemboport::tr("%1: %2 did not print").arg(shown, job)
                                                      : Nemboport::tr("sending %1 to %2 failed").arg(job, shown);
        break;
    case CommandEnd::Withdrawn:
        what = Nemboport::tr("%1: %2 was still waiting after %3 s and was withdrawn").arg(shown, job).arg(waitSeconds);
        break;
    case CommandEnd::LeftQueued:
        what = Nemboport::tr("%1: %2 is still waiting after %3 s and was left queued (--keep-queued): it prints "
                             "when the printer takes it")
                   .arg(shown, job)
                   .arg(waitSeconds);
        break;
    case CommandEnd::NotWithdrawn:
        what = Nemboport::tr("%1: %2 is still waiting after %3 s and could not be withdrawn: it may print later")
                   .arg(shown, job)
                   .arg(waitSeconds);
        break;
    case CommandEnd::NotReady: {
        PrinterReport report;
        report.state = QueryState::Answered;
        report.conditions = stop.conditions & printer_status::kNotReady;
        what = Nemboport::tr("%1: the printer took %2 but reports %3: nothing printed")
                   .arg(shown, job, conditionsText(report));
        break;
    }
    case CommandEnd::StoppedWhilePrinting:
        what = Nemboport::tr("%1: %2 was still being handed to the printer after %3 s and was stopped while "
                             "printing: the printer may have received part or all of it")
                   .arg(shown, job)
                   .arg(waitSeconds);
        break;
    }
    return withReason(what + behindText(result) + notSent(result.notSent), stop.reason.text);
}

// Sends the plan to one device through a session of its own, through the one
// delivery path. Prints nothing, so several of these can run side by side;
// each runs on one thread, as the library follows the calling thread's last
// job.
Outcome deliverTo(const DravikBinding &lib, PathKind kind, const QString &name, std::uint32_t baud, const Plan &plan,
                  const Following &following)
{
    PrinterSession session(lib);
    session.choose(kind, name);
    const QString shown = shownInput(name, kShownPathChars);

    QElapsedTimer clock;
    clock.start();
    const Command *last = nullptr;
    DeliveryHooks hooks;
    // One wait for all of a queue's jobs.
    const auto leftMs = [&] { return int(qMax<qint64>(0, following.waitMs - clock.elapsed())); };
    hooks.send = [&](const Command &command) {
        last = &command;
        return session.send(command, following.on, leftMs());
    };
    // A queue's jobs go out back to back and are followed together.
    hooks.sendOnly = [&](const Command &command) {
        last = &command;
        return session.send(command, false);
    };
    hooks.followSent = [&](int sent) { return followSentJobs(lib, sent, leftMs()); };
    // The command that stopped it (back to back, not the last one sent).
    hooks.commandEnded = [&](const PlanStep &, const Command &command, const CommandOutcome &outcome) {
        if (!outcome.done())
            last = &command;
    };
    hooks.waiting = [&following](const PlanStep &, const SendReport &) {
        return following.keepQueued ? WaitingChoice::LeaveQueued : WaitingChoice::Withdraw;
    };
    DeliveryOptions options = toolDelivery(baud);
    options.backToBack = following.on && followsSentJobs(lib, session.target());
    const DeliveryResult result = deliverPlan(session, plan.steps, hooks, options);

    if (!result.port.opened())
        return {false, serialRunError(result.port, shown)};
    if (result.stopped())
        return {false, stopText(result, shown, *last, following.waitMs / 1000), endWord(result.stop.end),
                result.stop.end};
    if (result.port.closeFailed())
        return {false, serialRunError(result.port, shown)};
    return {true, {}, following.on ? QStringLiteral("printed") : QStringLiteral("sent")};
}

} // namespace

QString serialRunError(const SerialRun &run, const QString &shown)
{
    if (!run.opened())
        return withReason(run.open.result < 0
                              ? Nemboport::tr("cannot open %1: it is missing or held by another program").arg(shown)
                              : Nemboport::tr("cannot open %1").arg(shown),
                          run.open.reason.text);
    if (run.closeFailed())
        return withReason(Nemboport::tr("cannot close %1").arg(shown), run.close.reason.text);
    return {};
}

Plan Plan::of(std::vector<Command> commands)
{
    Plan plan;
    plan.steps.push_back({});
    plan.steps.back().commands = std::move(commands);
    return plan;
}

Plan Plan::of(const SettingChoices &choices, InstructionSet set)
{
    Plan plan;
    for (const SettingCommands &chosen : chosenSettings(choices, set))
        plan.steps.push_back(settingStep(chosen, QLatin1String(chosen.setting->word)));
    const QString note = settingNotes(choices);
    if (!note.isEmpty())
        plan.notes << note;
    return plan;
}

std::vector<Command> Plan::inOrder(bool serialPath) const
{
    std::vector<Command> commands;
    for (std::size_t i : planOrder(steps, serialPath, toolDelivery(0)))
        commands.insert(commands.end(), steps[i].commands.begin(), steps[i].commands.end());
    return commands;
}

int deliver(CliContext &ctx, const SendOptions &options, const Plan &plan)
{
    if (options.dryRun) {
        listCommands(ctx.out, plan.inOrder(options.target.kind == Target::Kind::Serial));
        ctx.out.flush();
        return kExitOk;
    }
    const Target &target = options.target;
    // No send is ever reported to an empty name.
    if (target.kind == Target::Kind::None || target.names.isEmpty() || target.names.contains(QString()))
        return ctx.fail(kExitUsage, Nemboport::tr("no target: give --queue NAME, --serial DEVICE or --port NAME "
                                                  "(or --dry-run to see the bytes)"));

    DravikBinding *loaded = toolLibrary(ctx);
    if (!loaded)
        return kExitFailed;
    const DravikBinding &lib = *loaded;
    const PathKind kind = target.kind;
    const PrinterSession check(lib);
    const char *missing = check.missingExport(SessionAction::Send);
    if (!missing && kind == PathKind::Serial)
        missing = check.missingExport(SessionAction::Open) ? check.missingExport(SessionAction::Open)
                                                           : check.missingExport(SessionAction::Close);
    if (missing)
        return ctx.fail(
            kExitFailed,
            Nemboport::tr("%1 lacks the export %2").arg(QLatin1String(kDravikFileName), QLatin1String(missing)));

    // A job in a print queue is done when the printer took it.
    Following following;
    if (target.kind == Target::Kind::Queue && options.follow) {
        following = {check.can(SessionAction::Follow), options.waitSeconds * 1000, options.keepQueued};
        if (!following.on) {
            ctx.err << "nemboport: "
                    << Nemboport::tr("note: %1 cannot follow print jobs (it lacks FollowLastJob or CancelLastJob): "
                                     "the jobs are queued, not confirmed printed")
                           .arg(QLatin1String(kDravikFileName))
                    << '\n';
            ctx.err.flush();
        }
    }

    const int count = int(target.names.size());
    std::vector<Outcome> outcomes(std::size_t(count), Outcome{});
    std::vector<char> skipped(std::size_t(count), 0);
    // A queue the print server reports paused or not accepting jobs gets
    // nothing: its job would only wait there, or be refused. Unless it is to
    // stay queued, or only queued: then it is said and sent.
    if (target.kind == Target::Kind::Queue) {
        const std::optional<QStringList> unusable = unusableQueues(queueStates(lib), target.names);
        for (int i = 0; unusable && i < count; ++i) {
            const QString &reason = unusable->at(i);
            if (reason.isEmpty())
                continue;
            const QString shown = shownInput(target.names.at(i), kShownPathChars);
            if (options.follow && !options.keepQueued) {
                outcomes[std::size_t(i)] = {
                    false, Nemboport::tr("%1: not sent: the print server reports the queue %2").arg(shown, reason),
                    QStringLiteral("not-usable"), CommandEnd::Failed};
                skipped[std::size_t(i)] = 1;
                continue;
            }
            ctx.err << "nemboport: "
                    << escapedControls(Nemboport::tr("warning: %1 is not usable (%2): its jobs wait in the queue")
                                           .arg(shown, reason))
                    << '\n';
            ctx.err.flush();
        }
    }

    // Several queues are served side by side, each with its commands in order
    // on one thread; each is followed on its own.
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < count; i = next++)
            if (!skipped[std::size_t(i)])
                outcomes[std::size_t(i)] = deliverTo(lib, kind, target.names.at(i), target.baud, plan, following);
    };
    std::vector<std::thread> workers;
    const int parallel = following.on ? ctx.parallelFollowed : ctx.parallelTargets;
    for (int w = 1; w < qBound(1, parallel, count); ++w)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();

    // Several queues: each one's outcome, then the reasons.
    if (count > 1) {
        for (int i = 0; i < count; ++i)
            ctx.out << shownInput(target.names.at(i), kShownPathChars) << ": " << outcomes[std::size_t(i)].word << '\n';
        ctx.out.flush();
    }
    int failures = 0, notReady = 0, stopped = 0;
    for (const Outcome &outcome : outcomes)
        if (!outcome.ok) {
            ctx.fail(kExitFailed, outcome.error);
            ++(outcome.end == CommandEnd::NotReady               ? notReady
               : outcome.end == CommandEnd::StoppedWhilePrinting ? stopped
                                                                 : failures);
        }
    if (failures + notReady + stopped > 0) {
        if (count > 1)
            ctx.fail(kExitFailed,
                     Nemboport::tr("%1 of %2 queues failed").arg(failures + notReady + stopped).arg(count));
        // A plain failure first; then a job stopped while printing (part of
        // it may have printed); then printers that took the bytes but cannot
        // print (as status says "not ready").
        return failures > 0 ? kExitFailed : stopped > 0 ? kExitStopped : kExitNotReady;
    }

    if (plan.waitForFlash)
        waitForFlash(ctx);
    for (const QString &note : plan.notes)
        ctx.out << note << '\n';
    ctx.out.flush();
    return kExitOk;
}
