#include "lpt.h"

#include "common.h"
#include "timeouts.h"

#include <algorithm>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace dravik {

namespace {

// lpN entries of a folder: (N, path), in number order.
std::vector<std::pair<long, std::string>> scanLp(const std::string &folder, bool anyKind)
{
    std::vector<std::pair<long, std::string>> found;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return found;
    while (dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        long n = 0;
        if (name.size() < 3 || name.compare(0, 2, "lp") != 0 || !parseNumber(name.substr(2), n))
            continue;
        const std::string path = folder + "/" + name;
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        // Real ports are character devices; the tests' stand-ins below
        // DRAVIK_TEST_ROOT may be FIFOs or plain files.
        if (!anyKind && !S_ISCHR(st.st_mode))
            continue;
        found.emplace_back(n, path);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

} // namespace

std::vector<LptPort> listLptPorts()
{
    const std::string root = testRoot();
    const bool anyKind = !root.empty();
    const auto parallel = scanLp(root + "/dev", anyKind);
    const auto usb = scanLp(root + "/dev/usb", anyKind);
    std::vector<LptPort> ports;
    long p = 0;
    for (const auto &e : parallel) {
        ports.push_back({"LPT" + std::to_string(e.first + 1) + ":", e.second, e.first + 1});
        p = e.first + 1;
    }
    for (const auto &e : usb)
        ports.push_back({"LPT" + std::to_string(p + e.first + 1) + ":", e.second, p + e.first + 1});
    return ports;
}

std::string lptDevicePath(const std::string &rawName, ErrorCode &code, std::string &why)
{
    std::string name = trim(rawName);
    while (!name.empty() && name.back() == ':')
        name.pop_back();
    if (name.empty()) {
        code = ErrorCode::InvalidArgument;
        why = "no raw printer port named (empty name)";
        return {};
    }
    if (hasDotDotComponent(name)) {
        code = ErrorCode::InvalidArgument;
        why = "raw printer port name \"" + name + "\" refused: it must not contain \"..\"";
        return {};
    }
    if (name[0] == '/')
        return name;
    long k = 0;
    if (startsWithNoCase(name, "LPT") && parseNumber(name.substr(3), k)) {
        const auto ports = listLptPorts();
        for (const LptPort &p : ports)
            if (p.number == k)
                return p.path;
        std::string listed;
        for (const LptPort &p : ports)
            listed += (listed.empty() ? "" : ", ") + p.name + " = " + p.path;
        code = ErrorCode::NotFound;
        why = "no raw printer port LPT" + std::to_string(k) + " (found: " +
              (listed.empty() ? std::string("none; no /dev/lp* or /dev/usb/lp* device") : listed) + ")";
        return {};
    }
    return underRoot("/dev/" + name);
}

namespace {

// Real printer ports are character devices. Only the tests' stand-ins below
// DRAVIK_TEST_ROOT may also be FIFOs or plain files.
bool isPortKind(const std::string &path, const struct stat &st)
{
    if (S_ISCHR(st.st_mode))
        return true;
    const std::string root = testRoot();
    const bool belowRoot = !root.empty() && path.size() > root.size() + 1 &&
                           path.compare(0, root.size() + 1, root + "/") == 0;
    return belowRoot && (S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode));
}

std::string kindText(mode_t mode)
{
    if (S_ISREG(mode))
        return "a plain file";
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISBLK(mode))
        return "a block device";
    return "not a character device";
}

} // namespace

bool sendLpt(const std::string &name, const unsigned char *data, std::size_t length)
{
    ErrorCode code = ErrorCode::Other;
    std::string why;
    const std::string path = lptDevicePath(name, code, why);
    if (path.empty()) {
        setError(code, why);
        return false;
    }
    const std::string shown = trim(name) == path ? path : trim(name) + " (" + path + ")";
    const std::string port = "raw printer port " + shown;
    // Anything but a device is refused before it is opened: a plain file is
    // never written (nor created: no O_CREAT, no O_TRUNC).
    struct stat before;
    if (::stat(path.c_str(), &before) == 0 && !isPortKind(path, before)) {
        setError(ErrorCode::InvalidArgument,
                 port + " refused: it is " + kindText(before.st_mode) + ", not a printer device");
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        std::string reason;
        ErrorCode kind = codeForErrno(e);
        switch (e) {
        case ENOENT:
        case ENOTDIR:
            kind = ErrorCode::NotFound;
            reason = "does not exist";
            break;
        case ENXIO:
        case ENODEV:
            reason = "has no printer behind it (unplugged, switched off, or its driver is not loaded)";
            break;
        case EBUSY:
            reason = "is in use by another program";
            break;
        case EACCES:
        case EPERM:
            reason = "cannot be opened: permission denied; add the user to the lp group (sudo usermod -aG lp $USER, then log in again)";
            break;
        case ENOSPC:
            reason = "reports the printer out of paper";
            break;
        case EIO:
            reason = "reports the printer offline or in error";
            break;
        default:
            reason = "cannot be opened: " + errnoText(e);
        }
        setError(kind, port + " " + reason);
        return false;
    }
    // The opened file is checked again: it may have been swapped since.
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !isPortKind(path, opened)) {
        ::close(fd);
        setError(ErrorCode::InvalidArgument, port + " refused: it is not a printer device");
        return false;
    }
    if (::isatty(fd)) {
        // A terminal standing in for a port: pass the bytes unchanged.
        termios t{};
        if (::tcgetattr(fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
    }
    using namespace std::chrono;
    const long long limitMs = lptTimeoutMs(static_cast<long long>(length));
    const WriteResult w = writeWithDeadline(fd, data, length, steady_clock::now() + milliseconds(limitMs));
    ::close(fd);
    if (w.ok)
        return true;
    const std::string what = std::to_string(length) + " bytes to " + shown;
    if (w.timedOut)
        setError(ErrorCode::TimedOut, "time-out after " + std::to_string(limitMs) + " ms: the printer took only " +
                                          std::to_string(w.written) + " of " + what +
                                          " (offline, out of paper or switched off?)");
    else
        setError(codeForErrno(w.err),
                 "writing " + what + " failed after " + std::to_string(w.written) + " bytes: " + errnoText(w.err) +
                     (w.err == EIO || w.err == ENODEV || w.err == ENXIO ? std::string(" (printer unplugged or in error?)")
                                                                        : std::string()));
    return false;
}

} // namespace dravik
