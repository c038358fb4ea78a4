// One call to the CUPS print server: the connection, the call's deadline,
// the requests every part of the print-queue path makes, and what a failed
// request means.
#pragma once

#include "common.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <cups/cups.h>

namespace dravik {

// The time a whole call may take with the server. libcups waits for each
// answer in slices and asks whether to go on waiting; once the time is up it
// gives up, and `expired` tells a server that did not answer in time from one
// that closed the connection.
struct Deadline
{
    std::chrono::steady_clock::time_point at;
    bool expired = false;
    long long limitMs = 0;

    explicit Deadline(long long ms)
        : at(std::chrono::steady_clock::now() + std::chrono::milliseconds(ms))
        , limitMs(ms)
    {
    }
    long long leftMs() const
    {
        using namespace std::chrono;
        return std::max<long long>(0, duration_cast<milliseconds>(at - steady_clock::now()).count());
    }
};

struct HttpDeleter
{
    void operator()(http_t *h) const { httpClose(h); }
};
using Http = std::unique_ptr<http_t, HttpDeleter>;

struct IppDeleter
{
    void operator()(ipp_t *i) const { ippDelete(i); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

// One call to the server, for as long as it lives: SIGPIPE held off (a
// server that goes away must not end the program), the call's deadline in
// force on this thread, and a connection made within it.
class ServerCall
{
public:
    explicit ServerCall(long long limitMs);
    ~ServerCall();
    ServerCall(const ServerCall &) = delete;
    ServerCall &operator=(const ServerCall &) = delete;

    // The connection; null when no server answered (the reason is set).
    http_t *http() const { return http_.get(); }

private:
    SigpipeGuard noSigpipe_;
    Deadline deadline_;
    Deadline *outer_;
    Http http_;
};

// The server as a person names it: "/run/cups/cups.sock", "host:631".
std::string serverText();

// libcups' reason for the last failed request.
std::string cupsReason();

// The server broke off a request rather than answering it.
bool serverWentAway(ipp_status_t st);

// The call running on this thread is out of time.
bool deadlineExpired();

// The kind of a failed request; `refused` when the server answered with a
// refusal of its own.
DravikErrorCode kindOf(ipp_status_t st, DravikErrorCode refused);

// The reason for a request the server broke off, or did not answer before
// the call's deadline.
std::string wentAwayText(const std::string &during);

// Sets the reason for a failed request, of the kind kindOf gives: the server
// gone or silent during `during`, else `failure`, ": " and libcups' reason.
void setRequestError(ipp_status_t st, DravikErrorCode refused, const std::string &during, const std::string &failure);

// Sends a request (which it consumes) and reads the answer; null when there
// is none (cupsLastError says why). A request whose answer libcups lost
// although the server gave it (under load it reads "internal error" from a
// connection the server still holds) is asked again on a fresh connection,
// twice at most, within the call's deadline. For requests that may be
// repeated: questions, withdrawals, and the creation of a job (a job created
// twice stays empty and never prints).
Ipp askServer(http_t *http, ipp_t *request, const char *resource);

// A request, in the user's name, about the queue at a resource
// ("/printers/NAME", "/classes/NAME").
ipp_t *queueRequest(ipp_op_t op, const std::string &resource);

// The queue a call is about: `name`, or the server's default queue when it
// is empty; false with the reason set.
bool namedOrDefaultQueue(http_t *http, const std::string &name, std::string &queue);

// The wanted attributes of a queue; null with the reason set (an unknown
// queue told apart from a server that broke off). Only the attributes
// needed are asked for: a queue's full set is large and libcups reads it a
// few bytes at a time.
Ipp askQueue(http_t *http, const std::string &queue, const char *const *wanted, int count);

// The values of a keyword attribute of a response.
std::vector<std::string> keywords(ipp_t *response, const char *name);

} // namespace dravik
