#include "port_announcement.h"

#include "announcement_rules.h"
#include "errno_text.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Makes path a 0700 folder of ours, or accepts it when it already is one:
// a folder under /tmp made by someone else, or a symlink, is refused.
bool privateFolder(const QByteArray &path, QString &error)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        error = QStringLiteral("cannot create %1: %2").arg(QFile::decodeName(path), errnoText(errno));
        return false;
    }
    struct stat st
    {
    };
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        error =
            QStringLiteral("%1 is not a folder of this user: refusing to announce there").arg(QFile::decodeName(path));
        return false;
    }
    if ((st.st_mode & 0077) != 0 && ::chmod(path.constData(), 0700) != 0) {
        error = QStringLiteral("cannot make %1 private: %2").arg(QFile::decodeName(path), errnoText(errno));
        return false;
    }
    return true;
}

} // namespace

QString symlinkTarget(const QString &link)
{
    char buf[4096];
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), buf, sizeof buf - 1);
    return n > 0 ? QFile::decodeName(QByteArray(buf, int(n))) : QString();
}

QString announcementFolder()
{
    return QFile::decodeName(QByteArray::fromStdString(announcement::folder()));
}

bool PortAnnouncement::announce(const QString &devicePath, QString &error)
{
    withdraw();
    const QString folder = announcementFolder();
    const QString parent = folder.left(folder.lastIndexOf(QLatin1Char('/')));
    if (!privateFolder(QFile::encodeName(parent), error) || !privateFolder(QFile::encodeName(folder), error))
        return false;
    const QByteArray linkBytes = QByteArray::fromStdString(announcement::linkPath(::getpid()));
    const QString link = QFile::decodeName(linkBytes);
    // Leftovers of an earlier process with our pid.
    ::unlink(linkBytes.constData());
    const QByteArray lockBytes = QByteArray::fromStdString(announcement::lockPath(linkBytes.toStdString()));
    ::unlink(lockBytes.constData());
    const int lock = ::open(lockBytes.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lock < 0 || ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        error = QStringLiteral("cannot lock %1: %2").arg(QFile::decodeName(lockBytes), errnoText(errno));
        if (lock >= 0) {
            ::close(lock);
            ::unlink(lockBytes.constData());
        }
        return false;
    }
    if (::symlink(QFile::encodeName(devicePath).constData(), linkBytes.constData()) != 0) {
        error = QStringLiteral("cannot create %1: %2").arg(link, errnoText(errno));
        ::close(lock);
        ::unlink(lockBytes.constData());
        return false;
    }
    lockFd_ = lock;
    link_ = link;
    device_ = devicePath;
    return true;
}

void PortAnnouncement::withdraw()
{
    if (link_.isEmpty())
        return;
    const QByteArray linkBytes = QFile::encodeName(link_);
    if (symlinkTarget(link_) == device_)
        ::unlink(linkBytes.constData());
    // The lock file goes only while it is still the one we hold.
    const QByteArray lockBytes = QByteArray::fromStdString(announcement::lockPath(linkBytes.toStdString()));
    struct stat held
    {
    }, named{};
    if (::fstat(lockFd_, &held) == 0 && ::lstat(lockBytes.constData(), &named) == 0 && held.st_dev == named.st_dev &&
        held.st_ino == named.st_ino)
        ::unlink(lockBytes.constData());
    ::close(lockFd_);
    lockFd_ = -1;
    link_.clear();
}
