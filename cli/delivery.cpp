#include "delivery.h"

#include "command_listing.h"
#include "printer_session.h"
#include "shown_text.h"
#include "tool_library.h"

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
                           : QStringLiteral("(no document name)");
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
            ctx.out << "\rwaiting for the printer to write its flash: " << done * 100 / qMax(1, total) << "% ";
            ctx.out.flush();
        }
        QThread::msleep(quint32(qMin<qint64>(100, total - done)));
    }
    if (ctx.outIsTerminal) {
        ctx.out << "\rwaiting for the printer to write its flash: done\n";
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
};

// What became of a followed job.
struct JobEnd
{
    enum Kind {
        Printed,     // the print server handed every byte to the printer
        Failed,      // aborted, cancelled or stopped, or the server could not be asked
        Withdrawn,   // still waiting at the end: withdrawn, nothing of it printed
        LeftQueued,  // still waiting at the end: left queued on request
        NotWithdrawn // still waiting, and the withdrawal failed: it may print later
    };
    Kind kind = Printed;
    QString reason; // the library's words for why it did not print; empty when printed
};

// "printed", "withdrawn", "left queued"...
QString fateWord(JobEnd::Kind kind)
{
    switch (kind) {
    case JobEnd::Printed:
        return QStringLiteral("printed");
    case JobEnd::Failed:
        return QStringLiteral("failed");
    case JobEnd::Withdrawn:
        return QStringLiteral("withdrawn");
    case JobEnd::LeftQueued:
        return QStringLiteral("left queued");
    case JobEnd::NotWithdrawn:
        return QStringLiteral("still queued (could not be withdrawn)");
    }
    return {};
}

// The end of a job the session followed: one still waiting is withdrawn
// unless it is to be left queued.
JobEnd jobEnd(const PrinterSession &session, const SendReport &sent, bool keepQueued)
{
    const QString reason = sent.reason.text;
    switch (sent.job) {
    case JobFate::NotFollowed:
    case JobFate::Printed:
        return {};
    case JobFate::Failed:
        return {JobEnd::Failed, reason};
    case JobFate::Waiting:
        break;
    }
    if (keepQueued)
        return {JobEnd::LeftQueued, reason};
    const WithdrawReport withdrawal = session.withdrawWaitingJob();
    switch (withdrawal.result) {
    case Withdrawal::Withdrawn:
        return {JobEnd::Withdrawn, reason};
    case Withdrawal::PrintedMeanwhile:
        return {};
    case Withdrawal::NotWithdrawn:
        break;
    }
    const QString why = withdrawal.recheck.text;
    return {JobEnd::NotWithdrawn, why.isEmpty() || why == reason ? reason : reason + QStringLiteral("; ") + why};
}

QString notSent(int remaining)
{
    return remaining <= 0 ? QString()
                          : QStringLiteral("; the %1 command%2 after it %3 not sent")
                                .arg(remaining)
                                .arg(remaining == 1 ? "" : "s")
                                .arg(remaining == 1 ? "was" : "were");
}

// Why a followed job did not print, with what became of it.
QString fateText(const JobEnd &fate, const QString &shown, const Command &command, int waitSeconds, int remaining)
{
    const QString job = describeDoc(command);
    QString what;
    switch (fate.kind) {
    case JobEnd::Printed:
        break;
    case JobEnd::Failed:
        what = QStringLiteral("%1: %2 did not print").arg(shown, job);
        break;
    case JobEnd::Withdrawn:
        what = QStringLiteral("%1: %2 was still waiting after %3 s and was withdrawn").arg(shown, job).arg(waitSeconds);
        break;
    case JobEnd::LeftQueued:
        what = QStringLiteral("%1: %2 is still waiting after %3 s and was left queued (--keep-queued): it prints "
                              "when the printer takes it")
                   .arg(shown, job)
                   .arg(waitSeconds);
        break;
    case JobEnd::NotWithdrawn:
        what = QStringLiteral("%1: %2 is still waiting after %3 s and could not be withdrawn: it may print later")
                   .arg(shown, job)
                   .arg(waitSeconds);
        break;
    }
    return withReason(what + notSent(remaining), fate.reason);
}

