#include "nemboport_cli.h"

#include "cli_commands.h"
#include "help_texts.h"
#include "library_reason.h"
#include "shown_text.h"
#include "tool_text.h"

namespace {

PictureCommands g_pictures;

// Runs logo here when this program has it, else where it is handed over.
int runLogoCommand(CliContext &ctx, const QStringList &args)
{
    if (g_pictures.logo)
        return g_pictures.logo(ctx, args);
    if (g_pictures.handOver)
        return g_pictures.handOver(ctx);
    return ctx.fail(kExitFailed, Nemboport::tr("this build cannot load pictures: run logo from the nemboport program"));
}

struct Dispatch
{
    const char *name;
    int (*run)(CliContext &ctx, const QStringList &args);
};

const Dispatch kCommands[] = {
    {"list", runList},   {"set", runSet},           {"test", runTest},          {"logo", runLogoCommand},
    {"apply", runApply}, {"profile", runProfile},   {"decode", runDecode},      {"status", runStatus},
    {"probe", runProbe}, {"discover", runDiscover}, {"add-queue", runAddQueue},
};

bool asksForHelp(const QStringList &args)
{
    for (const QString &arg : args) {
        if (arg == QLatin1String("--"))
            return false;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return true;
    }
    return false;
}

// Options may also stand before the command ("nemboport --dry-run set
// darkness 8"): they move behind it, where the command reads them.
QStringList commandFirst(const QStringList &args)
{
    static const QStringList withValue = {QStringLiteral("--queue"), QStringLiteral("--serial"),
                                          QStringLiteral("--baud"), QStringLiteral("--port")};
    QStringList leading;
    int i = 0;
    for (; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--help") ||
            arg == QLatin1String("--version") || arg == QLatin1String("--"))
            break;
        leading << arg;
        if (withValue.contains(arg) && i + 1 < args.size())
            leading << args.at(++i);
    }
    if (leading.isEmpty() || i >= args.size())
        return args;
    QStringList reordered{args.at(i)};
    const QStringList rest = args.mid(i + 1);
    // Behind the command's own words, but before a "--" that ends its options.
    const int end = rest.indexOf(QStringLiteral("--"));
    reordered << (end < 0 ? rest : rest.mid(0, end)) << leading << (end < 0 ? QStringList() : rest.mid(end));
    return reordered;
}

// --verbose, anywhere before a "--" that ends the options, is the tool's
// own: it is taken out, and says whether it was there.
bool takeVerbose(QStringList &args)
{
    const qsizetype end = args.indexOf(QStringLiteral("--"));
    const QStringList before = end < 0 ? args : args.mid(0, end);
    if (!before.contains(QStringLiteral("--verbose")))
        return false;
    QStringList kept;
    for (qsizetype i = 0; i < args.size(); ++i)
        if (args.at(i) != QLatin1String("--verbose") || (end >= 0 && i > end))
            kept << args.at(i);
    args = kept;
    return true;
}

} // namespace

void setPictureCommands(PictureCommands commands)
{
    g_pictures = std::move(commands);
}

int runNemboport(CliContext &ctx, const QStringList &givenArgs)
{
    QStringList withoutVerbose = givenArgs;
    // The library's own texts follow the tool's words.
    showLibraryTexts(takeVerbose(withoutVerbose));
    const QStringList args = commandFirst(withoutVerbose);
    const QString command = args.value(0);
    if (command == QLatin1String("--version")) {
        ctx.out << "nemboport " << NPS_VERSION << '\n';
        ctx.out.flush();
        return kExitOk;
    }
    if (command.isEmpty())
        return ctx.fail(kExitUsage, Nemboport::tr("no command given (see nemboport --help)"));
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        ctx.out << toolHelp();
        ctx.out.flush();
        return kExitOk;
    }
    // The virtual printer reads its own arguments, --help included.
    if (command == QLatin1String("serve")) {
        if (g_pictures.serve)
            return g_pictures.serve(args.mid(1));
        if (g_pictures.handOver)
            return g_pictures.handOver(ctx);
        return ctx.fail(kExitFailed,
                        Nemboport::tr("this build has no virtual printer: run serve from the nemboport program"));
    }

    for (const Dispatch &d : kCommands) {
        if (command != QLatin1String(d.name))
            continue;
        if (asksForHelp(args.mid(1))) {
            ctx.out << commandHelp(command);
            ctx.out.flush();
            return kExitOk;
        }
        return d.run(ctx, args.mid(1));
    }
    return ctx.fail(kExitUsage, Nemboport::tr("unknown command %1 (see nemboport --help)").arg(shownInput(command)));
}
