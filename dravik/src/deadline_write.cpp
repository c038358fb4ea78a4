#include "deadline_write.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <ctime>

#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace dravik {

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
