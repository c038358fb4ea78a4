// nemboport decode [FILE|-]: lists the commands in captured bytes.
#include "cli_commands.h"

#include "command_listing.h"
#include "tool_text.h"

#include <QFile>

#include <unistd.h>

int runDecode(CliContext &ctx, const QStringList &args)
{
    if (args.size() > 1)
        return ctx.fail(kExitUsage, Nemboport::tr("decode takes one FILE, or - for standard input"));
    // Without a file, bytes come through a pipe; a terminal holds none.
    if (args.isEmpty() && ::isatty(STDIN_FILENO) == 1)
        return ctx.fail(kExitUsage,
                        Nemboport::tr("decode takes a FILE, or bytes piped in (see nemboport decode --help)"));
    const QString path = args.value(0, QStringLiteral("-"));
    const QString shown = shownInput(path, kShownPathChars);
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return ctx.fail(kExitUsage, Nemboport::tr("cannot read %1: %2").arg(shown, file.errorString()));
    // The listing goes out as it is made: any length of capture, bounded memory.
    const QString error = listStream(file, ctx.out);
    ctx.out.flush();
    if (!error.isEmpty())
        return ctx.fail(kExitFailed, Nemboport::tr("reading %1 failed: %2").arg(shown, error));
    return kExitOk;
}
