#include "tool_library.h"

#include "tool_text.h"

DravikBinding *toolLibrary(CliContext &ctx)
{
    static DravikBinding lib;
    if (!lib.isLoaded() && !lib.load()) {
        ctx.fail(kExitFailed, Nemboport::tr("cannot load %1: %2").arg(QLatin1String(kDravikFileName), lib.loadError()));
        return nullptr;
    }
    return &lib;
}
