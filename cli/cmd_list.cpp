// nemboport list [--json]: what the I/O library can reach.
#include "cli_commands.h"

#include "connection.h"
#include "option_parser.h"
#include "port_probe.h"
#include "queue_check.h"
#include "queue_states.h"
#include "tool_library.h"
#include "tool_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace {

struct Entry
{
    QString kind; // queue, serial, port
    QString name;
    QString reason;                  // empty: usable
    std::optional<QueueState> state; // a queue's, when the library tells
};

// An empty queue list with a failure code means the print server could not
// be asked, not that it has no queues: the reason, or empty.
QString queueListFailure(const QStringList &queues, const DravikBinding &lib)
{
    const int code = lib.lastErrorCode();
    if (!queues.isEmpty() || code <= DRAVIK_ERROR_NONE)
        return {};
    // The library's own text says where it looked and why it failed.
    const QString text = escapedControls(lib.lastErrorText());
    const QString reason = code == DRAVIK_ERROR_SERVER_UNREACHABLE
                               ? Nemboport::tr("the print server cannot be reached (%1)")
                                     .arg(text.isEmpty() ? Nemboport::tr("is CUPS running?") : text)
                           : text.isEmpty() ? Nemboport::tr("the print server did not give them")
                                            : text;
    return Nemboport::tr("cannot list the print queues: %1").arg(reason);
}

} // namespace

int runList(CliContext &ctx, const QStringList &args)
{
    const ParsedOptions parsed = parseOptions(args, {{"json", false}});
    if (!parsed.error.isEmpty())
        return ctx.fail(kExitUsage, parsed.error);
    if (!parsed.positional.isEmpty())
        return ctx.fail(kExitUsage, Nemboport::tr("list takes only --json"));
    // JSON is for scripts: its reasons, and the messages beside it, in English.
    std::optional<EnglishTexts> jsonTexts;
    if (parsed.has("json"))
        jsonTexts.emplace();

    DravikBinding *loaded = toolLibrary(ctx);
    if (!loaded)
        return kExitFailed;
    const DravikBinding &lib = *loaded;
    const char *missing = !lib.getPrintDriveNames       ? "GetPrintDriveNames"
                          : !lib.getSystemSerial        ? "GetSystemSerial"
                          : !lib.getPrintDrivePortNames ? "GetPrintDrivePortNames"
                                                        : nullptr;
    if (missing)
        return ctx.fail(
            kExitFailed,
            Nemboport::tr("%1 lacks the export %2").arg(QLatin1String(kDravikFileName), QLatin1String(missing)));

    std::vector<Entry> entries;
    const QStringList queues = splitLibraryList(lib.getPrintDriveNames());
    const QString queuesFailed = queueListFailure(queues, lib);
    // Each queue's state, when the library can tell it.
    const std::optional<std::vector<QueueState>> states = queues.isEmpty() ? std::nullopt : queueStates(lib);
    for (const QString &queue : queues) {
        Entry e{QStringLiteral("queue"), queue, {}, states ? findQueue(*states, queue) : std::nullopt};
        if (e.state && !e.state->usable())
            e.reason = unusableReason(*e.state);
        entries.push_back(e);
    }
    for (const QString &device : splitLibraryList(lib.getSystemSerial()))
        entries.push_back({QStringLiteral("serial"), device, deviceUnusableReason(device, "dialout"), std::nullopt});
    for (const QString &port : parallelPortNames(splitLibraryList(lib.getPrintDrivePortNames("LPT")))) {
        const QString device = printerPortDevice(port);
        entries.push_back({QStringLiteral("port"), port,
                           device.isEmpty() ? QString() : deviceUnusableReason(device, "lp"), std::nullopt});
    }

    if (parsed.has("json")) {
        QJsonArray array;
        for (const Entry &e : entries) {
            QJsonObject o{{QStringLiteral("kind"), e.kind},
                          {QStringLiteral("name"), e.name},
                          {QStringLiteral("usable"), e.reason.isEmpty()}};
            if (!e.reason.isEmpty())
                o.insert(QStringLiteral("reason"), e.reason);
            if (e.state) {
                o.insert(QStringLiteral("state"),
                         e.state->state == QLatin1String("stopped") ? QStringLiteral("paused") : e.state->state);
                o.insert(QStringLiteral("accepting"), e.state->accepting);
                o.insert(QStringLiteral("reasons"), QJsonArray::fromStringList(e.state->reasons));
                o.insert(QStringLiteral("message"), e.state->message);
            }
            array.append(o);
        }
        ctx.out << QJsonDocument(array).toJson(QJsonDocument::Indented);
    } else {
        for (const Entry &e : entries) {
            ctx.out << e.kind.leftJustified(7) << ' ' << escapedControls(e.name);
            if (!e.reason.isEmpty())
                ctx.out << "  " << Nemboport::tr("(not usable: %1)").arg(escapedControls(e.reason));
            else if (e.state)
                ctx.out << "  (" << escapedControls(e.state->describe()) << ')';
            ctx.out << '\n';
        }
        if (entries.empty() && queuesFailed.isEmpty())
            ctx.out << Nemboport::tr("no print queues, serial ports or printer ports found") << '\n';
    }
    ctx.out.flush();
    // What else was found is listed; the run still fails.
    if (!queuesFailed.isEmpty())
        return ctx.fail(kExitFailed, queuesFailed);
    return kExitOk;
}
