#include "serial.h"

#include "announced.h"
#include "common.h"
#include "exchange.h"
#include "serial_advice.h"
#include "serial_names.h"
#include "serial_termios.h"
#include "timeouts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace dravik {

// ---- open ports ---------------------------------------------------------------

namespace {

// One writer or reader at a time, and a request waits no longer than it may.
// Built on a plain mutex and a condition variable rather than
// std::timed_mutex, whose timed wait ThreadSanitizer cannot follow here.
class PortGate
{
public:
    void lock()
    {
        std::unique_lock<std::mutex> l(m_);
        free_.wait(l, [this] { return !busy_; });
        busy_ = true;
    }
    bool try_lock_for(std::chrono::milliseconds wait)
    {
        std::unique_lock<std::mutex> l(m_);
        if (!free_.wait_for(l, wait, [this] { return !busy_; }))
            return false;
        busy_ = true;
        return true;
    }
    void unlock()
    {
        {
            std::lock_guard<std::mutex> l(m_);
            busy_ = false;
        }
        free_.notify_one();
    }

private:
    std::mutex m_;
    std::condition_variable free_;
    bool busy_ = false;
};

struct Port
{
    std::string path;
    int fd = -1;
    int baud = 0;
    PortGate io;
};

// The open ports. Its lock is never held while waiting for a port's io lock.
// Never destroyed: a question a program left running when it ends may still
// finish during the program's exit.
std::mutex &g_tableMutex = *new std::mutex;
std::vector<std::shared_ptr<Port>> &g_ports = *new std::vector<std::shared_ptr<Port>>;
// Serializes opening ports that are not open yet.
std::mutex g_openMutex;

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
std::shared_ptr<Port> findForUse(const std::string &name, DravikErrorCode &code, std::string &why)
{
    const std::string path = serialDevicePath(name);
    std::lock_guard<std::mutex> lock(g_tableMutex);
    if (auto p = findLocked(path))
        return p;
    if (g_ports.size() == 1)
        return g_ports.front();
    if (g_ports.empty()) {
        code = DRAVIK_ERROR_NOT_FOUND;
        why = "no serial port is open" + (path.empty() ? std::string() : " (" + path + "): open it first");
    } else {
        code = DRAVIK_ERROR_INVALID_ARGUMENT;
        why = "serial port " + (path.empty() ? std::string("(none named)") : path) +
              " is not open, and more than one other port is";
    }
    return {};
}

// Opens a port that is not in the table yet and adds it (g_openMutex held).
int openNew(const std::string &path, int baud)
{
    if (announcedPortAbandoned(path)) {
        setError(DRAVIK_ERROR_NOT_FOUND, "virtual printer " + path + " has ended: its server no longer runs");
        return -1;
    }
    // Only a character device is opened at all (a symbolic link to one, like
    // /dev/serial/by-id/..., is fine): a FIFO or a plain file given as a port
    // is never opened, let alone written.
    struct stat before;
    if (::stat(path.c_str(), &before) == 0 && !S_ISCHR(before.st_mode)) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, path + " is not a serial port (not a terminal device)");
        return 0;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        switch (e) {
        case ENOENT:
        case ENOTDIR:
            setError(DRAVIK_ERROR_NOT_FOUND, "serial port " + path + " does not exist");
            return -1;
        case ENXIO:
        case ENODEV:
            setError(DRAVIK_ERROR_DEVICE_LOST,
                     "serial port " + path + " has no device behind it (unplugged adapter?): " + errnoText(e));
            return -1;
        case EBUSY:
            setError(DRAVIK_ERROR_BUSY, "serial port " + path + " is in use by another program");
            return -1;
        case EACCES:
        case EPERM:
            setError(DRAVIK_ERROR_NO_PERMISSION, "permission denied opening " + path + ": " + permissionAdvice(path));
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
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, path + " is not a serial port (not a terminal device)");
        return 0;
    }
    // Exclusive for this program: an advisory lock (seen by other programs that
    // lock, and by root), and TIOCEXCL (refuses other opens except root's).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        ::close(fd);
        if (e == EWOULDBLOCK) {
            setError(DRAVIK_ERROR_BUSY, "serial port " + path + " is in use by another program (locked)");
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
        setError(DRAVIK_ERROR_BUSY, "serial port " + path + " is in use by another program (held exclusively)");
        return -1;
    }
    ::ioctl(fd, TIOCEXCL);
    DravikErrorCode code = DRAVIK_ERROR_OTHER;
    std::string why;
    if (!configure(fd, baud, path, code, why)) {
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
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, "no serial port named (empty port name)");
        return -1;
    }
    if (hasDotDotComponent(trim(name))) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT,
                 "serial port name \"" + trim(name) + "\" refused: it must not contain \"..\"");
        return 0;
    }
    std::string refused;
    if (!rateTaken(baud, path, refused)) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, refused);
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
            std::lock_guard<PortGate> io(open->io);
            if (open->fd < 0)
                continue; // closed meanwhile: open it anew
            DravikErrorCode code = DRAVIK_ERROR_OTHER;
            std::string why;
            if (!configure(open->fd, baud, path, code, why)) {
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
        return openNew(path, baud);
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
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "serial port " +
                                                        (path.empty() ? std::string("(none named)") : path) +
                                                        " is not open, and more than one other port is");
            return 0;
        }
        g_ports.erase(std::remove(g_ports.begin(), g_ports.end(), port), g_ports.end());
    }
    // Wait for a send on another thread to end, then let go of the device.
    std::lock_guard<PortGate> io(port->io);
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
        setError(DRAVIK_ERROR_INVALID_ARGUMENT,
                 "serial port name \"" + trimmed + "\" refused: it must not contain \"..\"");
        return true;
    }
    const std::string path = serialDevicePath(trimmed);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISCHR(st.st_mode)) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, path + " is not a serial port (not a terminal device)");
        return true;
    }
    return false;
}

} // namespace

