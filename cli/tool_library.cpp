#include "tool_library.h"

DravikBinding *toolLibrary(CliContext &ctx)
{
    static DravikBinding lib;
    if (!lib.isLoaded() && !lib.load()) {
        ctx.fail(kExitFailed,
                 QStringLiteral("cannot load %1: %2").arg(QLatin1String(kDravikFileName), lib.loadError()));
        return nullptr;
    }
    return &lib;
}
