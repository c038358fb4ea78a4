#include "cups_queue.h"

#include "common.h"
#include "timeouts.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include <cups/cups.h>

namespace dravik {

namespace {

// Never ask anyone for a password (the default callback prompts on the
// terminal and would hang a program started from one).
const char *noPassword(const char *, http_t *, const char *, const char *, void *)
{
    return nullptr;
}

// The time a whole call may take with the server. libcups waits for each
// answer in slices and asks untilDeadline whether to go on waiting; once the
// time is up it gives up, and `expired` tells a server that did not answer in
// time from one that closed the connection.
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

// The deadline of the call running on this thread.
thread_local Deadline *t_deadline = nullptr;

// The last job this thread sent to a print queue.
struct LastJob
{
    int id = 0; // 0: none
    std::string queue;
    std::string resource; // "/printers/NAME" or "/classes/NAME"
};
thread_local LastJob t_lastJob;

class DeadlineScope
{
public:
    explicit DeadlineScope(Deadline &d)
        : old_(t_deadline)
    {
        t_deadline = &d;
    }
    ~DeadlineScope() { t_deadline = old_; }
    DeadlineScope(const DeadlineScope &) = delete;
    DeadlineScope &operator=(const DeadlineScope &) = delete;

private:
    Deadline *old_;
};

int untilDeadline(http_t *, void *data)
{
    Deadline *d = static_cast<Deadline *>(data);
    if (std::chrono::steady_clock::now() < d->at)
        return 1;
    d->expired = true;
    return 0;
}

bool deadlineExpired()
{
    return t_deadline && (t_deadline->expired || t_deadline->leftMs() == 0);
}

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

std::string serverText()
{
    const char *server = cupsServer();
    std::string s = server ? server : "";
    if (!s.empty() && s[0] != '/')
        s += ":" + std::to_string(ippPort());
    return s;
}

// A connection to the server within the deadline of this call, or null with
// the reason set.
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

std::string cupsReason()
{
    const ipp_status_t st = cupsLastError();
    const char *text = cupsLastErrorString();
    std::string s = ippErrorString(st);
    if (text && *text && s != text)
        s += ": " + std::string(text);
    return s;
}

// The server broke off a request (it was stopped or killed, or the
// connection failed) rather than answering it: libcups then reports
// service-unavailable (it could not reconnect) or internal-error (the
// connection failed, or no IPP answer came).
bool serverWentAway(ipp_status_t st)
{
    return st == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE || st == IPP_STATUS_ERROR_INTERNAL;
}

// The kind of a failed request; `refused` when the server answered with a
// refusal of its own.
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

// The reason for a request the server broke off, or did not answer before
// the call's deadline.
std::string wentAwayText(const std::string &during)
{
    if (deadlineExpired())
        return "the print server did not answer: the CUPS server at " + serverText() + " gave no answer to " + during +
               " within " + std::to_string((t_deadline->limitMs + 999) / 1000) + " s (overloaded or hung?)";
    // (libcups' own text is stale here, "Success" or an old errno.)
    return "the CUPS server at " + serverText() + " went away during " + during + " (stopped or restarted?)";
}

// A request, in the user's name, about the queue at a resource
// ("/printers/NAME", "/classes/NAME").
ipp_t *queueRequest(ipp_op_t op, const std::string &resource)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURI(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), resource.c_str());
    ipp_t *request = ippNewRequest(op);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

// What the server says about a queue: whether it exists, and whether it
// takes jobs. A broken-off lookup is told apart from an unknown queue. Only
// the attributes needed are asked for: a queue's full set is large and
// libcups reads it a few bytes at a time.
enum class Lookup {
    Found,
    Refusing,
    Failed
};

Lookup lookUpQueue(http_t *http, const std::string &queue, std::string &resource)
{
    ipp_t *request = queueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, "/printers/" + queue);
    static const char *const wanted[] = {"printer-is-accepting-jobs", "printer-type"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    Ipp response(cupsDoRequest(http, request, "/"));
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (!response && (serverWentAway(st) || deadlineExpired())) {
        setError(DRAVIK_ERROR_SERVER_UNREACHABLE, wentAwayText("the look-up of print queue \"" + queue + "\""));
        return Lookup::Failed;
    }
    if (st == IPP_STATUS_ERROR_NOT_FOUND) {
        setError(DRAVIK_ERROR_NOT_FOUND, "no print queue named \"" + queue + "\" on the CUPS server " + serverText());
        return Lookup::Failed;
    }
    if (!response || st > IPP_STATUS_OK_CONFLICTING) {
        setError(kindOf(st, DRAVIK_ERROR_OTHER), "looking up print queue \"" + queue + "\" failed: " +
                                                     (response ? std::string(ippErrorString(st)) : cupsReason()));
        return Lookup::Failed;
    }
    ipp_attribute_t *accepting = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    if (accepting && !ippGetBoolean(accepting, 0)) {
        setError(DRAVIK_ERROR_QUEUE_REFUSED,
                 "print queue \"" + queue + "\" is not accepting jobs (cupsaccept " + queue + ")");
        return Lookup::Refusing;
    }
    // Jobs go to the queue's own resource, where the server's rules for it apply.
    ipp_attribute_t *type = ippFindAttribute(response.get(), "printer-type", IPP_TAG_ENUM);
    resource = (type && (ippGetInteger(type, 0) & CUPS_PRINTER_CLASS) ? "/classes/" : "/printers/") + queue;
    return Lookup::Found;
}

// Creates an empty job on the queue: its id, or 0 with cupsLastError set.
// (cupsCreateJob, like cupsStartDocument, first fetches every attribute of
// the queue.)
int createJob(http_t *http, const std::string &resource, const char *docName)
{
    ipp_t *request = queueRequest(IPP_OP_CREATE_JOB, resource);
    if (docName)
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, docName);
    Ipp response(cupsDoRequest(http, request, resource.c_str()));
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING)
        return 0;
    ipp_attribute_t *id = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER);
    return id ? ippGetInteger(id, 0) : 0;
}

