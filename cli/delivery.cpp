#include "delivery.h"

#include "command_listing.h"
#include "send_path.h"
#include "shown_text.h"
#include "tool_library.h"

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <thread>

namespace {

const char *portNameOf(Target::Kind kind)
{
    switch (kind) {
    case Target::Kind::Queue:
        return "DRIVE";
    case Target::Kind::Serial:
        return "COM";
    case Target::Kind::Port:
        return "LPT";
    case Target::Kind::None:
        break;
    }
    return "";
}

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

struct Outcome
{
    bool ok = true;
    QString error;
};

// Sends the plan to one device; stops at the first failure. Prints nothing,
// so several of these can run side by side.
Outcome deliverTo(const DravikBinding &lib, Target::Kind kind, const QString &name, std::uint32_t baud,
                  const Plan &plan)
{
    const bool serial = kind == Target::Kind::Serial;
    const PrinterTarget printer{QLatin1String(portNameOf(kind)), name, serial ? int(baud) : 0};
    const QByteArray device = name.toLocal8Bit();
    const QString shown = shownInput(name, kShownPathChars);
    if (serial) {
        const int opened = lib.openComm(device.constData(), int(baud));
        if (opened != 1)
            return {false, withReason(opened < 0 ? QStringLiteral("cannot open %1: it is missing or held by another "
                                                                  "program")
                                                       .arg(shown)
                                                 : QStringLiteral("cannot open %1").arg(shown),
                                      lib.lastErrorText())};
    }
    Outcome outcome;
    for (const Command &command : plan.commands) {
        FailureReason reason;
        if (sendCommand(lib, printer, command, &reason) != SendStatus::Sent) {
            outcome = {false, withReason(QStringLiteral("sending %1 to %2 failed").arg(describeDoc(command), shown),
                                         reason.text)};
            break;
        }
    }
    if (serial && !lib.closeComm(device.constData()) && outcome.ok)
        outcome = {false, withReason(QStringLiteral("cannot close %1").arg(shown), lib.lastErrorText())};
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
    const bool serial = target.kind == Target::Kind::Serial;
    const char *missing = !lib.sendBufferToPrint          ? "SendBufferToPrint"
                          : serial && !lib.openComm  ? "OpenComm"
                          : serial && !lib.closeComm ? "CloseComm"
                                                     : nullptr;
    if (missing)
        return ctx.fail(kExitFailed, QStringLiteral("%1 lacks the export %2")
                                         .arg(QLatin1String(kDravikFileName), QLatin1String(missing)));

    // Several queues are served side by side, each with its commands in order.
    const int count = int(target.names.size());
    std::vector<Outcome> outcomes(std::size_t(count), Outcome{});
    std::atomic<int> next{0};
    const auto work = [&] {
        for (int i = next++; i < count; i = next++)
            outcomes[std::size_t(i)] = deliverTo(lib, target.kind, target.names.at(i), target.baud, plan);
    };
    std::vector<std::thread> workers;
    for (int w = 1; w < qBound(1, ctx.parallelTargets, count); ++w)
        workers.emplace_back(work);
    work();
    for (std::thread &worker : workers)
        worker.join();

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
