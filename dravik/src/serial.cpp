#include "serial.h"

#include "announced.h"
#include "common.h"
#include "exchange.h"
#include "timeouts.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace dravik {

namespace {

// ---- listing ---------------------------------------------------------------

bool readFirstLine(const std::string &path, std::string &line)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::getline(in, line);
    return true;
}

bool exists(const std::string &path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Sort key: the name's letters and its trailing number.
struct PortKey {
    int rank;
    std::string stem;
    long number;
};

PortKey keyOf(const std::string &name)
{
    std::size_t d = name.size();
    while (d > 0 && name[d - 1] >= '0' && name[d - 1] <= '9')
        --d;
    long n = -1;
    if (d < name.size() && !parseNumber(name.substr(d), n))
        n = LONG_MAX;
    const std::string stem = name.substr(0, d);
    const int rank = stem == "ttyUSB" ? 0 : stem == "ttyACM" ? 1 : 2;
    return {rank, stem, n};
}

} // namespace

std::vector<std::string> listSerialPorts()
{
    const std::string root = testRoot();
    const std::string classDir = root + "/sys/class/tty";
    std::set<std::string> consoles;
    {
        std::string active;
        if (readFirstLine(classDir + "/console/active", active)) {
            std::istringstream words(active);
            std::string w;
            while (words >> w)
                consoles.insert(w);
        }
    }
    std::vector<std::string> names;
    DIR *dir = ::opendir(classDir.c_str());
    if (!dir)
        return {};
    while (dirent *e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        const std::string entry = classDir + "/" + name;
        // Virtual terminals, ptmx, console: no device behind them.
        if (!exists(entry + "/device"))
            continue;
        // A serial_core port (8250 ttyS*, ...) has a "type"; 0 (PORT_UNKNOWN)
        // is a placeholder with no UART behind it.
        std::string type;
        if (readFirstLine(entry + "/type", type) && trim(type) == "0")
            continue;
        if (consoles.count(name))
            continue;
        struct stat st;
        const std::string dev = root + "/dev/" + name;
        if (::stat(dev.c_str(), &st) != 0)
            continue;
        if (root.empty() && !S_ISCHR(st.st_mode))
            continue;
        names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        const PortKey ka = keyOf(a), kb = keyOf(b);
        if (ka.rank != kb.rank)
            return ka.rank < kb.rank;
        if (ka.stem != kb.stem)
            return ka.stem < kb.stem;
        return ka.number < kb.number;
    });
    std::vector<std::string> paths;
    for (const std::string &n : names)
        paths.push_back(root + "/dev/" + n);
    return paths;
}

std::string serialDevicePath(const std::string &rawName)
{
    std::string name = trim(rawName);
    if (name.empty())
        return {};
    if (name[0] == '/')
        return name;
    if (startsWithNoCase(name, "COM")) {
        std::string digits = name.substr(3);
        if (!digits.empty() && digits.back() == ':')
            digits.pop_back();
        long n = 0;
        if (parseNumber(digits, n) && n >= 1)
            return underRoot("/dev/ttyS" + std::to_string(n - 1));
    }
    return underRoot("/dev/" + name);
}

// ---- open ports ---------------------------------------------------------------

