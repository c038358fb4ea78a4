#include "delivery.h"

#include "command_listing.h"
#include "printer_session.h"
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
    bool notReady = false;                   // the printer took it but cannot print
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
    }
    return withReason(what + notSent(result.notSent), stop.reason.text);
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
    hooks.send = [&](const Command &command) {
        last = &command;
        const int leftMs = int(qMax<qint64>(0, following.waitMs - clock.elapsed()));
        return session.send(command, following.on, leftMs);
    };
    hooks.waiting = [&following](const PlanStep &, const SendReport &) {
        return following.keepQueued ? WaitingChoice::LeaveQueued : WaitingChoice::Withdraw;
    };
    const DeliveryResult result = deliverPlan(session, plan.steps, hooks, toolDelivery(baud));

    if (!result.port.opened())
        return {false, serialRunError(result.port, shown)};
    if (result.stopped())
        return {false, stopText(result, shown, *last, following.waitMs / 1000), endWord(result.stop.end),
                result.stop.end == CommandEnd::NotReady};
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

    // Several queues are served side by side, each with its commands in order
    // on one thread; each is followed on its own.
    const int count = int(target.names.size());
    std::vector<Outcome> outcomes(std::size_t(count), Outcome{});
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < count; i = next++)
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
    int failures = 0, notReady = 0;
    for (const Outcome &outcome : outcomes)
        if (!outcome.ok) {
            ctx.fail(kExitFailed, outcome.error);
            ++(outcome.notReady ? notReady : failures);
        }
    if (failures + notReady > 0) {
        if (count > 1)
            ctx.fail(kExitFailed, Nemboport::tr("%1 of %2 queues failed").arg(failures + notReady).arg(count));
        // Only printers that took the bytes but cannot print: as status says "not ready".
        return failures > 0 ? kExitFailed : kExitNotReady;
    }

    if (plan.waitForFlash)
        waitForFlash(ctx);
    for (const QString &note : plan.notes)
        ctx.out << note << '\n';
    ctx.out.flush();
    return kExitOk;
}
