#include "command_arguments.h"

std::optional<int> readSendingArguments(CliContext &ctx, const QStringList &args, std::vector<OptionSpec> ownSpecs,
                                        ParsedOptions &parsed, SendOptions &send)
{
    for (const OptionSpec &spec : sendOptionSpecs())
        ownSpecs.push_back(spec);
    parsed = parseOptions(args, ownSpecs);
    if (!parsed.error.isEmpty())
        return ctx.fail(kExitUsage, parsed.error);
    const QString error = readSendOptions(parsed, send);
    if (!error.isEmpty())
        return ctx.fail(kExitUsage, error);
    return std::nullopt;
}
