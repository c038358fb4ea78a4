// nemboport add-queue NAME --uri URI [--replace]: a raw print queue (no
// driver, enabled, accepting jobs) made for a printer's device, through the
// print server's own request. Nothing is sent to the printer.
#include "cli_commands.h"

#include "option_parser.h"
#include "queue_creation.h"
#include "queue_making.h"
#include "shown_text.h"
#include "tool_library.h"
#include "tool_text.h"

#include <pwd.h>
#include <unistd.h>

namespace {

QString userName()
{
    const passwd *pw = ::getpwuid(::geteuid());
    return pw && pw->pw_name ? QString::fromLocal8Bit(pw->pw_name) : QStringLiteral("$USER");
}

} // namespace

QString queueNameRefusal(const QString &name)
{
    QChar refused;
    switch (queueNameProblem(name, &refused)) {
    case QueueNameProblem::None:
        return {};
    case QueueNameProblem::Empty:
        return Nemboport::tr("a print queue needs a name");
    case QueueNameProblem::TooLong:
        return Nemboport::tr("%1: a print queue's name has at most 127 bytes").arg(shownInput(name));
    case QueueNameProblem::BlankOrControl:
        return Nemboport::tr("%1: a print queue's name has no blanks or control characters").arg(shownInput(name));
    case QueueNameProblem::Forbidden:
        break;
    }
    return Nemboport::tr("%1: a print queue's name has none of / \\ ? ' \" # @ (it has %2)")
        .arg(shownInput(name), QString(refused));
}

int makeQueueAndTell(CliContext &ctx, const DravikBinding &lib, const QString &name, const QString &uri, bool replace,
                     bool toOut)
{
    const QueueMaking made = makePrintQueue(lib, name, uri, replace);
    switch (made.outcome) {
    case QueueMade::Made: {
        QTextStream &out = toOut ? ctx.out : ctx.err;
        out << Nemboport::tr("print queue %1 made for %2: raw (no driver), enabled and accepting jobs").arg(name, uri)
            << '\n'
            << Nemboport::tr("ask the printer through it: nemboport status --queue %1").arg(name) << '\n';
        out.flush();
        return kExitOk;
    }
    case QueueMade::Exists:
        return ctx.fail(kExitFailed, Nemboport::tr("a print queue named %1 exists already: choose another name, or "
                                                   "give --replace to make it anew for %2")
                                         .arg(name, uri));
    case QueueMade::Failed:
        if (made.reason.code == DRAVIK_ERROR_NO_PERMISSION)
            return ctx.fail(kExitFailed,
                            Nemboport::tr("you may not add print queues on this print server: join the group lpadmin "
                                          "(sudo usermod -aG lpadmin %1, then log in again) or run the command with "
                                          "sudo (the print server says: %2)")
                                .arg(userName(), made.reason.text));
        return ctx.fail(kExitFailed,
                        Nemboport::tr("the print server did not make print queue %1: %2")
                            .arg(name, made.reason.text.isEmpty() ? Nemboport::tr("the library gives no reason")
                                                                  : made.reason.text));
    case QueueMade::NoExport:
        return ctx.fail(kExitFailed, Nemboport::tr("%1 lacks the export AddPrintQueue: this library cannot make print "
                                                   "queues (install a newer one, or use lpadmin -p %2 -E -v %3)")
                                         .arg(QLatin1String(kDravikFileName), name, uri));
    case QueueMade::NoLibrary:
        break;
    }
    return ctx.fail(kExitFailed, Nemboport::tr("%1 is not loaded").arg(QLatin1String(kDravikFileName)));
}

int runAddQueue(CliContext &ctx, const QStringList &args)
{
    const ParsedOptions parsed = parseOptions(args, {{"uri", true}, {"replace", false}});
    if (!parsed.error.isEmpty())
        return ctx.fail(kExitUsage, parsed.error);
    if (parsed.positional.size() != 1)
        return ctx.fail(kExitUsage, Nemboport::tr("add-queue takes one name: nemboport add-queue NAME --uri URI"));
    const QString name = parsed.positional.first();
    const QString refusal = queueNameRefusal(name);
    if (!refusal.isEmpty())
        return ctx.fail(kExitUsage, refusal);
    if (!parsed.has("uri"))
        return ctx.fail(kExitUsage, Nemboport::tr("add-queue needs the printer's device: --uri socket://HOST:9100, "
                                                  "--uri serial:/dev/ttyUSB0?baud=9600 or the usb:// URI discover "
                                                  "shows"));
    const QString uri = parsed.value("uri").trimmed();
    if (!isPrinterDeviceUri(uri))
        return ctx.fail(kExitUsage, Nemboport::tr("--uri %1: give socket://HOST:PORT, serial:/dev/DEVICE?baud=N or "
                                                  "usb://MAKE/MODEL?serial=... (as discover shows them)")
                                        .arg(shownInput(uri, kShownPathChars)));
    const DravikBinding *lib = toolLibrary(ctx);
    if (!lib)
        return kExitFailed;
    return makeQueueAndTell(ctx, *lib, name, uri, parsed.has("replace"));
}
