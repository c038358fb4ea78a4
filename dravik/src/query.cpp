#include "query.h"

#include "common.h"
#include "cups_queue.h"
#include "device_uri.h"
#include "exchange.h"
#include "lpt.h"
#include "serial.h"
#include "timeouts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include <cups/cups.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace dravik {

namespace {

// Connects to host:port within cupsConnectTimeoutMs: the socket, or -1 with
// the reason set.
int connectTcp(const std::string &host, int port, const std::string &what)
{
    // The name is looked up within the connect bound too (a slow name server
    // must not hold the call), on a thread of its own: a look-up that
    // outlasts the bound is left to finish there, with the state it shares.
    struct Lookup
    {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        int error = 0;
        addrinfo *result = nullptr;
        ~Lookup()
        {
            if (result)
                ::freeaddrinfo(result);
        }
    };
    auto lookup = std::make_shared<Lookup>();
    // A numeric address needs no name server: no thread for it.
    {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST;
        addrinfo *numeric = nullptr;
        if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &numeric) == 0) {
            lookup->result = numeric;
            lookup->finished = true;
        }
    }
    try {
        if (!lookup->finished)
            std::thread([lookup, host, service = std::to_string(port)] {
                addrinfo hints{};
                hints.ai_family = AF_UNSPEC;
                hints.ai_socktype = SOCK_STREAM;
                addrinfo *result = nullptr;
                const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
                std::lock_guard<std::mutex> lock(lookup->mutex);
                lookup->error = error;
                lookup->result = result;
                lookup->finished = true;
                lookup->done.notify_all();
            }).detach();
    } catch (const std::system_error &e) {
        setError(DRAVIK_ERROR_OTHER, "cannot look up the printer's address " + host + ": " + e.what());
        return -1;
    }
    int gai = 0;
    addrinfo *found = nullptr;
    {
        std::unique_lock<std::mutex> lock(lookup->mutex);
        if (!lookup->done.wait_for(lock, std::chrono::milliseconds(cupsConnectTimeoutMs),
                                   [&] { return lookup->finished; })) {
            setError(DRAVIK_ERROR_TIMED_OUT, "looking up the printer's address " + host + " took longer than " +
                                                 std::to_string(cupsConnectTimeoutMs / 1000) + " s");
            return -1;
        }
        gai = lookup->error;
        found = gai == 0 ? std::exchange(lookup->result, nullptr) : nullptr;
    }
    if (gai != 0 || !found) {
        if (found)
            ::freeaddrinfo(found);
        setError(DRAVIK_ERROR_NOT_FOUND, "the printer's address " + host + " is not known: " + gai_strerror(gai));
        return -1;
    }
    int err = ETIMEDOUT;
    int fd = -1;
    for (addrinfo *a = found; a && fd < 0; a = a->ai_next) {
        const int s = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (s < 0) {
            err = errno;
            continue;
        }
        if (::connect(s, a->ai_addr, a->ai_addrlen) == 0) {
            fd = s;
            break;
        }
        if (errno != EINPROGRESS) {
            err = errno;
            ::close(s);
            continue;
        }
        pollfd p{s, POLLOUT, 0};
        int pr;
        while ((pr = ::poll(&p, 1, cupsConnectTimeoutMs)) < 0 && errno == EINTR) {
        }
        int soErr = 0;
        socklen_t len = sizeof soErr;
        if (pr > 0 && ::getsockopt(s, SOL_SOCKET, SO_ERROR, &soErr, &len) == 0 && soErr == 0) {
            fd = s;
            break;
        }
        err = pr == 0 ? ETIMEDOUT : soErr;
        ::close(s);
    }
    ::freeaddrinfo(found);
    if (fd >= 0)
        return fd;
    if (err == ETIMEDOUT)
        setError(DRAVIK_ERROR_TIMED_OUT, what + " did not take the connection within " +
                                             std::to_string(cupsConnectTimeoutMs / 1000) +
                                             " s (busy, or switched off?)");
    else if (err == ECONNREFUSED)
        setError(DRAVIK_ERROR_DEVICE_LOST, what + " refused the connection (switched off, or not a raw printer port?)");
    else
        setError(codeForErrno(err), "cannot connect to " + what + ": " + errnoText(err));
    return -1;
}

// A queue's device as the server told it a moment ago on this thread: the
// questions that make up one look at the printer (its status, then its
// identity) ask the server once, not once each. Only an idle queue's answer
// is kept, and only for a moment: a job that starts meanwhile is seen by the
// next look.
struct SeenDevice
{
    std::string queue, server, uri;
    QueueState state;
    std::chrono::steady_clock::time_point at;
};
thread_local SeenDevice t_seen;
constexpr std::chrono::milliseconds kSeenFor{500};