// Starts the job's one and only document, raw; the bytes follow with
// cupsWriteRequestData and the server's answer with cupsGetResponse.
http_status_t startDocument(http_t *http, const std::string &resource, int job, const char *docName)
{
    Ipp request(queueRequest(IPP_OP_SEND_DOCUMENT, resource));
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    if (docName)
        ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "document-name", nullptr, docName);
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, CUPS_FORMAT_RAW);
    ippAddBoolean(request.get(), IPP_TAG_OPERATION, "last-document", 1);
    return cupsSendRequest(http, request.get(), resource.c_str(), CUPS_LENGTH_VARIABLE);
}

} // namespace

namespace {

// CUPS-Get-Printers asking only for the attributes wanted: the server's
// answer, or null (with the reason set; none when it has no queues at all).
Ipp askForQueues(http_t *http, const char *const *wanted, int count)
{
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", count, nullptr, wanted);
    Ipp response(cupsDoRequest(http, request, "/"));
    if (!response) {
        const ipp_status_t st = cupsLastError();
        if (st == IPP_STATUS_ERROR_NOT_FOUND && !deadlineExpired())
            return {}; // no queues at all
        if (serverWentAway(st) || deadlineExpired())
            setError(DRAVIK_ERROR_SERVER_UNREACHABLE, wentAwayText("the listing of its print queues"));
        else
            setError(kindOf(st, DRAVIK_ERROR_OTHER),
                     "listing the print queues of " + serverText() + " failed: " + cupsReason());
        return {};
    }
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) {
        const ipp_status_t st = ippGetStatusCode(response.get());
        if (st != IPP_STATUS_ERROR_NOT_FOUND)
            setError(kindOf(st, DRAVIK_ERROR_OTHER),
                     "listing the print queues of " + serverText() + " failed: " + ippErrorString(st));
        return {};
    }
    return response;
}

