// nemboport logo download|clear|print: the NV logo in the printer's flash.
#include "cli_commands.h"

#include "bitmap_loader.h"
#include "command_arguments.h"
#include "delivery.h"
#include "halftone.h"
#include "logo_commands.h"
#include "logo_fit.h"
#include "logo_limits.h"
#include "raster.h"
#include "tool_text.h"

namespace {

const struct
{
    const char *name;
    logo::Model model;
} kModels[] = {{"58", logo::Model::Mm58}, {"80", logo::Model::Mm80}};

const struct
{
    const char *name;
    logo::Alignment alignment;
} kAlignments[] = {
    {"left", logo::Alignment::Left}, {"middle", logo::Alignment::Middle}, {"right", logo::Alignment::Right}};

// The one logo slot and logo number the printer's flash is used with.
constexpr std::uint8_t kLogoNumber = 1;

// Loads, checks and halftones the picture, then builds the download; an
// error text, or empty.
QString buildDownload(const ParsedOptions &parsed, Plan &plan)
{
    const QString path = parsed.positional.value(1);
    const QString modelName = parsed.has("model") ? parsed.value("model") : QStringLiteral("80");
    const logo::Model *model = nullptr;
    for (const auto &m : kModels)
        if (modelName == QLatin1String(m.name))
            model = &m.model;
    if (!model)
        return Nemboport::tr("--model %1: expected 58 or 80").arg(modelName);

    bitmap::Loaded loaded = bitmap::load(path);
    if (!loaded.ok())
        return QStringLiteral("%1: %2").arg(path, loaded.error);
    const int maxWidth = logo::maxWidth(*model);
    if (loaded.image.width() > maxWidth && !parsed.has("fit"))
        return Nemboport::tr("%1: %2 (--fit scales it down to %3 dots, keeping its proportions)")
            .arg(path, QLatin1String(logo::tooWideMessage(*model)))
            .arg(maxWidth);
    // Scaled before the halftone, so the pattern is laid on the final dots;
    // the last 8-dot band made whole with white rather than cut off.
    QImage image = logo::padToWholeBands(logo::fitToWidth(loaded.image, maxWidth));
    if (!parsed.has("no-halftone"))
        halftone::apply(image);

    const raster::Result built = raster::downloadCommand({image});
    if (const char *refusal = logo::sizeRefusal(built.status))
        return QStringLiteral("%1: %2").arg(path, QLatin1String(refusal));
    if (built.status != raster::Status::Ok)
        return Nemboport::tr("%1: no picture").arg(path);
    plan = Plan::of({Command{built.bytes, raster::kDocDownload}});
    plan.waitForFlash = true;
    return {};
}

} // namespace

int runLogo(CliContext &ctx, const QStringList &args)
{
    ParsedOptions parsed;
    SendOptions send;
    if (const auto refused = readSendingArguments(
            ctx, args, {{"model", true}, {"no-halftone", false}, {"fit", false}, {"align", true}}, parsed, send))
        return *refused;
    const QString action = parsed.positional.value(0);
    const bool download = action == QLatin1String("download");
    const bool print = action == QLatin1String("print");
    if (!download && !print && action != QLatin1String("clear"))
        return ctx.fail(kExitUsage,
                        Nemboport::tr("logo takes download FILE, clear or print (see nemboport logo --help)"));
    if (!download && (parsed.has("model") || parsed.has("no-halftone") || parsed.has("fit")))
        return ctx.fail(kExitUsage, Nemboport::tr("--model, --no-halftone and --fit go with logo download"));
    if (!print && parsed.has("align"))
        return ctx.fail(kExitUsage, Nemboport::tr("--align goes with logo print"));
    if (parsed.positional.size() != (download ? 2 : 1))
        return ctx.fail(kExitUsage, download ? Nemboport::tr("logo download takes one FILE")
                                             : Nemboport::tr("logo %1 takes no further words").arg(action));

    Plan plan;
    if (download) {
        const QString error = buildDownload(parsed, plan);
        if (!error.isEmpty())
            return ctx.fail(kExitUsage, error);
    } else if (print) {
        const QString alignName = parsed.has("align") ? parsed.value("align") : QStringLiteral("middle");
        bool known = false;
        for (const auto &a : kAlignments)
            if (alignName == QLatin1String(a.name)) {
                plan = Plan::of({logo::testPrintCommand(a.alignment, kLogoNumber)});
                known = true;
            }
        if (!known)
            return ctx.fail(kExitUsage, Nemboport::tr("--align %1: expected left, middle or right").arg(alignName));
    } else {
        plan = Plan::of({logo::clearFlashCommand()});
    }
    return deliver(ctx, send, plan);
}
