#include "file_writer.h"

#include "durable_file.h"
#include "errno_text.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace filewriter {

namespace {
QString systemError(const QString &what, int error)
{
    return what + QStringLiteral(": ") + errnoText(error);
}
} // namespace

QString replaceWith(const QString &path, const QByteArray &bytes)
{
    const QFileInfo target(path);
    if (target.fileName().isEmpty())
        return systemError(path, EISDIR);

    const int dirFd = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return systemError(target.absolutePath(), errno);
    // A name of its own beside the target: created here, never an existing
    // file or a link someone placed.
    const QByteArray name = QFile::encodeName(target.fileName());
    int error = EEXIST;
    for (int attempt = 0; attempt < 16 && error == EEXIST; ++attempt) {
        const QByteArray aside = '.' + name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36) +
                                 QByteArrayLiteral(".tmp");
        error = durablefile::replaceAt(dirFd, aside.constData(), name.constData(), bytes, true, 0666);
    }
    ::close(dirFd);
    return error ? systemError(path, error) : QString();
}

} // namespace filewriter
