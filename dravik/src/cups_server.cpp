#include "cups_server.h"

#include "text_helpers.h"

#include "timeouts.h"

#include <algorithm>

#include <poll.h>

namespace dravik {

namespace {

// The deadline of the call running on this thread.
thread_local Deadline *t_deadline = nullptr;

// Never ask anyone for a password (the default callback prompts on the
// terminal and would hang a program started from one).
const char *noPassword(const char *, http_t *, const char *, const char *, void *)
{
    return nullptr;
}

int untilDeadline(http_t *, void *data)
{
    Deadline *d = static_cast<Deadline *>(data);
    if (std::chrono::steady_clock::now() < d->at)
        return 1;
    d->expired = true;
    return 0;
}

// This thread's connection to the server, kept between calls: a fresh
// connection for every request makes the server track hundreds of closing
// ones under a fleet's load, and beyond its per-host limit it drops new ones
// unanswered.
struct KeptConnection
{
    Http http;
    std::string server;
    int port = 0;
    http_encryption_t encryption = HTTP_ENCRYPTION_IF_REQUESTED;
};
thread_local KeptConnection t_kept;

// The kept connection when it goes to the same server and is still open
// (an idle connection the server closed reads as readable at once).
Http keptConnection(const std::string &server, int port, http_encryption_t encryption)
{
    Http h = std::move(t_kept.http);
    if (!h || t_kept.server != server || t_kept.port != port || t_kept.encryption != encryption)
        return {};
    const int fd = httpGetFd(h.get());
    pollfd p{fd, POLLIN, 0};
    if (fd < 0 || ::poll(&p, 1, 0) != 0)
        return {};
    return h;
}

// A connection to the server within the deadline, or null with the reason
// set.
Http connectServer(Deadline &deadline)
{
    // Re-read CUPS_SERVER / client.conf on each call (libcups caches them per
    // thread), and never prompt.
    cupsSetServer(nullptr);
    cupsSetPasswordCB2(noPassword, nullptr);
    const char *server = cupsServer();
    const int port = ippPort();
    const http_encryption_t encryption = cupsEncryption();
    Http kept = keptConnection(server ? server : "", port, encryption);
    if (kept) {
        httpSetTimeout(kept.get(), cupsWaitSliceSeconds, untilDeadline, &deadline);
        return kept;
    }
    const int connectMs =
        static_cast<int>(std::min<long long>(cupsConnectTimeoutMs, std::max<long long>(deadline.leftMs(), 1)));
    http_t *h = httpConnect2(server, port, nullptr, AF_UNSPEC, encryption, 1, connectMs, nullptr);
    if (!h) {
        // (errno is not worth showing here: libcups has closed sockets since.)
        setError(DRAVIK_ERROR_SERVER_UNREACHABLE,
                 "no CUPS server answers at " + serverText() +
                     " (is cupsd running? CUPS_SERVER or client.conf may name another server)");
        return {};
    }
    httpSetTimeout(h, cupsWaitSliceSeconds, untilDeadline, &deadline);
    return Http(h);
}

// Keeps a connection that ended its call idle and in time for the next call
// of this thread; any other is closed.
void keepConnection(Http http, const Deadline &deadline)
{
    if (!http || deadline.expired || httpGetState(http.get()) != HTTP_STATE_WAITING)
        return;
    httpSetTimeout(http.get(), cupsWaitSliceSeconds, nullptr, nullptr);
    const char *server = cupsServer();
    t_kept.http = std::move(http);
    t_kept.server = server ? server : "";
    t_kept.port = ippPort();
    t_kept.encryption = cupsEncryption();
}

} // namespace

ServerCall::ServerCall(long long limitMs)
    : deadline_(limitMs)
    , outer_(t_deadline)
{
    t_deadline = &deadline_;
    http_ = connectServer(deadline_);
}

ServerCall::~ServerCall()
{
    // Kept, or closed while the deadline it waits by still lives.
    keepConnection(std::move(http_), deadline_);
    t_deadline = outer_;
}

std::string serverText()
{
    const char *server = cupsServer();
    std::string s = server ? server : "";
    if (!s.empty() && s[0] != '/')
        s += ":" + std::to_string(ippPort());
    return s;
}

std::string cupsReason()
{
    const ipp_status_t st = cupsLastError();
    const char *text = cupsLastErrorString();
    std::string s = ippErrorString(st);
    if (text && *text && s != text)
        s += ": " + std::string(text);
    return s;
}

// libcups reports service-unavailable when it could not reconnect, and
// internal-error when the connection failed or no IPP answer came.
bool serverWentAway(ipp_status_t st)
{
    return st == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || st == IPP_STATUS_ERROR_INTERNAL;
}

bool deadlineExpired()
{
    return t_deadline && (t_deadline->expired || t_deadline->leftMs() == 0);
}

DravikErrorCode kindOf(ipp_status_t st, DravikErrorCode refused)
{
    if (serverWentAway(st) || deadlineExpired())
        return DRAVIK_ERROR_SERVER_UNREACHABLE;
    switch (st) {
    case IPP_STATUS_ERROR_NOT_FOUND:
        return DRAVIK_ERROR_NOT_FOUND;
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return DRAVIK_ERROR_NO_PERMISSION;
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return DRAVIK_ERROR_QUEUE_REFUSED;
    default:
        return refused;
    }
}

std::string wentAwayText(const std::string &during)
{
    if (deadlineExpired())
        return "the print server did not answer: the CUPS server at " + serverText() + " gave no answer to " + during +
               " within " + secondsText(t_deadline->limitMs) + " s (overloaded or hung?)";
    // (libcups' own text is stale here, "Success" or an old errno.)
    return "the CUPS server at " + serverText() + " went away during " + during + " (stopped or restarted?)";
}

void setRequestError(ipp_status_t st, DravikErrorCode refused, const std::string &during, const std::string &failure)
{
    const DravikErrorCode kind = kindOf(st, refused);
    setError(kind, kind == DRAVIK_ERROR_SERVER_UNREACHABLE ? wentAwayText(during) : failure + ": " + cupsReason());
}

namespace {

// A copy of a request, for a second try (libcups consumes the first).
ipp_t *copyOf(ipp_t *request)
{
    ipp_t *copy = ippNew();
    int minor = 0;
    const int major = ippGetVersion(request, &minor);
    ippSetVersion(copy, major, minor);
    ippSetOperation(copy, ippGetOperation(request));
    ippSetRequestId(copy, ippGetRequestId(request));
    ippCopyAttributes(copy, request, 0, nullptr, nullptr);
    return copy;
}

// Reads the bytes handed to ippReadIO from a whole answer in memory.
struct AnswerBytes
{
    const std::string *bytes;
    std::size_t at = 0;
};

ssize_t readAnswer(void *context, ipp_uchar_t *buffer, size_t length)
{
    auto *a = static_cast<AnswerBytes *>(context);
    const std::size_t n = std::min(length, a->bytes->size() - a->at);
    std::copy_n(a->bytes->data() + a->at, n, buffer);
    a->at += n;
    return static_cast<ssize_t>(n);
}

// Sends a request (not consumed) and reads a successful answer whole before
// parsing it. libcups' own reader asks the socket for each field of the
// answer as it is parsed: while the server is still writing, every few bytes
// cost a wake-up of both, and a listing of fifty queues took 9 ms instead of
// 1. Null for anything but an answer the server gave without an error (a
// refusal, an HTTP error, a broken connection): the caller then asks through
// cupsDoRequest, which reconnects, authenticates and sets libcups' error as
// usual.
Ipp askWhole(http_t *http, ipp_t *request, const char *resource)
{
    if (cupsSendRequest(http, request, resource, ippLength(request)) != HTTP_STATUS_CONTINUE)
        return {};
    http_status_t status;
    do
        status = httpUpdate(http);
    while (status == HTTP_STATUS_CONTINUE);
    if (status != HTTP_STATUS_OK) {
        if (status != HTTP_STATUS_ERROR)
            httpFlush(http);
        return {};
    }
    std::string bytes;
    char buffer[32768];
    ssize_t n;
    while ((n = httpRead2(http, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(n));
    if (n < 0 || httpGetState(http) != HTTP_STATE_WAITING) {
        httpFlush(http);
        return {};
    }
    Ipp response(ippNew());
    AnswerBytes answer{&bytes};
    if (ippReadIO(&answer, readAnswer, 1, nullptr, response.get()) != IPP_STATE_DATA ||
        ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING)
        return {};
    return response;
}

} // namespace

Ipp askServer(http_t *http, ipp_t *request, const char *resource)
{
    Ipp again(copyOf(request));
    if (Ipp whole = askWhole(http, request, resource)) {
        ippDelete(request);
        return whole;
    }
    Ipp response(cupsDoRequest(http, request, resource));
    for (int tries = 0; tries < 2 && !response && serverWentAway(cupsLastError()) && !deadlineExpired(); ++tries) {
        const long long leftMs = t_deadline ? t_deadline->leftMs() : cupsConnectTimeoutMs;
        if (httpReconnect2(http, static_cast<int>(std::min<long long>(cupsConnectTimeoutMs, std::max(1LL, leftMs))),
                           nullptr) != 0)
            break;
        response.reset(cupsDoRequest(http, copyOf(again.get()), resource));
    }
    return response;
}

ipp_t *queueRequest(ipp_op_t op, const std::string &resource)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURI(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), resource.c_str());
    ipp_t *request = ippNewRequest(op);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

bool namedOrDefaultQueue(http_t *http, const std::string &name, std::string &queue)
{
    if (!name.empty()) {
        queue = name;
        return true;
    }
    const char *def = cupsGetDefault2(http);
    if (!def) {
        if (serverWentAway(cupsLastError()) || deadlineExpired())
            setError(DRAVIK_ERROR_SERVER_UNREACHABLE, wentAwayText("the look-up of its default queue"));
        else
            setError(DRAVIK_ERROR_NOT_FOUND,
                     "no print queue named, and the CUPS server " + serverText() + " has no default queue");
        return false;
    }
    queue = def;
    return true;
}

Ipp askQueue(http_t *http, const std::string &queue, const char *const *wanted, int count)
{
    ipp_t *request = queueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, "/printers/" + queue);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", count, nullptr, wanted);
    Ipp response = askServer(http, request, "/");
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (response && st <= IPP_STATUS_OK_CONFLICTING)
        return response;
    if (st == IPP_STATUS_ERROR_NOT_FOUND && !deadlineExpired())
        setError(DRAVIK_ERROR_NOT_FOUND, "no print queue named \"" + queue + "\" on the CUPS server " + serverText());
    else
        setRequestError(st, DRAVIK_ERROR_OTHER, "the look-up of print queue \"" + queue + "\"",
                        "looking up print queue \"" + queue + "\" failed");
    return {};
}

std::vector<std::string> keywords(ipp_t *response, const char *name)
{
    std::vector<std::string> out;
    ipp_attribute_t *a = ippFindAttribute(response, name, IPP_TAG_KEYWORD);
    for (int i = 0; a && i < ippGetCount(a); ++i)
        if (const char *v = ippGetString(a, i, nullptr))
            out.emplace_back(v);
    return out;
}

} // namespace dravik
