#include "lpt.h"

#include "common.h"
#include "exchange.h"
#include "timeouts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace dravik {

namespace {

// The character devices of the printer drivers: the parallel-port printer
// (lp, major 6) and the USB printer class (usblp, major 180; that major also
// holds other USB class devices, which sysfs names otherwise).
constexpr unsigned kParallelPrinterMajor = 6;
constexpr unsigned kUsbClassMajor = 180;

// The sysfs name of a character device ("lp0", "hiddev0"), or empty.
std::string sysfsName(dev_t rdev)
{
    const std::string link =
        underRoot("/sys/dev/char/" + std::to_string(major(rdev)) + ":" + std::to_string(minor(rdev)));
    char buf[PATH_MAX];
    if (!::realpath(link.c_str(), buf))
        return {};
    const std::string path = buf;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isPrinterDevice(const struct stat &st)
{
    if (!S_ISCHR(st.st_mode))
        return false;
    const unsigned m = major(st.st_rdev);
    if (m == kParallelPrinterMajor)
        return true;
    if (m != kUsbClassMajor)
        return false;
    const std::string name = sysfsName(st.st_rdev);
    return name.empty() || name.compare(0, 2, "lp") == 0;
}

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
        // Real ports are the printer drivers' devices; the test build's
        // stand-ins may be FIFOs, plain files or pseudo-terminals.
        if (!anyKind && !isPrinterDevice(st))
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

std::string lptDevicePath(const std::string &rawName, DravikErrorCode &code, std::string &why)
{
    std::string name = trim(rawName);
    while (!name.empty() && name.back() == ':')
        name.pop_back();
    if (name.empty()) {
        code = DRAVIK_ERROR_INVALID_ARGUMENT;
        why = "no raw printer port named (empty name)";
        return {};
    }
    if (hasDotDotComponent(name)) {
        code = DRAVIK_ERROR_INVALID_ARGUMENT;
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
        code = DRAVIK_ERROR_NOT_FOUND;
        why = "no raw printer port LPT" + std::to_string(k) +
              " (found: " + (listed.empty() ? std::string("none; no /dev/lp* or /dev/usb/lp* device") : listed) + ")";
        return {};
    }
    return underRoot("/dev/" + name);
}

namespace {

// Only the test build's stand-ins below its device root may also be FIFOs,
// plain files or other character devices (pseudo-terminals).
bool isPortKind(const std::string &path, const struct stat &st)
{
    if (isPrinterDevice(st))
        return true;
    const std::string root = testRoot();
    const bool belowRoot =
        !root.empty() && path.size() > root.size() + 1 && path.compare(0, root.size() + 1, root + "/") == 0;
    return belowRoot && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode));
}

// What a character device that is no printer port is, by its driver.
std::string charDeviceText(const struct stat &st)
{
    const unsigned m = major(st.st_rdev);
    std::string what;
    if (m == 1)
        what = "a memory device";
    else if (m == 4 || m == 5)
        what = "a terminal";
    else if (m >= 136 && m <= 143)
        what = "a pseudo-terminal";
    else if (m == 7)
        what = "a virtual console's memory";
    else if (m == 10)
        what = "a miscellaneous device";
    else if (m == 13)
        what = "an input device";
    else if (m == 29)
        what = "a frame buffer";
    else if (m == 166)
        what = "a USB modem serial port";
    else if (m == 188)
        what = "a USB serial adapter";
    else if (m == 189)
        what = "a raw USB device";
    else if (m == kUsbClassMajor) {
        const std::string name = sysfsName(st.st_rdev);
        what = "a USB device that is no printer" + (name.empty() ? std::string() : " (" + name + ")");
    } else
        what = "the device of another driver";
    return what + " (major " + std::to_string(m) + ")";
}

std::string kindText(const struct stat &st)
{
    const mode_t mode = st.st_mode;
    if (S_ISCHR(mode))
        return charDeviceText(st);
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
    return "no device";
}

std::string notAPortText(const std::string &path, const struct stat &st)
{
    return path + " is not a printer port: it is " + kindText(st) +
           " (raw printer ports are /dev/lp* and /dev/usb/lp*)";
}

} // namespace