namespace {

struct Port {
    std::string path;
    int fd = -1;
    int baud = 0;
    std::timed_mutex io; // one writer or reader at a time
};

// The open ports. Its lock is never held while waiting for a port's io lock.
std::mutex g_tableMutex;
std::vector<std::shared_ptr<Port>> g_ports;
// Serializes opening ports that are not open yet.
std::mutex g_openMutex;

struct Speed {
    int baud;
    speed_t code;
};
const Speed kSpeeds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool speedCode(int baud, speed_t &code)
{
    for (const Speed &s : kSpeeds)
        if (s.baud == baud) {
            code = s.code;
            return true;
        }
    return false;
}

// The same device under two names (a /dev/serial/by-id link): compare the
// resolved paths.
std::string canonical(const std::string &path)
{
    char buf[PATH_MAX];
    if (::realpath(path.c_str(), buf))
        return buf;
    return path;
}

std::shared_ptr<Port> findLocked(const std::string &path)
{
    if (path.empty())
        return {};
    const std::string c = canonical(path);
    for (const auto &p : g_ports)
        if (p->path == path || canonical(p->path) == c)
            return p;
    return {};
}

// The named open port, or else the only open port; null with the kind and
// reason of the failure.
std::shared_ptr<Port> findForUse(const std::string &name, ErrorCode &code, std::string &why)
{
    const std::string path = serialDevicePath(name);
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (auto p = findLocked(path))
        return p;
    if (g_ports.size() == 1)
        return g_ports.front();
    if (g_ports.empty()) {
        code = ErrorCode::NotFound;
        why = "no serial port is open" + (path.empty() ? std::string() : " (" + path + "): open it first");
    } else {
        code = ErrorCode::InvalidArgument;
        why = "serial port " + (path.empty() ? std::string("(none named)") : path) +
              " is not open, and more than one other port is";
    }
    return {};
}

// Names of a group and a user (the reentrant calls: a send may run on any
// thread); the number when it has no name.
std::string groupName(gid_t gid)
{
    std::vector<char> buf(16384);
    group g{};
    group *found = nullptr;
    if (::getgrgid_r(gid, &g, buf.data(), buf.size(), &found) == 0 && found && found->gr_name)
        return found->gr_name;
    return std::to_string(gid);
}

std::string userName(uid_t uid)
{
    std::vector<char> buf(16384);
    passwd p{};
    passwd *found = nullptr;
    if (::getpwuid_r(uid, &p, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
        return found->pw_name;
    return std::to_string(uid);
}

// What a user refused a serial device can do about it: join the group that
// may read and write the device, or, when no group may (a device of root's
// with mode 0600), have a udev rule give it one.
std::string permissionAdvice(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return "add the user to the group of the device (ls -l " + path + " shows it), then log in again";
    const bool groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    const std::string owningGroup = groupName(st.st_gid);
    if (groupMayUse && st.st_gid != 0)
        return "the device belongs to group " + owningGroup + ", which may read and write it: add the user to it (sudo usermod -aG " +
               owningGroup + " $USER), then log in again";
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    const std::string who = groupMayUse ? "only its owner and group root may" : "no group may";
    return "the device (owner " + userName(st.st_uid) + ", group " + owningGroup + ", mode " + mode + "): " + who +
           " read and write it, so joining a group would not help; give it a group with a udev rule "
           "(\"A serial port no group may use\" in dravik/README.md)";
}

void releaseFd(int fd)
{
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

// Raw 8N1 without flow control at the speed; false with the kind and reason.
bool configure(int fd, int baud, speed_t speed, const std::string &path, ErrorCode &code, std::string &why)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        const int e = errno;
        code = e == ENOTTY ? ErrorCode::InvalidArgument : codeForErrno(e);
        why = "cannot read the settings of " + path + ": " + errnoText(e);
        return false;
    }
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        const int e = errno;
        code = e == EINVAL ? ErrorCode::InvalidArgument : codeForErrno(e);
        why = "cannot set " + path + " to " + std::to_string(baud) + " baud 8N1: " + errnoText(e);
        return false;
    }
    termios back{};
    if (::tcgetattr(fd, &back) != 0 || ::cfgetospeed(&back) != speed) {
        code = ErrorCode::InvalidArgument;
        why = path + " does not take " + std::to_string(baud) + " baud";
        return false;
    }
    return true;
}

// Opens a port that is not in the table yet and adds it (g_openMutex held).
int openNew(const std::string &path, int baud, speed_t speed)
{
    if (announcedPortAbandoned(path)) {
        setError(ErrorCode::NotFound, "virtual printer " + path + " has ended: its server no longer runs");
        return -1;
    }
    // Only a character device is opened at all (a symbolic link to one, like
    // /dev/serial/by-id/..., is fine): a FIFO or a plain file given as a port
    // is never opened, let alone written.
    struct stat before;
    if (::stat(path.c_str(), &before) == 0 && !S_ISCHR(before.st_mode)) {
        setError(ErrorCode::InvalidArgument, path + " is not a serial port (not a terminal device)");
        return 0;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        switch (e) {
        case ENOENT:
        case ENOTDIR:
            setError(ErrorCode::NotFound, "serial port " + path + " does not exist");
            return -1;
        case ENXIO:
        case ENODEV:
            setError(ErrorCode::DeviceLost,
                     "serial port " + path + " has no device behind it (unplugged adapter?): " + errnoText(e));
            return -1;
        case EBUSY:
            setError(ErrorCode::Busy, "serial port " + path + " is in use by another program");
            return -1;
        case EACCES:
        case EPERM:
            setError(ErrorCode::NoPermission, "permission denied opening " + path + ": " + permissionAdvice(path));
            return 0;
        default:
            setError(codeForErrno(e), "cannot open serial port " + path + ": " + errnoText(e));
            return 0;
        }
    }
    // What was opened is what was looked at, and a terminal.
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || !::isatty(fd)) {
        ::close(fd);
        setError(ErrorCode::InvalidArgument, path + " is not a serial port (not a terminal device)");
        return 0;
    }
    // Exclusive for this program: an advisory lock (seen by other programs that
    // lock, and by root), and TIOCEXCL (refuses other opens except root's).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK) {
            setError(ErrorCode::Busy, "serial port " + path + " is in use by another program (locked)");
            return -1;
        }
        setError(codeForErrno(e), "cannot lock serial port " + path + ": " + errnoText(e));
        return 0;
    }
    int excl = 0;
    if (::ioctl(fd, TIOCGEXCL, &excl) == 0 && excl) {
        // Another program holds it exclusively (we got in only as root).
        ::flock(fd, LOCK_UN);
        ::close(fd);
        setError(ErrorCode::Busy, "serial port " + path + " is in use by another program (held exclusively)");
        return -1;
    }
    ::ioctl(fd, TIOCEXCL);
    ErrorCode code = ErrorCode::Other;
    std::string why;
    if (!configure(fd, baud, speed, path, code, why)) {
        releaseFd(fd);
        setError(code, why);
        return 0;
    }
    // Stale input goes; output that an earlier send left queued (still on its
    // way out of the port) stays.
    ::tcflush(fd, TCIFLUSH);
    auto port = std::make_shared<Port>();
    port->path = path;
    port->fd = fd;
    port->baud = baud;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    g_ports.push_back(port);
    return 1;
}

} // namespace

