// nemboport set GROUP VALUE ...
#include "cli_commands.h"

#include "command_arguments.h"
#include "delivery.h"
#include "setting_groups.h"
#include "tool_text.h"

int runSet(CliContext &ctx, const QStringList &args)
{
    ParsedOptions parsed;
    SendOptions send;
    if (const auto refused = readSendingArguments(ctx, args, {}, parsed, send))
        return *refused;
    const QStringList &words = parsed.positional;
    if (words.isEmpty() || words.size() % 2 != 0)
        return ctx.fail(kExitUsage, Nemboport::tr("set takes GROUP VALUE pairs (see nemboport set --help)"));

    SettingChoices choices;
    for (int i = 0; i < words.size(); i += 2) {
        const QString error = chooseSetting(choices, words.at(i), words.at(i + 1));
        if (!error.isEmpty())
            return ctx.fail(kExitUsage, error);
    }
    return deliver(ctx, send, Plan::of(choices, send.set));
}
