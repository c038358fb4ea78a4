#include "pictures_program.h"

#include "errno_text.h"
#include "tool_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

QStringList placesToLook()
{
    // Never a folder relative to the current one, where anyone may put a program.
    const QString dir = QCoreApplication::applicationDirPath();
    if (!QDir::isAbsolutePath(dir))
        return {};
    const QDir here(dir);
    return {here.filePath(QLatin1String(kPicturesProgramName)),
            QDir::cleanPath(
                here.filePath(QStringLiteral(NPS_BIN_TO_PRIVATE_LIB "/") + QLatin1String(kPicturesProgramName)))};
}

} // namespace

QString picturesProgram()
{
    for (const QString &path : placesToLook())
        if (::access(QFile::encodeName(path).constData(), X_OK) == 0)
            return path;
    return {};
}

int handOverToPicturesProgram(CliContext &ctx, char *argv[])
{
    const QString path = picturesProgram();
    if (path.isEmpty())
        return ctx.fail(kExitFailed,
                        Nemboport::tr("cannot run this command: the program %1 is missing (looked for %2); "
                                      "reinstall the nemboportsettings package")
                            .arg(QLatin1String(kPicturesProgramName), placesToLook().join(QLatin1String(", "))));
    // What was said so far reaches the terminal before this process is replaced.
    ctx.out.flush();
    ctx.err.flush();
    std::fflush(nullptr);
    ::execv(QFile::encodeName(path).constData(), argv);
    const int code = errno;
    return ctx.fail(kExitFailed, Nemboport::tr("cannot run %1: %2").arg(path, errnoText(code)));
}