int openSerial(const std::string &name, int baud)
{
    const std::string path = serialDevicePath(name);
    if (path.empty()) {
        setError(ErrorCode::InvalidArgument, "no serial port named (empty port name)");
        return -1;
    }
    if (hasDotDotComponent(trim(name))) {
        setError(ErrorCode::InvalidArgument, "serial port name \"" + trim(name) + "\" refused: it must not contain \"..\"");
        return 0;
    }
    speed_t speed = 0;
    if (!speedCode(baud, speed)) {
        setError(ErrorCode::InvalidArgument, "unsupported baud rate " + std::to_string(baud) + " for " + path);
        return 0;
    }
    // The table's lock is held only to look a port up or to add one: a reopen
    // waits for a send on that port alone, never holding up the other ports.
    for (;;) {
        std::shared_ptr<Port> open;
        {
            std::lock_guard<std::mutex> lock(g_tableMutex);
            open = findLocked(path);
        }
        if (open) {
            // Already ours: only the rate changes, once a send on it has ended.
            std::lock_guard<std::timed_mutex> io(open->io);
            if (open->fd < 0)
                continue; // closed meanwhile: open it anew
            ErrorCode code = ErrorCode::Other;
            std::string why;
            if (!configure(open->fd, baud, speed, path, code, why)) {
                setError(code, why);
                return 0;
            }
            open->baud = baud;
            return 1;
        }
        // New ports are opened one at a time (an open never waits on a
        // device), so two threads never both open the same one.
        std::lock_guard<std::mutex> opening(g_openMutex);
        {
            std::lock_guard<std::mutex> lock(g_tableMutex);
            if (findLocked(path))
                continue; // another thread opened it meanwhile
        }
        return openNew(path, baud, speed);
    }
}

