#include "durable_file.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace durablefile {

int writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(qMin<qint64>(size, qint64(1) << 20)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        data += n;
        size -= n;
    }
    return 0;
}

int createAt(int dirFd, const char *name, const QByteArray &bytes, bool sync, int mode)
{
    const int fd = ::openat(dirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode_t(mode));
    if (fd < 0)
        return errno;
    int error = writeAll(fd, bytes.constData(), bytes.size());
    if (!error && sync && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (error)
        ::unlinkat(dirFd, name, 0);
    return error;
}

int replaceAt(int dirFd, const char *aside, const char *name, const QByteArray &bytes, bool sync, int mode)
{
    int error = createAt(dirFd, aside, bytes, sync, mode);
    if (!error && ::renameat(dirFd, aside, dirFd, name) != 0) {
        error = errno;
        ::unlinkat(dirFd, aside, 0);
    }
    return error;
}

} // namespace durablefile
