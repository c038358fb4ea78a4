#include "exchange.h"

#include "common.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <set>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace dravik {

namespace {

// An answer is over when no byte came for this long after the first.
constexpr int kQuietMs = 100;

// An identity request (GS I n, n from 65: firmware, maker, model, serial
// number, fonts) is answered with "_", the text and a NUL: the NUL ends it,
// with no silence to wait for.
bool endsAtNul(const unsigned char *request, std::size_t length)
{
    return length == 3 && request[0] == 0x1D && request[1] == 'I' && request[2] >= 65 && request[2] <= 69;
}

long long msUntil(std::chrono::steady_clock::time_point t)
{
    using namespace std::chrono;
    return std::max<long long>(0, duration_cast<milliseconds>(t - steady_clock::now()).count());
}

} // namespace

int exchange(int fd, const std::string &what, const unsigned char *request, std::size_t requestLength,
             unsigned char *reply, std::size_t size, int timeoutMs, bool endOnEof)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + milliseconds(std::max(0, timeoutMs));
    // Input already waiting belongs to nothing we asked.
    unsigned char stale[512];
    for (int i = 0; i < 64; ++i) {
        const ssize_t n = ::read(fd, stale, sizeof stale);
        if (n <= 0)
            break;
    }
    if (requestLength > 0) {
        const WriteResult w = writeWithDeadline(fd, request, requestLength, deadline);
        if (!w.ok) {
            if (w.timedOut)
                setError(DRAVIK_ERROR_TIMED_OUT, "time-out: " + what + " took only " + std::to_string(w.written) +
                                                     " of the " + std::to_string(requestLength) +
                                                     " bytes of the request");
            else
                setError(codeForErrno(w.err), "writing the request to " + what + " failed: " + errnoText(w.err));
            return -1;
        }
    }
    const bool nulEnds = endsAtNul(request, requestLength);
    std::size_t got = 0;
    auto lastByte = steady_clock::now();
    while (got < size) {
        const long long left = msUntil(deadline);
        long long wait = left;
        if (got > 0)
            wait = std::min<long long>(
                wait,
                std::max<long long>(0, kQuietMs - duration_cast<milliseconds>(steady_clock::now() - lastByte).count()));
        if (wait <= 0)
            break;
        pollfd p{fd, POLLIN, 0};
        const int pr = ::poll(&p, 1, static_cast<int>(std::min<long long>(wait, 50)));
        if (pr < 0) {
            if (errno == EINTR)
                continue;
            const int e = errno;
            setError(codeForErrno(e), "waiting for the answer of " + what + " failed: " + errnoText(e));
            return -1;
        }
        if (pr == 0)
            continue;
        const ssize_t n = ::read(fd, reply + got, size - got);
        if (n > 0) {
            unsigned char *fresh = reply + got;
            got += static_cast<std::size_t>(n);
            lastByte = steady_clock::now();
            unsigned char *nul = nulEnds ? std::find(fresh, reply + got, static_cast<unsigned char>(0)) : reply + got;
            if (nul != reply + got) {
                got = static_cast<std::size_t>(nul - reply) + 1; // what follows is no part of it
                break;
            }
            continue;
        }
        if (n == 0) {
            if (endOnEof)
                break;
            // A printer port that says "readable" with nothing to read.
            std::this_thread::sleep_for(milliseconds(10));
            continue;
        }
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
            std::this_thread::sleep_for(milliseconds(10));
            continue;
        }
        const int e = errno;
        if (e == EIO && got > 0)
            break; // a pty whose far end closed after answering
        setError(codeForErrno(e), "reading the answer of " + what + " failed: " + errnoText(e));
        return -1;
    }
    return static_cast<int>(got);
}

namespace {

// Never destroyed: a question a program left running when it ends may still
// finish during the program's exit.
std::mutex &g_turnMutex = *new std::mutex;
std::condition_variable &g_turnFree = *new std::condition_variable;
std::set<std::string> &g_busy = *new std::set<std::string>;

} // namespace

DeviceTurn::DeviceTurn(const std::string &key, int timeoutMs)
    : key_(key)
{
    std::unique_lock<std::mutex> lock(g_turnMutex);
    ok_ = g_turnFree.wait_for(lock, std::chrono::milliseconds(std::max(0, timeoutMs)),
                              [&] { return g_busy.count(key_) == 0; });
    if (ok_)
        g_busy.insert(key_);
    else
        setError(DRAVIK_ERROR_BUSY, "another request to " + key_ + " is under way");
}

DeviceTurn::~DeviceTurn()
{
    if (!ok_)
        return;
    {
        std::lock_guard<std::mutex> lock(g_turnMutex);
        g_busy.erase(key_);
    }
    g_turnFree.notify_all();
}

} // namespace dravik
