// nemboport list [--json]: what the I/O library can reach.
#include "cli_commands.h"

#include "connection.h"
#include "tool_library.h"
#include "option_parser.h"
#include "port_probe.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct Entry
{
    QString kind; // queue, serial, port
    QString name;
    QString reason; // empty: usable
};

// An empty queue list with a failure code means the print server could not
// be asked, not that it has no queues: the reason, or empty.
QString queueListFailure(const QStringList &queues, const DravikBinding &lib)
{
    const int code = lib.lastErrorCode();
    if (!queues.isEmpty() || code <= 0)
        return {};
    // The library's own text says where it looked and why it failed.
    const QString text = escapedControls(lib.lastErrorText());
    constexpr int kServerUnreachable = 6;
    const QString reason = code == kServerUnreachable
                               ? QStringLiteral("the print server cannot be reached (%1)")
                                     .arg(text.isEmpty() ? QStringLiteral("is CUPS running?") : text)
                               : text.isEmpty() ? QStringLiteral("the print server did not give them")
                                                : text;
    return QStringLiteral("cannot list the print queues: ") + reason;
}

} // namespace

int runList(CliContext &ctx, const QStringList &args)
{
    const ParsedOptions parsed = parseOptions(args, {{"json", false}});
    if (!parsed.error.isEmpty())
        return ctx.fail(kExitUsage, parsed.error);
    if (!parsed.positional.isEmpty())
        return ctx.fail(kExitUsage, QStringLiteral("list takes only --json"));

    DravikBinding *loaded = toolLibrary(ctx);
    if (!loaded)
        return kExitFailed;
    const DravikBinding &lib = *loaded;
    const char *missing = !lib.getPrintDriveNames       ? "GetPrintDriveNames"
                          : !lib.getSystemSerial        ? "GetSystemSerial"
                          : !lib.getPrintDrivePortNames ? "GetPrintDrivePortNames"
                                                        : nullptr;
    if (missing)
        return ctx.fail(kExitFailed, QStringLiteral("%1 lacks the export %2")
                                         .arg(QLatin1String(kDravikFileName), QLatin1String(missing)));

    std::vector<Entry> entries;
    const QStringList queues = splitLibraryList(lib.getPrintDriveNames());
    const QString queuesFailed = queueListFailure(queues, lib);
    for (const QString &queue : queues)
        entries.push_back({QStringLiteral("queue"), queue, {}});
    for (const QString &device : splitLibraryList(lib.getSystemSerial()))
        entries.push_back({QStringLiteral("serial"), device, deviceUnusableReason(device, "dialout")});
    for (const QString &port : parallelPortNames(splitLibraryList(lib.getPrintDrivePortNames("LPT")))) {
        const QString device = printerPortDevice(port);
        entries.push_back({QStringLiteral("port"), port, device.isEmpty() ? QString() : deviceUnusableReason(device, "lp")});
    }

    if (parsed.has("json")) {
        QJsonArray array;
        for (const Entry &e : entries) {
            QJsonObject o{{QStringLiteral("kind"), e.kind},
                          {QStringLiteral("name"), e.name},
                          {QStringLiteral("usable"), e.reason.isEmpty()}};
            if (!e.reason.isEmpty())
                o.insert(QStringLiteral("reason"), e.reason);
            array.append(o);
        }
        ctx.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else {
        for (const Entry &e : entries) {
            ctx.out << e.kind.leftJustified(7) << ' ' << escapedControls(e.name);
            if (!e.reason.isEmpty())
                ctx.out << "  (" << e.reason << ')';
            ctx.out << '\n';
        }
        if (entries.empty() && queuesFailed.isEmpty())
            ctx.out << "no print queues, serial ports or printer ports found\n";
    }
    ctx.out.flush();
    // What else was found is listed; the run still fails.
    if (!queuesFailed.isEmpty())
        return ctx.fail(kExitFailed, queuesFailed);
    return kExitOk;
}
