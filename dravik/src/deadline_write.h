// Writing to a non-blocking descriptor before a deadline, with SIGPIPE held
// off meanwhile.
#pragma once

#include <chrono>
#include <csignal>
#include <cstddef>

namespace dravik {

// Holds SIGPIPE off in this thread while it lives, and takes away one that
// was raised meanwhile: a reader or server that goes away then gives EPIPE
// instead of ending the program.
class SigpipeGuard
{
public:
    SigpipeGuard();
    ~SigpipeGuard();
    SigpipeGuard(const SigpipeGuard &) = delete;
    SigpipeGuard &operator=(const SigpipeGuard &) = delete;

private:
    sigset_t old_{};
    bool blocked_ = false;
    bool wasPending_ = false;
};

// Writes all bytes to a non-blocking descriptor before the deadline: write,
// and when the device takes nothing, wait with poll (and a short sleep for
// drivers whose poll always says "ready", like the parallel port's).
// SIGPIPE is held off while writing (SigpipeGuard).
struct WriteResult
{
    bool ok = false;
    bool timedOut = false;
    int err = 0; // errno of the failing call when !ok && !timedOut
    std::size_t written = 0;
};
WriteResult writeWithDeadline(int fd, const unsigned char *data, std::size_t length,
                              std::chrono::steady_clock::time_point deadline);

} // namespace dravik