namespace {

// Opens a raw printer port by the name the program passes, refusing anything
// that is no printer driver's device: the descriptor, or -1 with the reason
// set. shown: how messages name it.
int openLpt(const std::string &name, int mode, std::string &shown)
{
    DravikErrorCode code = DRAVIK_ERROR_OTHER;
    std::string why;
    const std::string path = lptDevicePath(name, code, why);
    if (path.empty()) {
        setError(code, why);
        return -1;
    }
    shown = trim(name) == path ? path : trim(name) + " (" + path + ")";
    const std::string port = "raw printer port " + shown;
    // Anything but a printer driver's device is refused before it is opened:
    // a plain file is never written (nor created: no O_CREAT, no O_TRUNC),
    // nor /dev/null, a terminal or memory.
    struct stat before;
    if (::stat(path.c_str(), &before) == 0 && !isPortKind(path, before)) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, notAPortText(path, before));
        return -1;
    }
    const int fd = ::open(path.c_str(), mode | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        std::string reason;
        DravikErrorCode kind = codeForErrno(e);
        switch (e) {
        case ENOENT:
        case ENOTDIR:
            kind = DRAVIK_ERROR_NOT_FOUND;
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
            reason = "cannot be opened: permission denied; add the user to the lp group (sudo usermod -aG lp $USER, "
                     "then log in again)";
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
        return -1;
    }
    // The opened file is checked again: it may have been swapped since.
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !isPortKind(path, opened)) {
        ::close(fd);
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, path + " is not a printer port: it changed while it was opened");
        return -1;
    }
    if (::isatty(fd)) {
        // A terminal standing in for a port: pass the bytes unchanged.
        termios t{};
        if (::tcgetattr(fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(fd, TCSANOW, &t);
        }
    }
    return fd;
}

} // namespace

bool sendLpt(const std::string &name, const unsigned char *data, std::size_t length)
{
    std::string shown;
    const int fd = openLpt(name, O_WRONLY, shown);
    if (fd < 0)
        return false;
    using namespace std::chrono;
    const long long limitMs = lptTimeoutMs(static_cast<long long>(length));
    const WriteResult w = writeWithDeadline(fd, data, length, steady_clock::now() + milliseconds(limitMs));
    ::close(fd);
    if (w.ok)
        return true;
    const std::string what = std::to_string(length) + " bytes to " + shown;
    if (w.timedOut)
        setError(DRAVIK_ERROR_TIMED_OUT, "time-out after " + std::to_string(limitMs) + " ms: the printer took only " +
                                             std::to_string(w.written) + " of " + what +
                                             " (offline, out of paper or switched off?)");
    else
        setError(codeForErrno(w.err), "writing " + what + " failed after " + std::to_string(w.written) +
                                          " bytes: " + errnoText(w.err) +
                                          (w.err == EIO || w.err == ENODEV || w.err == ENXIO
                                               ? std::string(" (printer unplugged or in error?)")
                                               : std::string()));
    return false;
}

int queryLpt(const std::string &name, const unsigned char *request, std::size_t requestLength, unsigned char *reply,
             std::size_t size, int timeoutMs)
{
    DravikErrorCode code = DRAVIK_ERROR_OTHER;
    std::string why;
    const std::string path = lptDevicePath(name, code, why);
    if (path.empty()) {
        setError(code, why);
        return -1;
    }
    char resolved[PATH_MAX];
    DeviceTurn turn(::realpath(path.c_str(), resolved) ? std::string(resolved) : path, timeoutMs);
    if (!turn.ok())
        return -1;
    std::string shown;
    const int fd = openLpt(name, O_RDWR, shown);
    if (fd < 0)
        return -1;
    const int got = exchange(fd, shown, request, requestLength, reply, size, timeoutMs, false);
    ::close(fd);
    return got;
}

} // namespace dravik