// Calls each(attribute) for the printer attributes of one queue after
// another, and done() after each queue's last.
template <typename Each, typename Done>
void forEachQueue(ipp_t *response, Each each, Done done)
{
    for (ipp_attribute_t *a = ippFirstAttribute(response); a; a = ippNextAttribute(response)) {
        if (!ippGetName(a)) { // group separator: one printer ends
            done();
            continue;
        }
        if (ippGetGroupTag(a) == IPP_TAG_PRINTER)
            each(a);
    }
    done();
}

std::string textValue(ipp_attribute_t *a)
{
    const char *v = ippGetString(a, 0, nullptr);
    return v ? v : "";
}

QueueState::Kind stateKind(int ps)
{
    return ps == IPP_PSTATE_IDLE         ? QueueState::Idle
           : ps == IPP_PSTATE_PROCESSING ? QueueState::Printing
           : ps == IPP_PSTATE_STOPPED    ? QueueState::Stopped
                                         : QueueState::Unknown;
}

// Reads a printer-state, printer-is-accepting-jobs, printer-state-reasons
// or printer-state-message attribute into state; false for any other.
bool readStateAttribute(ipp_attribute_t *a, QueueState &state)
{
    const std::string n = ippGetName(a);
    const ipp_tag_t tag = ippGetValueTag(a);
    if (n == "printer-state" && tag == IPP_TAG_ENUM) {
        state.state = stateKind(ippGetInteger(a, 0));
    } else if (n == "printer-is-accepting-jobs" && tag == IPP_TAG_BOOLEAN) {
        state.accepting = ippGetBoolean(a, 0) != 0;
    } else if (n == "printer-state-reasons" && tag == IPP_TAG_KEYWORD) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            const char *r = ippGetString(a, i, nullptr);
            if (r && *r && std::string(r) != "none")
                state.reasons.emplace_back(r);
        }
    } else if (n == "printer-state-message" && (tag == IPP_TAG_TEXT || tag == IPP_TAG_TEXTLANG)) {
        state.message = textValue(a);
    } else {
        return false;
    }
    return true;
}

// The server's default first, then by name; each name once.
template <typename T, typename NameOf>
void defaultFirst(std::vector<T> &items, const std::string &defaultName, NameOf nameOf)
{
    std::stable_sort(items.begin(), items.end(), [&](const T &a, const T &b) {
        const bool ad = nameOf(a) == defaultName, bd = nameOf(b) == defaultName;
        return ad != bd ? ad : nameOf(a) < nameOf(b);
    });
    items.erase(std::unique(items.begin(), items.end(), [&](const T &a, const T &b) { return nameOf(a) == nameOf(b); }),
                items.end());
}

} // namespace

std::vector<std::string> listQueues()
{
    SigpipeGuard noSigpipe;
    Deadline deadline(cupsListTimeoutMs);
    DeadlineScope scope(deadline);
    Http http = connectServer(deadline);
    if (!http)
        return {};
    static const char *const wanted[] = {"printer-name", "printer-type"};
    Ipp response = askForQueues(http.get(), wanted, 2);
    if (!response)
        return {};
    std::vector<std::string> names;
    std::string defaultName;
    std::string name;
    int type = 0;
    forEachQueue(
        response.get(),
        [&](ipp_attribute_t *a) {
            const std::string n = ippGetName(a);
            if (n == "printer-name" && ippGetValueTag(a) == IPP_TAG_NAME)
                name = textValue(a);
            else if (n == "printer-type" && ippGetValueTag(a) == IPP_TAG_ENUM)
                type = ippGetInteger(a, 0);
        },
        [&] {
            if (!name.empty()) {
                if (type & CUPS_PRINTER_DEFAULT)
                    defaultName = name;
                names.push_back(name);
            }
            name.clear();
            type = 0;
        });
    defaultFirst(names, defaultName, [](const std::string &n) -> const std::string & { return n; });
    return names;
}

