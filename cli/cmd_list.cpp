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
    for (const QString &queue : splitLibraryList(lib.getPrintDriveNames()))
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
            ctx.out << e.kind.leftJustified(7) << ' ' << e.name;
            if (!e.reason.isEmpty())
                ctx.out << "  (" << e.reason << ')';
            ctx.out << '\n';
        }
        if (entries.empty())
            ctx.out << "no print queues, serial ports or printer ports found\n";
    }
    ctx.out.flush();
    return kExitOk;
}