// Sends the plan to one device through a session of its own; stops at the
// first failure, and at the first job that does not print when following.
// Prints nothing, so several of these can run side by side; each runs on one
// thread, as the library follows the calling thread's last job.
Outcome deliverTo(const DravikBinding &lib, PathKind kind, const QString &name, std::uint32_t baud, const Plan &plan,
                  const Following &following)
{
    PrinterSession session(lib);
    session.choose(kind, name);
    const QString shown = shownInput(name, kShownPathChars);
    if (session.isSerial()) {
        const PortCall opened = session.open(name, int(baud));
        if (opened.result != 1)
            return {false, withReason(opened.result < 0 ? QStringLiteral("cannot open %1: it is missing or held by "
                                                                         "another program")
                                                              .arg(shown)
                                                        : QStringLiteral("cannot open %1").arg(shown),
                                      opened.reason.text)};
    }
    Outcome outcome{true, {}, following.on ? QStringLiteral("printed") : QStringLiteral("sent")};
    QElapsedTimer clock;
    clock.start();
    const int count = int(plan.commands.size());
    for (int i = 0; i < count; ++i) {
        const Command &command = plan.commands[std::size_t(i)];
        const int leftMs = int(qMax<qint64>(0, following.waitMs - clock.elapsed()));
        const SendReport sent = session.send(command, following.on, leftMs);
        if (sent.status != SendStatus::Sent) {
            outcome = {false, withReason(QStringLiteral("sending %1 to %2 failed").arg(describeDoc(command), shown),
                                         sent.reason.text)};
            break;
        }
        const JobEnd fate = jobEnd(session, sent, following.keepQueued);
        if (fate.kind != JobEnd::Printed) {
            outcome = {false, fateText(fate, shown, command, following.waitMs / 1000, count - i - 1),
                       fateWord(fate.kind)};
            break;
        }
    }
    if (session.isSerial()) {
        const PortCall closed = session.close();
        if (closed.result == 0 && outcome.ok)
            outcome = {false, withReason(QStringLiteral("cannot close %1").arg(shown), closed.reason.text)};
    }
    return outcome;
}

} // namespace

int deliver(CliContext &ctx, const SendOptions &options, const Plan &plan)
{
    if (options.dryRun) {
        listCommands(ctx.out, plan.commands);
        ctx.out.flush();
        return kExitOk;
    }
    const Target &target = options.target;
    // No send is ever reported to an empty name.
    if (target.kind == Target::Kind::None || target.names.isEmpty() || target.names.contains(QString()))
        return ctx.fail(kExitUsage, QStringLiteral("no target: give --queue NAME, --serial DEVICE or --port NAME "
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
            QStringLiteral("%1 lacks the export %2").arg(QLatin1String(kDravikFileName), QLatin1String(missing)));

    // A job in a print queue is done when the printer took it.
    Following following;
    if (target.kind == Target::Kind::Queue && options.follow) {
        following = {check.can(SessionAction::Follow), options.waitSeconds * 1000, options.keepQueued};
        if (!following.on) {
            ctx.err << "nemboport: note: " << kDravikFileName
                    << " cannot follow print jobs (it lacks FollowLastJob or CancelLastJob): the jobs are queued, "
                       "not confirmed printed\n";
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
    int failures = 0;
    for (const Outcome &outcome : outcomes)
        if (!outcome.ok) {
            ctx.fail(kExitFailed, outcome.error);
            ++failures;
        }
    if (failures > 0) {
        if (count > 1)
            ctx.fail(kExitFailed, QStringLiteral("%1 of %2 queues failed").arg(failures).arg(count));
        return kExitFailed;
    }

    if (plan.waitForFlash)
        waitForFlash(ctx);
    for (const QString &note : plan.notes)
        ctx.out << note << '\n';
    ctx.out.flush();
    return kExitOk;
}
