// What every part of the library shares: the per-thread error text, the
// device root, text helpers and the time-limited writer.
#pragma once

#include "device_root.h"

#include <chrono>
#include <csignal>
#include <cstddef>
#include <string>
#include <vector>

namespace dravik {

// The kind of a failure, as GetLastErrorCode reports it. The numbers are
// part of the binary interface and never change.
enum class ErrorCode : int {
    None = 0,
    NotFound = 1,          // no such queue, port or device
    Busy = 2,              // another program holds the port
    NoPermission = 3,      // the user may not open the device or queue
    TimedOut = 4,          // the device stopped taking data
    DeviceLost = 5,        // unplugged, the far end closed, an I/O error
    ServerUnreachable = 6, // no CUPS server answers, or it went away
    QueueRefused = 7,      // the print queue does not take the job
    InvalidArgument = 8,   // a bad name, length or rate; a path that is no device
    Other = 9,
    NoAnswers = 10,        // the path carries no answers (an IPP or driver queue)
    WaitingInQueue = 11,   // the job is queued, the printer does not take it
};

// The last failed call of this thread: its kind and its reason for a person.
// Both are recorded together, here only; a success clears both.
void clearError();
void setError(ErrorCode code, const std::string &text);
const std::string &errorText();
ErrorCode errorCode();

// The kind that an errno of an open, read or write stands for.
ErrorCode codeForErrno(int err);

// strerror_r as a std::string.
std::string errnoText(int err);

// True when a path, as given, has a ".." component ("../x", "a/../b", "..").
bool hasDotDotComponent(const std::string &path);

// A NULL text is the empty text.
inline std::string textOf(const char *s)
{
    return s ? std::string(s) : std::string();
}
std::string trim(const std::string &s);
std::string lower(std::string s);
bool startsWithNoCase(const std::string &s, const std::string &prefix);
// Parses "123" (digits only, no sign, no blanks) into n; false otherwise.
bool parseNumber(const std::string &s, long &n);
std::string joinLines(const std::vector<std::string> &lines);

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
struct WriteResult {
    bool ok = false;
    bool timedOut = false;
    int err = 0;          // errno of the failing call when !ok && !timedOut
    std::size_t written = 0;
};
WriteResult writeWithDeadline(int fd, const unsigned char *data, std::size_t length,
                              std::chrono::steady_clock::time_point deadline);

} // namespace dravik
