// nemboport apply PROFILE and nemboport profile.
#include "cli_commands.h"

#include "command_arguments.h"
#include "delivery.h"
#include "profile_file.h"
#include "regular_file.h"
#include "shown_text.h"
#include "tool_text.h"

namespace {
// A profile is a few lines; anything this large is not one.
constexpr qint64 kMaxProfileBytes = 1024 * 1024;
} // namespace

int runApply(CliContext &ctx, const QStringList &args)
{
    ParsedOptions parsed;
    SendOptions given;
    if (const auto refused = readSendingArguments(ctx, args, {}, parsed, given))
        return *refused;
    if (parsed.positional.size() != 1)
        return ctx.fail(kExitUsage, Nemboport::tr("apply takes one PROFILE file"));

    const QString path = parsed.positional.constFirst();
    // A pipe or a device named as the profile is refused, never waited on.
    QByteArray text;
    const QString unread =
        regularfile::read(path, kMaxProfileBytes, {QStringLiteral("profile"), QStringLiteral("a profile")}, text);
    if (!unread.isEmpty())
        return ctx.fail(kExitUsage, QStringLiteral("%1: %2").arg(shownInput(path, kShownPathChars), unread));

    Profile profile;
    const QString error = parseProfile(text, profile);
    if (!error.isEmpty())
        return ctx.fail(kExitUsage, QStringLiteral("%1: %2").arg(shownInput(path, kShownPathChars), error));
    if (profile.settings.empty())
        return ctx.fail(kExitUsage,
                        Nemboport::tr("%1: the profile sets nothing").arg(shownInput(path, kShownPathChars)));

    // A target on the command line takes the place of the profile's. A
    // serial port given without --baud keeps the profile's rate: the
    // printer there still runs at it.
    SendOptions send = profile.send;
    if (given.target.kind != Target::Kind::None) {
        const bool keepBaud = given.target.kind == Target::Kind::Serial &&
                              profile.send.target.kind == Target::Kind::Serial && !parsed.has("baud");
        send.target = given.target;
        if (keepBaud)
            send.target.baud = profile.send.target.baud;
    }
    if (given.set == InstructionSet::Old)
        send.set = InstructionSet::Old;
    send.dryRun = given.dryRun;
    send.follow = given.follow;
    send.waitSeconds = given.waitSeconds;
    send.keepQueued = given.keepQueued;

    return deliver(ctx, send, Plan::of(profile.settings, send.set));
}

int runProfile(CliContext &ctx, const QStringList &args)
{
    if (!args.isEmpty())
        return ctx.fail(kExitUsage, Nemboport::tr("profile takes no arguments"));
    ctx.out << profileTemplate();
    ctx.out.flush();
    return kExitOk;
}
