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

std::string lptDevicePath(const std::string &rawName, std::string &why)
{
    std::string name = trim(rawName);
    while (!name.empty() && name.back() == ':')
        name.pop_back();
    if (name.empty()) {
        why = "no raw printer port named (empty name)";
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
        why = "no raw printer port LPT" + std::to_string(k) + " (found: " +
              (listed.empty() ? std::string("none; no /dev/lp* or /dev/usb/lp* device") : listed) + ")";
        return {};
    }
    return underRoot("/dev/" + name);
}

bool sendLpt(const std::string &name, const unsigned char *data, std::size_t length)
{
    std::string why;
    const std::string path = lptDevicePath(name, why);
    if (path.empty()) {
        setError(why);
        return false;
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        std::string reason;
        switch (e) {
        case ENOENT:
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
        setError("raw printer port " + trim(name) + " (" + path + ") " + reason);
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
    const std::string what = std::to_string(length) + " bytes to " + trim(name) + " (" + path + ")";
    if (w.timedOut)
        setError("time-out after " + std::to_string(limitMs) + " ms: the printer took only " +
                 std::to_string(w.written) + " of " + what + " (offline, out of paper or switched off?)");
    else
        setError("writing " + what + " failed after " + std::to_string(w.written) + " bytes: " + errnoText(w.err) +
                 (w.err == EIO || w.err == ENODEV || w.err == ENXIO ? std::string(" (printer unplugged or in error?)")
                                                                    : std::string()));
    return false;
}

} // namespace dravik
