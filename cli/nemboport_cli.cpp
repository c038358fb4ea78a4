#include "nemboport_cli.h"

#include "cli_commands.h"
#include "help_texts.h"
#include "serve_command.h"

namespace {

struct Dispatch
{
    const char *name;
    int (*run)(CliContext &ctx, const QStringList &args);
};

const Dispatch kCommands[] = {
    {"list", runList},       {"set", runSet},         {"test", runTest},     {"logo", runLogo},
    {"apply", runApply},     {"profile", runProfile}, {"decode", runDecode},
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

} // namespace

int runNemboport(CliContext &ctx, const QStringList &args)
{
    const QString command = args.value(0);
    if (command == QLatin1String("--version")) {
        ctx.out << "nemboport " << NPS_VERSION << '\n';
        ctx.out.flush();
        return kExitOk;
    }
    if (command.isEmpty())
        return ctx.fail(kExitUsage, QStringLiteral("no command given (see nemboport --help)"));
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help")) {
        ctx.out << toolHelp();
        ctx.out.flush();
        return kExitOk;
    }
    // The virtual printer reads its own arguments, --help included.
    if (command == QLatin1String("serve"))
        return runServe(args.mid(1));

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
    return ctx.fail(kExitUsage, QStringLiteral("unknown command %1 (see nemboport --help)").arg(command));
}
