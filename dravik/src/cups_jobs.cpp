// Following this thread's last print-queue job to the printer, and
// withdrawing it.
#include "cups_jobs.h"

#include "cups_queue.h"
#include "cups_server.h"
#include "timeouts.h"

#include <algorithm>
#include <thread>

namespace dravik {

namespace {

thread_local LastJob t_lastJob;

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
        if (st == IPP_STATUS_ERROR_NOT_FOUND && !deadlineExpired())
            setError(DRAVIK_ERROR_NOT_FOUND, jobText(job) + " is no longer known to the print server");
        else
            setRequestError(st, DRAVIK_ERROR_OTHER, "the question about " + jobText(job),
                            "asking about " + jobText(job) + " failed");
        return false;
    }
    ipp_attribute_t *state = ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM);
    status.known = state != nullptr;
    status.state = state ? ippGetInteger(state, 0) : 0;
    status.reasons = keywords(response.get(), "job-state-reasons");
    return true;
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

void setAlreadyPrinted(const LastJob &job)
{
    setError(DRAVIK_ERROR_OTHER, jobText(job) + " has already printed: it cannot be withdrawn");
}

} // namespace

void rememberLastJob(const LastJob &job)
{
    t_lastJob = job;
}

void forgetLastJob()
{
    t_lastJob = LastJob();
}

std::string jobText(const LastJob &job)
{
    return "job " + std::to_string(job.id) + " on \"" + job.queue + "\"";
}

int followLastJob(int timeoutMs)
{
    const LastJob job = t_lastJob;
    if (job.id <= 0)
        return 1; // nothing to follow: the last send did not go to a queue
    using namespace std::chrono;
    const long long waitMs = std::max(0, timeoutMs);
    const auto giveUpAt = steady_clock::now() + milliseconds(waitMs);
    ServerCall call(waitMs + cupsFollowGraceMs);
    if (!call.http())
        return -1;
    long long pauseMs = cupsFollowFirstPollMs;
    for (;;) {
        JobStatus status;
        if (!askJob(call.http(), job, status))
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
            setError(DRAVIK_ERROR_WAITING_IN_QUEUE, waitingText(call.http(), job, status));
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
    ServerCall call(cupsListTimeoutMs);
    http_t *http = call.http();
    if (!http)
        return 0;
    JobStatus status;
    if (!askJob(http, job, status))
        return errorCode() == DRAVIK_ERROR_NOT_FOUND ? (clearError(), 1) : 0;
    if (status.state == Completed) {
        setAlreadyPrinted(job);
        return 0;
    }
    if (status.state == Canceled || status.state == Aborted)
        return 1;
    ipp_t *request = queueRequest(IPP_OP_CANCEL_JOB, job.resource);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.id);
    Ipp response(cupsDoRequest(http, request, job.resource.c_str()));
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (response && st <= IPP_STATUS_OK_CONFLICTING)
        return 1;
    // It may have printed or ended meanwhile.
    JobStatus after;
    if (askJob(http, job, after) && (after.state == Canceled || after.state == Aborted))
        return 1;
    if (after.state == Completed) {
        setAlreadyPrinted(job);
        return 0;
    }
    setRequestError(st, DRAVIK_ERROR_OTHER, "the withdrawal of " + jobText(job),
                    "withdrawing " + jobText(job) + " failed");
    return 0;
}

} // namespace dravik