int closeSerial(const std::string &name)
{
    std::shared_ptr<Port> port;
    {
        const std::string path = serialDevicePath(name);
        std::lock_guard<std::mutex> lock(g_tableMutex);
        port = findLocked(path);
        // The program closes with the serial list's current text, which may
        // name another port than the open one: then close the only open one.
        if (!port && g_ports.size() == 1)
            port = g_ports.front();
        if (!port) {
            if (g_ports.empty())
                return 1; // nothing open: closed already
            setError(ErrorCode::InvalidArgument, "serial port " + (path.empty() ? std::string("(none named)") : path) +
                                                     " is not open, and more than one other port is");
            return 0;
        }
        g_ports.erase(std::remove(g_ports.begin(), g_ports.end(), port), g_ports.end());
    }
    // Wait for a send on another thread to end, then let go of the device.
    std::lock_guard<std::timed_mutex> io(port->io);
    releaseFd(port->fd);
    port->fd = -1;
    return 1;
}

namespace {

// A send names a port that cannot be one: a ".." in the name, or a path that
// exists and is no character device (a plain file, a FIFO, a folder). Such a
// name is refused instead of falling back to the only open port.
bool refusedSendName(const std::string &name)
{
    const std::string trimmed = trim(name);
    if (trimmed.empty())
        return false;
    if (hasDotDotComponent(trimmed)) {
        setError(ErrorCode::InvalidArgument, "serial port name \"" + trimmed + "\" refused: it must not contain \"..\"");
        return true;
    }
    const std::string path = serialDevicePath(trimmed);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISCHR(st.st_mode)) {
        setError(ErrorCode::InvalidArgument, path + " is not a serial port (not a terminal device)");
        return true;
    }
    return false;
}

} // namespace

bool sendSerial(const std::string &name, const unsigned char *data, std::size_t length)
{
    if (refusedSendName(name))
        return false;
    ErrorCode code = ErrorCode::Other;
    std::string why;
    const auto port = findForUse(name, code, why);
    if (!port) {
        setError(code, why);
        return false;
    }
    std::lock_guard<std::timed_mutex> io(port->io);
    if (port->fd < 0) {
        setError(ErrorCode::NotFound, "serial port " + port->path + " was closed");
        return false;
    }
    using namespace std::chrono;
    const long long limitMs = serialTimeoutMs(static_cast<long long>(length), port->baud);
    const auto start = steady_clock::now();
    const auto deadline = start + milliseconds(limitMs);
    const WriteResult w = writeWithDeadline(port->fd, data, length, deadline);
    const std::string what = std::to_string(length) + " bytes to " + port->path;
    if (!w.ok) {
        if (w.timedOut)
            setError(ErrorCode::TimedOut, "time-out after " + std::to_string(limitMs) + " ms: only " +
                                              std::to_string(w.written) + " of " + what +
                                              " were taken (nothing reads the port?)");
        else
            setError(codeForErrno(w.err), "writing " + what + " failed after " + std::to_string(w.written) +
                                              " bytes: " + errnoText(w.err) +
                                              (codeForErrno(w.err) == ErrorCode::DeviceLost
                                                   ? std::string(" (adapter unplugged or the far end went away)")
                                                   : std::string()));
        return false;
    }
    // Wait until the bytes have left: the output queue empties, then tcdrain
    // (which then has at most the UART's last bytes to wait for).
    for (;;) {
        int queued = 0;
        if (::ioctl(port->fd, TIOCOUTQ, &queued) != 0) {
            const int e = errno;
            setError(codeForErrno(e), "waiting for " + what + " to leave failed: " + errnoText(e));
            return false;
        }
        if (queued <= 0)
            break;
        if (steady_clock::now() >= deadline) {
            setError(ErrorCode::TimedOut, "time-out after " + std::to_string(limitMs) + " ms: " +
                                              std::to_string(queued) + " of " + what + " had not left the port");
            return false;
        }
        ::usleep(5000);
    }
    while (::tcdrain(port->fd) != 0) {
        if (errno == EINTR)
            continue;
        const int e = errno;
        setError(codeForErrno(e), "waiting for " + what + " to leave failed: " + errnoText(e));
        return false;
    }
    return true;
}

