#include "output_writer.h"

#include "durable_file.h"
#include "errno_text.h"
#include "log_stamp.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A regular file with one name, as our own files are: anything else (a FIFO
// that would block, a device, a hard link into another folder) was put there
// by someone else.
bool ordinaryFile(int fd)
{
    struct stat st
    {
    };
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
}

constexpr int kFileFlags = O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

} // namespace

OutputWriter::~OutputWriter()
{
    for (int fd : {logFd_, lockFd_, dirFd_})
        if (fd >= 0)
            ::close(fd);
}

bool OutputWriter::open(const QString &dir, QString &error)
{
    if (dir.isEmpty()) {
        error = QStringLiteral("the output folder has no name");
        return false;
    }
    QDir d(dir);
    if (!d.mkpath(QStringLiteral("."))) {
        error = QStringLiteral("cannot create the output folder %1").arg(dir);
        return false;
    }
    dir_ = d.absolutePath();
    dirFd_ = ::open(QFile::encodeName(dir_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st
    {
    };
    if (dirFd_ < 0 || ::fstat(dirFd_, &st) != 0) {
        error = QStringLiteral("cannot open the output folder %1: %2").arg(dir_, errnoText(errno));
        return false;
    }
    if (st.st_uid != ::getuid()) {
        error = QStringLiteral("the output folder %1 belongs to another user: choose a folder of your own with --out")
                    .arg(dir_);
        return false;
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        error = QStringLiteral("others may write to the output folder %1: choose a folder only you can write "
                               "(or chmod go-w it)")
                    .arg(dir_);
        return false;
    }
    lockFd_ = ::openat(dirFd_, ".server.lock", O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0600);
    if (lockFd_ < 0 || !ordinaryFile(lockFd_)) {
        error = QStringLiteral("cannot make the lock file %1/.server.lock: %2")
                    .arg(dir_, lockFd_ < 0 ? errnoText(errno) : QStringLiteral("it is not a plain file"));
        return false;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        error =
            errno == EWOULDBLOCK
                ? QStringLiteral("another virtual printer is writing to %1: give each server its own --out").arg(dir_)
                : QStringLiteral("cannot lock %1/.server.lock: %2").arg(dir_, errnoText(errno));
        return false;
    }
    logFd_ = ::openat(dirFd_, "log.txt", kFileFlags | O_APPEND | O_CREAT, 0644);
    if (logFd_ < 0 || !ordinaryFile(logFd_)) {
        error = QStringLiteral("cannot write %1/log.txt: %2")
                    .arg(dir_, logFd_ < 0 ? errnoText(errno) : QStringLiteral("it is not a plain file"));
        return false;
    }
    static const QRegularExpression numbered(QStringLiteral("^receipt-(\\d+)\\.png$"));
    for (const QString &name : d.entryList({QStringLiteral("receipt-*.png")}, QDir::Files | QDir::System)) {
        const QRegularExpressionMatch m = numbered.match(name);
        if (m.hasMatch())
            lastReceipt_ = std::max(lastReceipt_, m.captured(1).toInt());
    }
    return true;
}

bool OutputWriter::replaceFile(const char *name, const QByteArray &bytes, QString &error)
{
    const QByteArray aside = QByteArray(name) + ".tmp";
    // Whatever is left at the aside name (ours from a killed run, or a link
    // someone planted) goes; the new file is created, never opened.
    ::unlinkat(dirFd_, aside.constData(), 0);
    const int code = durablefile::replaceAt(dirFd_, aside.constData(), name, bytes, false);
    if (code)
        error = QStringLiteral("cannot write %1/%2: %3 (the previous one is kept)")
                    .arg(dir_, QLatin1String(name), errnoText(code));
    return code == 0;
}

bool OutputWriter::readFile(const char *name, qint64 maxBytes, QByteArray &bytes, QString &error) const
{
    bytes.clear();
    const int fd = ::openat(dirFd_, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        error = QStringLiteral("cannot read %1/%2: %3").arg(dir_, QLatin1String(name), errnoText(errno));
        return false;
    }
    struct stat st
    {
    };
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes;
    if (!ok)
        error = QStringLiteral("%1/%2 is not a plain file of at most %3 bytes")
                    .arg(dir_, QLatin1String(name))
                    .arg(maxBytes);
    if (ok) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, std::size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
    }
    ::close(fd);
    return ok;
}

bool OutputWriter::setAside(const char *name) const
{
    return ::renameat(dirFd_, name, dirFd_, (QByteArray(name) + ".damaged").constData()) == 0;
}

void OutputWriter::log(const QString &line)
{
    logBuffer_ += line.toUtf8();
    logBuffer_ += '\n';
}

bool OutputWriter::flushLog(QString &error)
{
    if (logBuffer_.isEmpty())
        return true;
    QByteArray bytes;
    if (partialTail_)
        bytes += '\n'; // a line left cut short ends here, so the next starts on its own
    if (linesMissed_ > 0)
        bytes += QStringLiteral("%1 out %2 line(s) could not be written to this log since %3 (%4)\n")
                     .arg(logStamp())
                     .arg(linesMissed_)
                     .arg(QString::fromUtf8(missedSince_), missedWhy_)
                     .toUtf8();
    const qsizetype linesStart = bytes.size(); // the lines kept, after what was said first
    bytes += logBuffer_;
    logBuffer_.resize(0); // keeps its room
    struct stat before
    {
    };
    const int code = logFd_ < 0                      ? EBADF
                     : ::fstat(logFd_, &before) != 0 ? errno
                                                     : durablefile::writeAll(logFd_, bytes.constData(), bytes.size());
    if (code == 0) {
        linesMissed_ = 0;
        partialTail_ = false;
        return true;
    }
    // Whole lines that reached the file stay; a line cut short is cut off.
    qsizetype written = 0;
    qsizetype kept = 0;
    struct stat after
    {
    };
    if (logFd_ >= 0 && ::fstat(logFd_, &after) == 0 && after.st_size > before.st_size) {
        written = qsizetype(qMin<qint64>(after.st_size - before.st_size, bytes.size()));
        kept = bytes.lastIndexOf('\n', written - 1) + 1;
    }
    if (written > 0)
        partialTail_ = kept < written && ::ftruncate(logFd_, before.st_size + kept) != 0;
    if (kept >= linesStart)
        linesMissed_ = 0; // what was missed before has been said
    const qsizetype lostFrom = qMax(kept, linesStart);
    if (linesMissed_ == 0)
        missedSince_ = bytes.mid(lostFrom, kStampChars);
    linesMissed_ += bytes.count('\n') - bytes.left(lostFrom).count('\n');
    missedWhy_ = errnoText(code);
    error = QStringLiteral("cannot write %1/log.txt: %2").arg(dir_, missedWhy_);
    return false;
}

QString OutputWriter::saveReceipt(const QImage &receipt, QString &error)
{
    QByteArray png;
    if (!png_.encode(receipt, png)) {
        error = QStringLiteral("cannot encode the receipt picture");
        return {};
    }
    // The number goes on past any name already taken (a file is never
    // replaced): the picture is written aside, then linked in under a name
    // nothing holds.
    static const char *const aside = "receipt.png.tmp";
    ::unlinkat(dirFd_, aside, 0);
    int code = durablefile::createAt(dirFd_, aside, png, false);
    bool ok = code == 0;
    QString written;
    for (int tries = 0; ok && written.isEmpty() && tries < 1000; ++tries) {
        const QByteArray name =
            QStringLiteral("receipt-%1.png").arg(lastReceipt_ + 1, 3, 10, QLatin1Char('0')).toLatin1();
        if (::linkat(dirFd_, aside, dirFd_, name.constData(), 0) == 0)
            written = QDir(dir_).filePath(QLatin1String(name));
        else if (errno != EEXIST) {
            ok = false;
            code = errno;
            break;
        }
        ++lastReceipt_;
    }
    ::unlinkat(dirFd_, aside, 0);
    if (!ok)
        error = QStringLiteral("cannot save a receipt picture in %1: %2").arg(dir_, errnoText(code));
    else if (written.isEmpty())
        error = QStringLiteral("cannot save a receipt picture in %1: no free receipt number").arg(dir_);
    return written;
}
