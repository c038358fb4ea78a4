// nemboport decode [FILE|-]: lists the commands in captured bytes.
#include "cli_commands.h"

#include "command_listing.h"

#include <QFile>

#include <unistd.h>

namespace {
// The largest capture taken: well above any command stream this printer
// gets, small enough to hold in memory.
constexpr qint64 kMaxCaptureBytes = 64 * 1024 * 1024;
} // namespace

int runDecode(CliContext &ctx, const QStringList &args)
{
    if (args.size() > 1)
        return ctx.fail(kExitUsage, QStringLiteral("decode takes one FILE, or - for standard input"));
    // Without a file, bytes come through a pipe; a terminal holds none.
    if (args.isEmpty() && ::isatty(STDIN_FILENO) == 1)
        return ctx.fail(kExitUsage, QStringLiteral("decode takes a FILE, or bytes piped in (see nemboport decode --help)"));
    const QString path = args.value(0, QStringLiteral("-"));
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return ctx.fail(kExitUsage, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray data = file.read(kMaxCaptureBytes + 1);
    if (data.size() > kMaxCaptureBytes)
        return ctx.fail(kExitUsage, QStringLiteral("%1: larger than %2 bytes").arg(path).arg(kMaxCaptureBytes));
    listStream(ctx.out, Bytes(data.begin(), data.end()));
    ctx.out.flush();
    return kExitOk;
}