int receiveSerial(const std::string &name, unsigned char *buffer, int size)
{
    if (size < 0 || (size > 0 && !buffer)) {
        setError(ErrorCode::InvalidArgument, "GetCommRecvData: no buffer or a negative size");
        return -1;
    }
    ErrorCode code = ErrorCode::Other;
    std::string why;
    const auto port = findForUse(name, code, why);
    if (!port) {
        setError(code, why);
        return -1;
    }
    if (size == 0)
        return 0;
    std::lock_guard<std::timed_mutex> io(port->io);
    if (port->fd < 0) {
        setError(ErrorCode::NotFound, "serial port " + port->path + " was closed");
        return -1;
    }
    for (;;) {
        const ssize_t n = ::read(port->fd, buffer, static_cast<std::size_t>(size));
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        const int e = errno;
        setError(codeForErrno(e), "reading from " + port->path + " failed: " + errnoText(e));
        return -1;
    }
}

int querySerial(const std::string &name, const unsigned char *request, std::size_t requestLength, unsigned char *reply,
                std::size_t size, int timeoutMs)
{
    if (refusedSendName(name))
        return -1;
    ErrorCode code = ErrorCode::Other;
    std::string why;
    const auto port = findForUse(name, code, why);
    if (!port) {
        setError(code, why);
        return -1;
    }
    // One send or request at a time, waiting no longer than the request may.
    std::unique_lock<std::timed_mutex> io(port->io, std::defer_lock);
    if (!io.try_lock_for(std::chrono::milliseconds(std::max(0, timeoutMs)))) {
        setError(ErrorCode::Busy, "serial port " + port->path + " is busy with another send or request");
        return -1;
    }
    if (port->fd < 0) {
        setError(ErrorCode::NotFound, "serial port " + port->path + " was closed");
        return -1;
    }
    ::tcflush(port->fd, TCIFLUSH);
    return exchange(port->fd, "serial port " + port->path, request, requestLength, reply, size, timeoutMs, false);
}

int querySerialDevice(const std::string &path, int baud, const unsigned char *request, std::size_t requestLength,
                      unsigned char *reply, std::size_t size, int timeoutMs)
{
    // A port this program has open is asked through that open port (the
    // table's lock is let go before the request, which may wait on the port).
    bool isOpen = false;
    {
        std::lock_guard<std::mutex> lock(g_tableMutex);
        isOpen = static_cast<bool>(findLocked(path));
    }
    if (isOpen)
        return querySerial(path, request, requestLength, reply, size, timeoutMs);
    speed_t speed = 0;
    if (!speedCode(baud, speed)) {
        setError(ErrorCode::InvalidArgument, "unsupported baud rate " + std::to_string(baud) + " for " + path);
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        setError(e == ENOENT ? ErrorCode::NotFound : codeForErrno(e),
                 "cannot open serial port " + path + ": " + errnoText(e) +
                     (e == EACCES || e == EPERM ? ": " + permissionAdvice(path) : std::string()));
        return -1;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || !::isatty(fd)) {
        ::close(fd);
        setError(ErrorCode::InvalidArgument, path + " is not a serial port (not a terminal device)");
        return -1;
    }
    int excl = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || (::ioctl(fd, TIOCGEXCL, &excl) == 0 && excl)) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        setError(ErrorCode::Busy, "serial port " + path + " is in use (by the print server's job or another program)");
        return -1;
    }
    ::ioctl(fd, TIOCEXCL);
    ErrorCode code = ErrorCode::Other;
    std::string why;
    if (!configure(fd, baud, speed, path, code, why)) {
        releaseFd(fd);
        setError(code, why);
        return -1;
    }
    ::tcflush(fd, TCIFLUSH);
    const int got = exchange(fd, "serial port " + path, request, requestLength, reply, size, timeoutMs, false);
    releaseFd(fd);
    return got;
}

} // namespace dravik