std::vector<QueueState> listQueueStates()
{
    SigpipeGuard noSigpipe;
    Deadline deadline(cupsListTimeoutMs);
    DeadlineScope scope(deadline);
    Http http = connectServer(deadline);
    if (!http)
        return {};
    static const char *const wanted[] = {"printer-name",          "printer-type",
                                         "printer-state",         "printer-is-accepting-jobs",
                                         "printer-state-reasons", "printer-state-message"};
    Ipp response = askForQueues(http.get(), wanted, 6);
    if (!response)
        return {};
    std::vector<QueueState> queues;
    std::string defaultName;
    QueueState queue;
    int type = 0;
    forEachQueue(
        response.get(),
        [&](ipp_attribute_t *a) {
            const std::string n = ippGetName(a);
            if (n == "printer-name" && ippGetValueTag(a) == IPP_TAG_NAME)
                queue.name = textValue(a);
            else if (n == "printer-type" && ippGetValueTag(a) == IPP_TAG_ENUM)
                type = ippGetInteger(a, 0);
            else
                readStateAttribute(a, queue);
        },
        [&] {
            if (!queue.name.empty()) {
                if (type & CUPS_PRINTER_DEFAULT)
                    defaultName = queue.name;
                queues.push_back(std::move(queue));
            }
            queue = QueueState();
            type = 0;
        });
    defaultFirst(queues, defaultName, [](const QueueState &q) -> const std::string & { return q.name; });
    return queues;
}

bool sendToQueue(const std::string &queueName, const char *docName, const unsigned char *data, std::size_t length)
{
    SigpipeGuard noSigpipe; // a server that goes away must not end the program
    t_lastJob = LastJob();
    Deadline deadline(cupsSendTimeoutMs(static_cast<long long>(length)));
    DeadlineScope scope(deadline);
    Http http = connectServer(deadline);
    if (!http)
        return false;
    std::string queue = queueName;
    if (queue.empty()) {
        const char *def = cupsGetDefault2(http.get());
        if (!def) {
            if (serverWentAway(cupsLastError()) || deadlineExpired())
                setError(DRAVIK_ERROR_SERVER_UNREACHABLE, wentAwayText("the look-up of its default queue"));
            else
                setError(DRAVIK_ERROR_NOT_FOUND,
                         "no print queue named, and the CUPS server " + serverText() + " has no default queue");
            return false;
        }
        queue = def;
    }
    // An unknown queue gives an unclear error at submit time: look first.
    std::string resource;
    if (lookUpQueue(http.get(), queue, resource) != Lookup::Found)
        return false;
    const int job = createJob(http.get(), resource, docName);
    if (job <= 0) {
        const ipp_status_t st = cupsLastError();
        if (serverWentAway(st) || deadlineExpired())
            setError(DRAVIK_ERROR_SERVER_UNREACHABLE, wentAwayText("the creation of a job on \"" + queue + "\""));
        else
            setError(kindOf(st, DRAVIK_ERROR_QUEUE_REFUSED),
                     "print queue \"" + queue + "\" refused the job: " + cupsReason());
        return false;
    }
    // A step of the job failed: the server's answer, or the server gone.
    auto fail = [&](const std::string &what, ipp_status_t st) {
        const DravikErrorCode kind = kindOf(st, DRAVIK_ERROR_QUEUE_REFUSED);
        const std::string reason =
            kind == DRAVIK_ERROR_SERVER_UNREACHABLE ? wentAwayText(what) : what + " failed: " + cupsReason();
        cupsCancelJob2(http.get(), queue.c_str(), job, 0);
        setError(kind, reason);
        return false;
    };
    const std::string jobText = "job " + std::to_string(job) + " on \"" + queue + "\"";
    // HTTP errors of the document upload: no answer at all is the server gone.
    auto statusOf = [](http_status_t h) {
        return h == HTTP_STATUS_ERROR ? IPP_STATUS_ERROR_SERVICE_UNAVAILABLE : cupsLastError();
    };
    const http_status_t started = startDocument(http.get(), resource, job, docName);
    if (started != HTTP_STATUS_CONTINUE)
        return fail("the start of the document of " + jobText, statusOf(started));
    std::size_t done = 0;
    while (done < length) {
        const std::size_t n = std::min<std::size_t>(length - done, 65536);
        const http_status_t wrote = cupsWriteRequestData(http.get(), reinterpret_cast<const char *>(data + done), n);
        if (wrote != HTTP_STATUS_CONTINUE)
            return fail("the sending of the bytes of " + jobText, statusOf(wrote));
        done += n;
    }
    Ipp answer(cupsGetResponse(http.get(), resource.c_str()));
    const ipp_status_t finished = cupsLastError();
    if (finished > IPP_STATUS_OK_CONFLICTING)
        return fail("the end of the document of " + jobText, finished);
    t_lastJob.id = job;
    t_lastJob.queue = queue;
    t_lastJob.resource = resource;
    return true;
}

