#include "common.h"

#include <algorithm>
#include <cerrno>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace dravik {

namespace {
thread_local std::string t_error;
thread_local ErrorCode t_code = ErrorCode::None;
} // namespace

void clearError()
{
    t_error.clear();
    t_code = ErrorCode::None;
}

void setError(ErrorCode code, const std::string &text)
{
    // The code first: it must never stay 0 beside a reason, even if copying
    // the text runs out of memory.
    t_code = code == ErrorCode::None ? ErrorCode::Other : code;
    t_error = text;
}

const std::string &errorText()
{
    return t_error;
}

ErrorCode errorCode()
{
    return t_code;
}

ErrorCode codeForErrno(int err)
{
    switch (err) {
    case ENOENT:
        return ErrorCode::NotFound;
    case EBUSY:
        return ErrorCode::Busy;
    case EACCES:
    case EPERM:
        return ErrorCode::NoPermission;
    case ETIMEDOUT:
        return ErrorCode::TimedOut;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EPIPE:
    case ECONNRESET:
    case EHOSTDOWN:
        return ErrorCode::DeviceLost;
    default:
        return ErrorCode::Other;
    }
}

std::string errnoText(int err)
{
    char buf[256];
    buf[0] = '\0';
    // The GNU strerror_r returns the text (maybe not in buf).
    const char *s = strerror_r(err, buf, sizeof buf);
    return s ? std::string(s) : std::string("error ") + std::to_string(err);
}

bool hasDotDotComponent(const std::string &path)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        if (path.compare(start, end - start, "..") == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string trim(const std::string &s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool startsWithNoCase(const std::string &s, const std::string &prefix)
{
    return s.size() >= prefix.size() && lower(s.substr(0, prefix.size())) == lower(prefix);
}

bool parseNumber(const std::string &s, long &n)
{
    if (s.empty() || s.size() > 9)
        return false;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    n = v;
    return true;
}

std::string joinLines(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &l : lines) {
        out += l;
        out += '\n';
    }
    return out;
}

namespace {

void sleepMs(int ms)
{
    timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) < 0 && errno == EINTR) {
    }
}

} // namespace

SigpipeGuard::SigpipeGuard()
{
    sigset_t pending;
    sigemptyset(&pending);
    sigpending(&pending);
    wasPending_ = sigismember(&pending, SIGPIPE) == 1;
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGPIPE);
    blocked_ = pthread_sigmask(SIG_BLOCK, &block, &old_) == 0;
}

SigpipeGuard::~SigpipeGuard()
{
    if (!blocked_)
        return;
    // A SIGPIPE that our own writes raised is taken off before unblocking.
    sigset_t pending;
    sigemptyset(&pending);
    if (!wasPending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGPIPE);
        const timespec zero{0, 0};
        while (sigtimedwait(&set, nullptr, &zero) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
}

WriteResult writeWithDeadline(int fd, const unsigned char *data, std::size_t length,
                              std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    WriteResult r;
    SigpipeGuard guard;
    bool pollSaidReady = false;
    const int savedErrno = errno;
    while (r.written < length) {
        const std::size_t chunk = std::min<std::size_t>(length - r.written, 65536);
        const ssize_t n = ::write(fd, data + r.written, chunk);
        if (n > 0) {
            r.written += static_cast<std::size_t>(n);
            pollSaidReady = false;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            r.err = errno;
            errno = savedErrno;
            return r;
        }
        // The device takes nothing now: wait for room, up to the deadline.
        const auto now = steady_clock::now();
        if (now >= deadline) {
            r.timedOut = true;
            return r;
        }
        const long long left = duration_cast<milliseconds>(deadline - now).count() + 1;
        if (pollSaidReady)
            sleepMs(static_cast<int>(std::min<long long>(left, 10)));
        pollfd p{fd, POLLOUT, 0};
        const int pr = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 200)));
        if (pr < 0 && errno != EINTR) {
            r.err = errno;
            return r;
        }
        pollSaidReady = pr > 0;
    }
    r.ok = true;
    return r;
}

} // namespace dravik
