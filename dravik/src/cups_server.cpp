#include "cups_server.h"

#include "timeouts.h"

#include <algorithm>

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

// A connection to the server within the deadline, or null with the reason
// set.
Http connectServer(Deadline &deadline)
{
    // Re-read CUPS_SERVER / client.conf on each call (libcups caches them per
    // thread), and never prompt.
    cupsSetServer(nullptr);
    cupsSetPasswordCB2(noPassword, nullptr);
    const char *server = cupsServer();
    const int connectMs =
        static_cast<int>(std::min<long long>(cupsConnectTimeoutMs, std::max<long long>(deadline.leftMs(), 1)));
    http_t *h = httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, connectMs, nullptr);
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
    http_.reset(); // closed while the deadline it waits by still lives
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
               " within " + std::to_string((t_deadline->limitMs + 999) / 1000) + " s (overloaded or hung?)";
    // (libcups' own text is stale here, "Success" or an old errno.)
    return "the CUPS server at " + serverText() + " went away during " + during + " (stopped or restarted?)";
}

void setRequestError(ipp_status_t st, DravikErrorCode refused, const std::string &during, const std::string &failure)
{
    const DravikErrorCode kind = kindOf(st, refused);
    setError(kind, kind == DRAVIK_ERROR_SERVER_UNREACHABLE ? wentAwayText(during) : failure + ": " + cupsReason());
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
    Ipp response(cupsDoRequest(http, request, "/"));
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
