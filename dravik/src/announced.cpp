#include "announced.h"

#include "announcement_rules.h"

#include <algorithm>
#include <cstdlib>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dravik {

namespace {

// A folder of this user's (or root's) that not everybody may write to: links
// found there were put there by this user (or a group the user shares it
// with). /tmp is shared, so a folder someone else made in the user's place is
// not trusted.
bool trustedFolder(const std::string &path)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid != ::getuid() && st.st_uid != 0)
        return false;
    return (st.st_mode & S_IWOTH) == 0;
}

// A virtual printer holds a lock on "<link>.lock" for as long as it runs. A
// link whose lock nobody holds was left by a server that was killed; its pty
// number may since have gone to one of the user's own terminals.
bool heldByARunningServer(const std::string &link)
{
    const int fd =
        ::open(announcement::lockPath(link).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st;
    bool held = false;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd); // also lets go of the lock when we got it
    return held;
}

} // namespace

std::string announcementFolder()
{
    return announcement::folder();
}

std::vector<std::string> listAnnouncedPorts()
{
    const std::string folder = announcementFolder();
    const std::string parent = folder.substr(0, folder.rfind('/'));
    if (!trustedFolder(parent) || !trustedFolder(folder))
        return {};
    std::vector<std::string> names;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return {};
    while (dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "/" + name;
        struct stat link, target;
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            continue;
        // Stale: the virtual printer ended and its device is gone (or the
        // link points at something that is no device).
        if (::stat(path.c_str(), &target) != 0 || !S_ISCHR(target.st_mode))
            continue;
        if (!heldByARunningServer(path))
            continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string &n : names)
        paths.push_back(folder + "/" + n);
    return paths;
}

bool announcedPortAbandoned(const std::string &path)
{
    const std::string folder = announcementFolder() + "/";
    if (path.compare(0, folder.size(), folder) != 0 || path.find('/', folder.size()) != std::string::npos)
        return false;
    return !heldByARunningServer(path);
}

} // namespace dravik
