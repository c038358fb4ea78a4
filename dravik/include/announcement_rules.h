// Where virtual printers announce their serial ports, shared by the server
// that writes the announcements and the printer I/O library that reads them.
// Plain C++ and POSIX, no Qt: the library must not depend on it.
//
//   folder   $XDG_RUNTIME_DIR/nemboport/printers   (XDG_RUNTIME_DIR set, not empty)
//            /tmp/nemboport-<uid>/printers          (otherwise)
//   link     <folder>/virtual-printer-<pid> -> the pty's device (/dev/pts/N)
//   lock     "<link>.lock", a regular file the server holds an exclusive
//            flock() on for as long as it runs
#pragma once

#include <cstdlib>
#include <string>

#include <sys/types.h>
#include <unistd.h>

namespace announcement {

inline constexpr const char *kLockSuffix = ".lock";
inline constexpr const char *kLinkPrefix = "virtual-printer-";

// The folder for this user, without a trailing "/".
inline std::string folder()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base;
    if (runtime && *runtime) {
        base = runtime;
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        base += "/nemboport";
    } else {
        base = "/tmp/nemboport-" + std::to_string(::getuid());
    }
    return base + "/printers";
}

// The link a server with this process id writes.
inline std::string linkPath(pid_t pid)
{
    return folder() + "/" + kLinkPrefix + std::to_string(pid);
}

inline std::string lockPath(const std::string &link)
{
    return link + kLockSuffix;
}

} // namespace announcement