void forgetLastJob()
{
    t_lastJob = LastJob();
}

namespace {

enum JobState {
    Pending = 3,
    Held = 4,
    Processing = 5,
    Stopped = 6,
    Canceled = 7,
    Aborted = 8,
    Completed = 9
};

struct JobStatus
{
    bool known = false;
    int state = 0;
    std::vector<std::string> reasons;
};

std::vector<std::string> keywords(ipp_t *response, const char *name)
{
    std::vector<std::string> out;
    ipp_attribute_t *a = ippFindAttribute(response, name, IPP_TAG_KEYWORD);
    for (int i = 0; a && i < ippGetCount(a); ++i)
        if (const char *v = ippGetString(a, i, nullptr))
            out.emplace_back(v);
    return out;
}

std::string jobText(const LastJob &job)
{
    return "job " + std::to_string(job.id) + " on \"" + job.queue + "\"";
}

// Asks the server for the job's state; false with the reason set.
bool askJob(http_t *http, const LastJob &job, JobStatus &status)
{
    ipp_t *request = queueRequest(IPP_OP_GET_JOB_ATTRIBUTES, job.resource);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.id);
    static const char *const wanted[] = {"job-state", "job-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    Ipp response(cupsDoRequest(http, request, "/"));
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (!response || st > IPP_STATUS_OK_CONFLICTING) {
        if (st == IPP_STATUS_ERROR_NOT_FOUND && !deadlineExpired()) {
            setError(DRAVIK_ERROR_NOT_FOUND, jobText(job) + " is no longer known to the print server");
            return false;
        }
        const DravikErrorCode kind = kindOf(st, DRAVIK_ERROR_OTHER);
        setError(kind, kind == DRAVIK_ERROR_SERVER_UNREACHABLE
                           ? wentAwayText("the question about " + jobText(job))
                           : "asking about " + jobText(job) + " failed: " + cupsReason());
        return false;
    }
    ipp_attribute_t *state = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    status.known = state != nullptr;
    status.state = state ? ippGetInteger(state, 0) : 0;
    status.reasons = keywords(response.get(), "job-state-reasons");
    return true;
}

// A printer or job state reason as words; empty for one not worth naming.
std::string reasonText(std::string r, const std::string &queue)
{
    for (const char *suffix : {"-error", "-warning", "-report"}) {
        const std::string sx = suffix;
        if (r.size() > sx.size() && r.compare(r.size() - sx.size(), sx.size(), sx) == 0)
            r.erase(r.size() - sx.size());
    }
    if (r == "none" || r == "job-incoming" || r == "job-printing" || r == "job-queued" ||
        r == "processing-to-stop-point")
        return {};
    if (r == "paused" || r == "printer-stopped")
        return "the queue is paused (cupsenable " + queue + " resumes it)";
    if (r == "connecting-to-device")
        return "connecting to the printer";
    if (r == "offline" || r == "timed-out")
        return "the printer is off-line";
    if (r == "media-empty" || r == "media-needed")
        return "out of paper";
    if (r == "media-low")
        return "paper low";
    if (r == "media-jam")
        return "paper jam";
    if (r == "door-open" || r == "cover-open")
        return "cover open";
    if (r == "shutdown")
        return "the printer is shut down";
    if (r == "job-hold-until-specified" || r == "job-held-on-create")
        return "the job is held";
    if (r == "job-canceled-by-user" || r == "job-canceled-by-operator" || r == "job-canceled-at-device")
        return "cancelled by a user or the printer";
    if (r == "aborted-by-system")
        return "aborted by the print server";
    if (r == "printer-stopped-partly")
        return "the queue is partly stopped";
    return r;
}

void addReason(std::vector<std::string> &out, const std::string &text)
{
    if (!text.empty() && std::find(out.begin(), out.end(), text) == out.end())
        out.push_back(text);
}

std::string joined(const std::vector<std::string> &parts)
{
    std::string s;
    for (const std::string &p : parts)
        s += (s.empty() ? "" : ", ") + p;
    return s;
}

std::string jobStateText(int state)
{
    switch (state) {
    case Pending:
        return "pending";
    case Held:
        return "held";
    case Processing:
        return "processing";
    case Stopped:
        return "stopped";
    case Canceled:
        return "cancelled";
    case Aborted:
        return "aborted";
    case Completed:
        return "completed";
    default:
        return "in state " + std::to_string(state);
    }
}

// Why a job waits: the queue's state and reasons (and the job's), as words.
std::string waitingText(http_t *http, const LastJob &job, const JobStatus &status)
{
    std::vector<std::string> reasons;
    std::string queueState = "unknown";
    std::string message;
    ipp_t *request = queueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, job.resource);
    static const char *const wanted[] = {"printer-state", "printer-state-reasons", "printer-state-message",
                                         "printer-is-accepting-jobs"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
    Ipp response(cupsDoRequest(http, request, "/"));
    if (response && ippGetStatusCode(response.get()) <= IPP_STATUS_OK_CONFLICTING) {
        ipp_attribute_t *state = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
        const int ps = state ? ippGetInteger(state, 0) : 0;
        queueState = ps == IPP_PSTATE_IDLE         ? "idle"
                     : ps == IPP_PSTATE_PROCESSING ? "printing"
                     : ps == IPP_PSTATE_STOPPED    ? "paused"
                                                   : "unknown";
        if (ps == IPP_PSTATE_STOPPED)
            addReason(reasons, reasonText("paused", job.queue));
        for (const std::string &r : keywords(response.get(), "printer-state-reasons"))
            addReason(reasons, reasonText(r, job.queue));
        ipp_attribute_t *accepting = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
        if (accepting && !ippGetBoolean(accepting, 0))
            addReason(reasons, "not accepting jobs");
        ipp_attribute_t *msg = ippFindAttribute(response.get(), "printer-state-message", IPP_TAG_TEXT);
        if (msg && ippGetString(msg, 0, nullptr))
            message = ippGetString(msg, 0, nullptr);
    }
    for (const std::string &r : status.reasons)
        addReason(reasons, reasonText(r, job.queue));
    // The network backends say a printer is off or unreachable only in the
    // queue's message, with no reason keyword.
    const std::string said = lower(message);
    for (const char *offline : {"may not exist or is unavailable", "is unreachable", "is not responding", "is busy",
                                "unable to connect", "waiting for printer"})
        if (said.find(offline) != std::string::npos)
            addReason(reasons, "the printer is off-line or unreachable");
    if (said.find("connecting") != std::string::npos)
        addReason(reasons, "connecting to the printer");
    // A job being handed on that does not end: the printer does not take it.
    if (status.state == Processing && reasons.empty())
        addReason(reasons, "connecting to the printer, or the printer does not take the data (off-line?)");
    std::string text =
        jobText(job) + " is waiting in the queue (job " + jobStateText(status.state) + ", queue " + queueState + ")";
    if (!reasons.empty())
        text += ": " + joined(reasons);
    if (!message.empty())
        text += " (the print server says \"" + message + "\")";
    return text;
}

void sleepFor(long long ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

int followLastJob(int timeoutMs)
{
    const LastJob job = t_lastJob;
    if (job.id <= 0)
        return 1; // nothing to follow: the last send did not go to a queue
    SigpipeGuard noSigpipe;
    using namespace std::chrono;
    const long long waitMs = std::max(0, timeoutMs);
    const auto giveUpAt = steady_clock::now() + milliseconds(waitMs);
    Deadline deadline(waitMs + cupsFollowGraceMs);
    DeadlineScope scope(deadline);
    Http http = connectServer(deadline);
    if (!http)
        return -1;
    long long pauseMs = cupsFollowFirstPollMs;
    for (;;) {
        JobStatus status;
        if (!askJob(http.get(), job, status))
            return -1;
        std::vector<std::string> reasons;
        for (const std::string &r : status.reasons)
            addReason(reasons, reasonText(r, job.queue));
        const std::string why = reasons.empty() ? std::string() : ": " + joined(reasons);
        switch (status.state) {
        case Completed:
            return 1;
        case Canceled:
            setError(DRAVIK_ERROR_OTHER, jobText(job) + " was cancelled" + why);
            return -1;
        case Aborted:
            setError(DRAVIK_ERROR_OTHER, jobText(job) + " was aborted" + why);
            return -1;
        case Stopped:
            setError(DRAVIK_ERROR_WAITING_IN_QUEUE, jobText(job) + " was stopped" + why);
            return -1;
        default:
            break;
        }
        const auto now = steady_clock::now();
        if (now >= giveUpAt) {
            setError(DRAVIK_ERROR_WAITING_IN_QUEUE, waitingText(http.get(), job, status));
            return 0;
        }
        sleepFor(std::min<long long>(pauseMs, duration_cast<milliseconds>(giveUpAt - now).count()));
        pauseMs = std::min<long long>(pauseMs * 2, cupsFollowPollMs);
    }
}

int cancelLastJob()
{
    const LastJob job = t_lastJob;
    if (job.id <= 0)
        return 1;
    SigpipeGuard noSigpipe;
    Deadline deadline(cupsListTimeoutMs);
    DeadlineScope scope(deadline);
    Http http = connectServer(deadline);
    if (!http)
        return 0;
    JobStatus status;
    if (!askJob(http.get(), job, status))
        return errorCode() == DRAVIK_ERROR_NOT_FOUND ? (clearError(), 1) : 0;
    if (status.state == Completed) {
        setError(DRAVIK_ERROR_OTHER, jobText(job) + " has already printed: it cannot be withdrawn");
        return 0;
    }
    if (status.state == Canceled || status.state == Aborted)
        return 1;
    ipp_t *request = queueRequest(IPP_OP_CANCEL_JOB, job.resource);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.id);
    Ipp response(cupsDoRequest(http.get(), request, job.resource.c_str()));
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (response && st <= IPP_STATUS_OK_CONFLICTING)
        return 1;
    // It may have printed or ended meanwhile.
    JobStatus after;
    if (askJob(http.get(), job, after) && (after.state == Canceled || after.state == Aborted))
        return 1;
    if (after.state == Completed) {
        setError(DRAVIK_ERROR_OTHER, jobText(job) + " has already printed: it cannot be withdrawn");
        return 0;
    }
    const DravikErrorCode kind = kindOf(st, DRAVIK_ERROR_OTHER);
    setError(kind, kind == DRAVIK_ERROR_SERVER_UNREACHABLE
                       ? wentAwayText("the withdrawal of " + jobText(job))
                       : "withdrawing " + jobText(job) + " failed: " + cupsReason());
    return 0;
}

std::string serverView(const QueueState &q)
{
    std::string text = q.state == QueueState::Idle       ? "idle"
                       : q.state == QueueState::Printing ? "printing"
                       : q.state == QueueState::Stopped  ? "paused (cupsenable " + q.name + " resumes it)"
                                                         : "in an unknown state";
    text += q.accepting ? ", accepting jobs" : ", not accepting jobs (cupsaccept " + q.name + ")";
    std::vector<std::string> reasons;
    for (const std::string &r : q.reasons)
        if (r != "paused" && r != "printer-stopped") // said above
            addReason(reasons, reasonText(r, q.name));
    if (!reasons.empty())
        text += ": " + joined(reasons);
    if (!q.message.empty())
        text += " (\"" + oneField(q.message) + "\")";
    return text;
}

bool queueDevice(const std::string &queueName, std::string &uri, QueueState &state)
{
    SigpipeGuard noSigpipe;
    Deadline deadline(cupsListTimeoutMs);
    DeadlineScope scope(deadline);
    Http http = connectServer(deadline);
    if (!http)
        return false;
    std::string queue = queueName;
    if (queue.empty()) {
        const char *def = cupsGetDefault2(http.get());
        if (!def) {
            if (serverWentAway(cupsLastError()) || deadlineExpired())
                setError(DRAVIK_ERROR_SERVER_UNREACHABLE, wentAwayText("the look-up of its default queue"));
            else
                setError(DRAVIK_ERROR_NOT_FOUND,
                         "no print queue named, and the CUPS server " + serverText() + " has no default queue");
            return false;
        }
        queue = def;
    }
    ipp_t *request = queueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, "/printers/" + queue);
    static const char *const wanted[] = {
        "device-uri",           "printer-type", "printer-state", "printer-is-accepting-jobs", "printer-state-reasons",
        "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 6, nullptr, wanted);
    Ipp response(cupsDoRequest(http.get(), request, "/"));
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (!response || st > IPP_STATUS_OK_CONFLICTING) {
        if (st == IPP_STATUS_ERROR_NOT_FOUND && !deadlineExpired())
            setError(DRAVIK_ERROR_NOT_FOUND,
                     "no print queue named \"" + queue + "\" on the CUPS server " + serverText());
        else {
            const DravikErrorCode kind = kindOf(st, DRAVIK_ERROR_OTHER);
            setError(kind, kind == DRAVIK_ERROR_SERVER_UNREACHABLE
                               ? wentAwayText("the look-up of print queue \"" + queue + "\"")
                               : "looking up print queue \"" + queue + "\" failed: " + cupsReason());
        }
        return false;
    }
    state = QueueState();
    state.name = queue;
    for (ipp_attribute_t *a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get()))
        if (ippGetName(a) && ippGetGroupTag(a) == IPP_TAG_PRINTER)
            readStateAttribute(a, state);
    ipp_attribute_t *type = ippFindAttribute(response.get(), "printer-type", IPP_TAG_ENUM);
    ipp_attribute_t *device = ippFindAttribute(response.get(), "device-uri", IPP_TAG_URI);
    if ((type && (ippGetInteger(type, 0) & CUPS_PRINTER_CLASS)) || !device || !ippGetString(device, 0, nullptr)) {
        setError(DRAVIK_ERROR_NO_ANSWERS,
                 "print queue \"" + queue +
                     "\" is a class of queues or has no device of its own: it carries no answers; "
                     "the print server says: " +
                     serverView(state));
        return false;
    }
    uri = ippGetString(device, 0, nullptr);
    return true;
}

} // namespace dravik