bool sendSerial(const std::string &name, const unsigned char *data, std::size_t length)
{
    if (refusedSendName(name))
        return false;
    DravikErrorCode code = DRAVIK_ERROR_OTHER;
    std::string why;
    const auto port = findForUse(name, code, why);
    if (!port) {
        setError(code, why);
        return false;
    }
    std::lock_guard<PortGate> io(port->io);
    if (port->fd < 0) {
        setError(DRAVIK_ERROR_NOT_FOUND, "serial port " + port->path + " was closed");
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
            setError(DRAVIK_ERROR_TIMED_OUT, "time-out after " + std::to_string(limitMs) + " ms: only " +
                                                 std::to_string(w.written) + " of " + what +
                                                 " were taken (nothing reads the port?)");
        else
            setError(codeForErrno(w.err), "writing " + what + " failed after " + std::to_string(w.written) +
                                              " bytes: " + errnoText(w.err) +
                                              (codeForErrno(w.err) == DRAVIK_ERROR_DEVICE_LOST
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
            setError(DRAVIK_ERROR_TIMED_OUT, "time-out after " + std::to_string(limitMs) + " ms: " +
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
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, "GetCommRecvData: no buffer or a negative size");
        return -1;
    }
    DravikErrorCode code = DRAVIK_ERROR_OTHER;
    std::string why;
    const auto port = findForUse(name, code, why);
    if (!port) {
        setError(code, why);
        return -1;
    }
    if (size == 0)
        return 0;
    std::lock_guard<PortGate> io(port->io);
    if (port->fd < 0) {
        setError(DRAVIK_ERROR_NOT_FOUND, "serial port " + port->path + " was closed");
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
    DravikErrorCode code = DRAVIK_ERROR_OTHER;
    std::string why;
    const auto port = findForUse(name, code, why);
    if (!port) {
        setError(code, why);
        return -1;
    }
    // One send or request at a time, waiting no longer than the request may.
    std::unique_lock<PortGate> io(port->io, std::defer_lock);
    if (!io.try_lock_for(std::chrono::milliseconds(std::max(0, timeoutMs)))) {
        setError(DRAVIK_ERROR_BUSY, "serial port " + port->path + " is busy with another send or request");
        return -1;
    }
    if (port->fd < 0) {
        setError(DRAVIK_ERROR_NOT_FOUND, "serial port " + port->path + " was closed");
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
    std::string refused;
    if (!rateTaken(baud, path, refused)) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, refused);
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int e = errno;
        setError(e == ENOENT ? DRAVIK_ERROR_NOT_FOUND : codeForErrno(e),
                 "cannot open serial port " + path + ": " + errnoText(e) +
                     (e == EACCES || e == EPERM ? ": " + permissionAdvice(path) : std::string()));
        return -1;
    }
    struct stat opened;
    if (::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode) || !::isatty(fd)) {
        ::close(fd);
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, path + " is not a serial port (not a terminal device)");
        return -1;
    }
    int excl = 0;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || (::ioctl(fd, TIOCGEXCL, &excl) == 0 && excl)) {
        ::flock(fd, LOCK_UN);
        ::close(fd);
        setError(DRAVIK_ERROR_BUSY,
                 "serial port " + path + " is in use (by the print server's job or another program)");
        return -1;
    }
    ::ioctl(fd, TIOCEXCL);
    DravikErrorCode code = DRAVIK_ERROR_OTHER;
    std::string why;
    if (!configure(fd, baud, path, code, why)) {
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
