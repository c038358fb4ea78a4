#include "regular_file.h"

#include "errno_text.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace regularfile {

namespace {

// What a path that is no regular file is, for the refusal.
QString notAFile(mode_t mode, const Wording &wording)
{
    if (S_ISDIR(mode))
        return QStringLiteral("This is a folder, not a %1.").arg(wording.kind);
    QString what = QStringLiteral("not a regular file");
    if (S_ISFIFO(mode))
        what = QStringLiteral("a named pipe (FIFO)");
    else if (S_ISCHR(mode))
        what = QStringLiteral("a character device");
    else if (S_ISBLK(mode))
        what = QStringLiteral("a block device");
    else if (S_ISSOCK(mode))
        what = QStringLiteral("a socket");
    return QStringLiteral("This is %1, not a %2; it was not opened.").arg(what, wording.kind);
}

QString openFailure(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("The file was not found.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Permission denied: this user may not read the file.");
    default:
        return QStringLiteral("The file cannot be opened: %1.").arg(errnoText(error));
    }
}

QString tooBig(qint64 size, const Wording &wording)
{
    return QStringLiteral("The file is %1 MB, far larger than %2; it was not read.")
        .arg(megabytes(size), wording.largest);
}

} // namespace

QString megabytes(qint64 bytes)
{
    // Tenths of a megabyte, rounded down: a file just over a limit is not
    // called larger than it is.
    const qint64 tenths = bytes * 10 / (1024 * 1024);
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

// The type is checked before opening, and again on the open descriptor (the
// path may have changed in between); opening without blocking means even a
// pipe put there meanwhile cannot hang us.
QString read(const QString &path, qint64 maxBytes, const Wording &wording, QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0)
        return openFailure(errno);
    if (!S_ISREG(st.st_mode))
        return notAFile(st.st_mode, wording);
    if (st.st_size > maxBytes)
        return tooBig(st.st_size, wording);

    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return openFailure(errno);
    QString refusal;
    if (::fstat(fd, &st) != 0)
        refusal = openFailure(errno);
    else if (!S_ISREG(st.st_mode))
        refusal = notAFile(st.st_mode, wording);
    else {
        // Reads to the end, not to the size seen above: the file may change.
        bytes.resize(qsizetype(std::min<qint64>(st.st_size, maxBytes)) + 1);
        qsizetype have = 0;
        for (;;) {
            if (have == bytes.size()) {
                if (have > maxBytes) {
                    refusal = tooBig(have, wording);
                    break;
                }
                bytes.resize(std::min<qsizetype>(have * 2 + 4096, maxBytes + 1));
            }
            const ssize_t got = ::read(fd, bytes.data() + have, std::size_t(bytes.size() - have));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                refusal = openFailure(errno);
                break;
            }
            if (got == 0)
                break;
            have += got;
        }
        bytes.resize(have);
    }
    ::close(fd);
    if (!refusal.isEmpty())
        bytes.clear();
    return refusal;
}

} // namespace regularfile
