// nemboport test WHAT: the test and maintenance commands.
#include "cli_commands.h"

#include "command_arguments.h"
#include "delivery.h"
#include "maintenance_commands.h"
#include "tool_text.h"

namespace {

struct TestCommand
{
    const char *name;
    Command (*build)();
};

const TestCommand kTests[] = {
    {"function-list", functionListCommand}, {"codepage-list", codePageListCommand},
    {"drawer", cashDrawerCommand},          {"half-cut", halfCutCommand},
    {"full-cut", fullCutCommand},           {"factory-reset", factoryRestoreCommand},
};

} // namespace

int runTest(CliContext &ctx, const QStringList &args)
{
    ParsedOptions parsed;
    SendOptions send;
    if (const auto refused = readSendingArguments(ctx, args, {}, parsed, send))
        return *refused;
    const QStringList &words = parsed.positional;
    const QString what = words.value(0);
    if (what == QLatin1String("qr")) {
        if (words.size() > 2)
            return ctx.fail(kExitUsage, Nemboport::tr("test qr takes one TEXT (quote it)"));
        const QByteArray text = words.size() == 2 ? words.at(1).toUtf8() : QByteArray(kQrText);
        // The printer's QR store takes 248 bytes; a longer text would be cut short.
        if (text.isEmpty() || text.size() > kQrTextMax)
            return ctx.fail(
                kExitUsage,
                Nemboport::tr("the QR text must be 1 to %1 bytes, not %2").arg(kQrTextMax).arg(text.size()));
        return deliver(ctx, send, Plan::of({qrStoreCommand(text), qrPrintCommand()}));
    }
    for (const TestCommand &t : kTests) {
        if (what != QLatin1String(t.name))
            continue;
        if (words.size() != 1)
            return ctx.fail(kExitUsage, Nemboport::tr("test %1 takes no further words").arg(shownInput(what)));
        return deliver(ctx, send, Plan::of({t.build()}));
    }
    return ctx.fail(kExitUsage,
                    what.isEmpty()
                        ? Nemboport::tr("test needs WHAT (see nemboport test --help)")
                        : Nemboport::tr("unknown test %1 (see nemboport test --help)").arg(shownInput(what)));
}
