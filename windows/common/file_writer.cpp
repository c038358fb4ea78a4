#include "file_writer.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace filewriter {

namespace {
QString systemError(const QString &what, int error)
{
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// Every byte or the first failure's errno.
int writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(qMin<qint64>(size, 1 << 20)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= n;
    }
    return 0;
}
} // namespace

QString replaceWith(const QString &path, const QByteArray &bytes)
{
    const QFileInfo target(path);
    if (target.fileName().isEmpty())
        return systemError(path, EISDIR);

    // A name of its own beside the target: created here, never an existing
    // file or a link someone placed.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(target.absolutePath() + QLatin1Char('/') + QLatin1Char('.') + target.fileName() +
                                      QLatin1Char('.') + QString::number(QRandomGenerator::global()->generate(), 36) +
                                      QStringLiteral(".tmp"));
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return systemError(target.absolutePath(), errno);
    }
    if (fd < 0)
        return systemError(target.absolutePath(), EEXIST);

    int error = writeAll(fd, bytes.constData(), bytes.size());
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && ::rename(temporary.constData(), QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return systemError(path, error);
    }
    return {};
}

} // namespace filewriter