bool deviceOf(const std::string &queue, std::string &uri, QueueState &state)
{
    const char *server = cupsServer();
    const std::string serverName = server ? server : "";
    const auto now = std::chrono::steady_clock::now();
    if (!queue.empty() && t_seen.queue == queue && t_seen.server == serverName && now - t_seen.at < kSeenFor) {
        uri = t_seen.uri;
        state = t_seen.state;
        return true;
    }
    t_seen = SeenDevice();
    if (!queueDevice(queue, uri, state))
        return false;
    if (state.state == QueueState::Idle && !queue.empty())
        t_seen = SeenDevice{queue, serverName, uri, state, now};
    return true;
}

int queryQueue(const std::string &queue, const unsigned char *request, std::size_t requestLength, unsigned char *reply,
               std::size_t size, int timeoutMs)
{
    std::string uri;
    QueueState state;
    if (!deviceOf(queue, uri, state))
        return -1;
    const std::string shownQueue = "print queue \"" + queue + "\"";
    const std::string scheme = lower(uri.substr(0, uri.find(':')));
    if (scheme == "socket") {
        char sch[32], user[256], host[256], resource[1024];
        int port = 0;
        if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), sch, sizeof sch, user, sizeof user, host, sizeof host,
                            &port, resource, sizeof resource) < HTTP_URI_STATUS_OK ||
            !*host) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, shownQueue + " has a device URI that cannot be read: " + uri);
            return -1;
        }
        if (port <= 0)
            port = 9100;
        const std::string what = "the printer of " + shownQueue + " at " + host + ":" + std::to_string(port);
        if (state.state == QueueState::Printing) {
            setError(DRAVIK_ERROR_BUSY, what + " is printing a job: ask again when it is done");
            return -1;
        }
        DeviceTurn turn("tcp:" + std::string(host) + ":" + std::to_string(port), timeoutMs);
        if (!turn.ok())
            return -1;
        const int fd = connectTcp(host, port, what);
        if (fd < 0)
            return -1;
        const int got = exchange(fd, what, request, requestLength, reply, size, timeoutMs, true);
        ::close(fd);
        return got;
    }
    if (scheme == "serial") {
        std::string path = uri.substr(7);
        path = unescape(path.substr(0, path.find('?')));
        if (path.compare(0, 5, "/dev/") != 0 || hasDotDotComponent(path)) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, shownQueue + " names no serial device: " + uri);
            return -1;
        }
        long baud = 9600;
        const std::string b = uriOption(uri, "baud");
        if (!b.empty() && !parseNumber(b, baud)) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, shownQueue + " has a baud rate that cannot be read: " + uri);
            return -1;
        }
        return querySerialDevice(path, static_cast<int>(baud), request, requestLength, reply, size, timeoutMs);
    }
    if (scheme == "usb") {
        char sch[32], user[256], host[256], resource[1024];
        int port = 0;
        if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), sch, sizeof sch, user, sizeof user, host, sizeof host,
                            &port, resource, sizeof resource) < HTTP_URI_STATUS_OK) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, shownQueue + " has a device URI that cannot be read: " + uri);
            return -1;
        }
        std::string model = resource;
        model = model.substr(model.find_first_not_of('/') == std::string::npos ? model.size()
                                                                               : model.find_first_not_of('/'));
        model = model.substr(0, model.find('?'));
        const std::string serial = unescape(uriOption(uri, "serial"));
        const std::string path = usbPrinterPath(host, model, serial);
        if (path.empty()) {
            setError(DRAVIK_ERROR_NOT_FOUND, shownQueue + ": no /dev/usb/lp* device is the printer " + host + " " +
                                                 model +
                                                 (serial.empty() ? std::string() : " (serial number " + serial + ")") +
                                                 " (unplugged, or the kernel's printer driver does not hold it)");
            return -1;
        }
        return queryLpt(path, request, requestLength, reply, size, timeoutMs);
    }
    setError(DRAVIK_ERROR_NO_ANSWERS,
             shownQueue + " reaches its printer through " + scheme +
                 ": that connection carries no answers; the print server says: " + serverView(state));
    return -1;
}

} // namespace

int queryPrinter(const std::string &kind, const std::string &name, const unsigned char *request,
                 std::size_t requestLength, unsigned char *reply, std::size_t size, int timeoutMs)
{
    if (kind == "com")
        return querySerial(name, request, requestLength, reply, size, timeoutMs);
    if (kind == "lpt")
        return queryLpt(name, request, requestLength, reply, size, timeoutMs);
    return queryQueue(trim(name), request, requestLength, reply, size, timeoutMs);
}

} // namespace dravik
