#include "delivery.h"

#include "command_listing.h"
#include "tool_library.h"

#include <QElapsedTimer>
#include <QThread>

#include <climits>

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

QString withReason(const QString &what, const DravikBinding &lib)
{
    const QString reason = lib.lastErrorText();
    return reason.isEmpty() ? what : QStringLiteral("%1: %2").arg(what, reason);
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

} // namespace

int deliver(CliContext &ctx, const SendOptions &options, const Plan &plan)
{
    if (options.dryRun) {
        listCommands(ctx.out, plan.commands);
        ctx.out.flush();
        return kExitOk;
    }
    const Target &target = options.target;
    if (target.kind == Target::Kind::None)
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

    const QByteArray port(portNameOf(target.kind));
    const QByteArray printer = target.name.toLocal8Bit();
    if (serial) {
        const int opened = lib.openComm(printer.constData(), int(target.baud));
        if (opened != 1)
            return ctx.fail(kExitFailed, withReason(opened < 0 ? QStringLiteral("cannot open %1: it is missing or held "
                                                                                 "by another program")
                                                                              .arg(target.name)
                                                                        : QStringLiteral("cannot open %1").arg(target.name),
                                                    lib));
    }

    int status = kExitOk;
    for (const Command &command : plan.commands) {
        const int length = command.bytes.size() > size_t(INT_MAX) ? INT_MAX : int(command.bytes.size());
        if (!lib.sendBufferToPrint(port.constData(), printer.constData(), command.docName, command.bytes.data(),
                                   length)) {
            status = ctx.fail(kExitFailed,
                              withReason(QStringLiteral("sending %1 to %2 failed").arg(describeDoc(command), target.name),
                                         lib));
            break;
        }
    }
    if (serial && !lib.closeComm(printer.constData()) && status == kExitOk)
        status = ctx.fail(kExitFailed, withReason(QStringLiteral("cannot close %1").arg(target.name), lib));
    if (status != kExitOk)
        return status;

    if (plan.waitForFlash)
        waitForFlash(ctx);
    for (const QString &note : plan.notes)
        ctx.out << note << '\n';
    ctx.out.flush();
    return kExitOk;
}
