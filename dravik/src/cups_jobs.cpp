// Following this thread's last print-queue job to the printer, and
// withdrawing it.
#include "cups_jobs.h"

#include "cups_queue.h"
#include "cups_server.h"
#include "timeouts.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

namespace dravik {

namespace {

thread_local LastJob t_lastJob;
// The jobs sent since the last follow, in the order sent (the newest kept
// when there are more).
constexpr std::size_t kSentJobsKept = 4096;
thread_local std::vector<LastJob> t_sent;
// After a follow of the sent jobs stopped at the last job: the jobs sent
// after it, withdrawn with it.
thread_local std::vector<LastJob> t_behind;

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
    // The server started handing the job to the printer (it has a
    // time-at-processing): some or all of it may have reached the printer.
    bool started = false;
    // The pages the backend said it began; CUPS' network backend counts one
    // once it is connected to the printer, before the first byte.
    int impressions = 0;
};

// Asks the server for the job's state; false with the reason set.
bool askJob(http_t *http, const LastJob &job, JobStatus &status)
{
    ipp_t *request = queueRequest(IPP_OP_GET_JOB_ATTRIBUTES, job.resource);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.id);
    static const char *const wanted[] = {"job-state", "job-state-reasons", "time-at-processing",
                                         "job-impressions-completed"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
    Ipp response = askServer(http, request, "/");
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
    // Before processing the server gives time-at-processing as "no value".
    status.started = ippFindAttribute(response.get(), "time-at-processing", IPP_TAG_INTEGER) != nullptr;
    ipp_attribute_t *pages = ippFindAttribute(response.get(), "job-impressions-completed", IPP_TAG_INTEGER);
    status.impressions = pages ? ippGetInteger(pages, 0) : 0;
    return true;
}

// Asks about a job being followed; false with the reason set. The server
// forgets only jobs that ended, the oldest first once it holds as many as its
// MaxJobs allows: a followed job it no longer knows ended, but whether it
// printed cannot be told (and no queue went away).
bool askFollowed(http_t *http, const LastJob &job, JobStatus &status)
{
    if (askJob(http, job, status))
        return true;
    if (errorCode() == DRAVIK_ERROR_NOT_FOUND)
        setError(DRAVIK_ERROR_OTHER, jobText(job) +
                                         " ended, but the print server no longer knows it (it forgets its oldest "
                                         "ended jobs beyond MaxJobs in cupsd.conf): whether it printed cannot be told");
    return false;
}

// What the queue's backend said last, when it says it has not reached the
// printer: it failed to connect and waits to try again (switched off,
// unplugged, unreachable). Empty otherwise, also when the queue cannot be
// asked.
std::string unreachedPrinter(http_t *http, const LastJob &job)
{
    ipp_t *request = queueRequest(IPP_OP_GET_PRINTER_ATTRIBUTES, job.resource);
    static const char *const wanted[] = {"printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 1, nullptr, wanted);
    Ipp response = askServer(http, request, "/");
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING)
        return {};
    ipp_attribute_t *msg = ippFindAttribute(response.get(), "printer-state-message", IPP_TAG_TEXT);
    const std::string message = msg && ippGetString(msg, 0, nullptr) ? ippGetString(msg, 0, nullptr) : "";
    const std::string said = lower(message);
    // The backends' words for a connection that failed (it is retried after
    // a pause of seconds); "waiting for printer to finish" comes after the
    // bytes went out and is no such word.
    for (const char *unreached :
         {"may not exist or is unavailable", "is unreachable", "is not responding", "unable to connect",
          "unable to locate printer", "printer is not connected", "waiting for printer to become available"})
        if (said.find(unreached) != std::string::npos)
            return message;
    return {};
}

void setStoppedWhilePrinting(const LastJob &job)
{
    setError(DRAVIK_ERROR_STOPPED_WHILE_PRINTING,
             jobText(job) + " was stopped while printing: the printer may have received part or all of it");
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
    Ipp response = askServer(http, request, "/");
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
    const bool handedOn = said.find("waiting for printer to finish") != std::string::npos;
    for (const char *offline : {"may not exist or is unavailable", "is unreachable", "is not responding", "is busy",
                                "unable to connect", "waiting for printer"})
        if (!handedOn && said.find(offline) != std::string::npos)
            addReason(reasons, "the printer is off-line or unreachable");
    // The bytes went out; the printer has not closed the connection.
    if (handedOn)
        addReason(reasons, "the printer has received the job but has not said it is done");
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
    t_behind.clear();
    if (t_sent.size() >= kSentJobsKept)
        t_sent.erase(t_sent.begin());
    t_sent.push_back(job);
}

void forgetLastJob()
{
    t_lastJob = LastJob();
    t_behind.clear();
}

void forgetSentJobs()
{
    t_sent.clear();
}

std::string jobText(const LastJob &job)
{
    return "job " + std::to_string(job.id) + " on \"" + job.queue + "\"";
}

namespace {

// A job whose state is final, or stopped: 1 printed, -1 not (the reason
// set); 0 while it still may print.
int settled(const LastJob &job, const JobStatus &status)
{
    std::vector<std::string> reasons;
    for (const std::string &r : status.reasons)
        addReason(reasons, reasonText(r, job.queue));
    const std::string why = reasons.empty() ? std::string() : ": " + joined(reasons);
    switch (status.state) {
    case Completed:
        return 1;
    case Canceled:
        // Cancelled once the server had begun handing it on: not withdrawn.
        if (status.started && !job.withdrawn)
            setStoppedWhilePrinting(job);
        else
            setError(DRAVIK_ERROR_OTHER, jobText(job) + " was cancelled" + why);
        return -1;
    case Aborted:
        setError(DRAVIK_ERROR_OTHER, jobText(job) + " was aborted" + why);
        return -1;
    case Stopped:
        setError(DRAVIK_ERROR_WAITING_IN_QUEUE, jobText(job) + " was stopped" + why);
        return -1;
    default:
        return 0;
    }
}

// The jobs followed at this moment, in every thread of this process.
std::atomic<int> g_followers{0};

// Counts its thread among the followers while it lives.
class Following
{
public:
    Following() { g_followers.fetch_add(1, std::memory_order_relaxed); }
    ~Following() { g_followers.fetch_sub(1, std::memory_order_relaxed); }
    Following(const Following &) = delete;
    Following &operator=(const Following &) = delete;
};

// The pause before the next question: twice as long each time, up to the
// longest pause for as many followers as there are now, and for how long
// this one has followed already (a tenth of it: a job that waits costs the
// server fewer and fewer questions).
long long nextPause(long long pauseMs, std::chrono::steady_clock::time_point since)
{
    using namespace std::chrono;
    const long long followedMs = duration_cast<milliseconds>(steady_clock::now() - since).count();
    const long long fleetMs =
        static_cast<long long>(g_followers.load(std::memory_order_relaxed)) * cupsFollowPerFollowerMs;
    const long long longest =
        std::clamp<long long>(std::max(fleetMs, followedMs / 10), cupsFollowShortestPollMs, cupsFollowPollMs);
    return std::min<long long>(pauseMs * 2, longest);
}

} // namespace

int followLastJob(int timeoutMs)
{
    const LastJob job = t_lastJob;
    t_sent.clear();
    if (job.id <= 0)
        return 1; // nothing to follow: the last send did not go to a queue
    using namespace std::chrono;
    const long long waitMs = std::max(0, timeoutMs);
    const auto giveUpAt = steady_clock::now() + milliseconds(waitMs);
    ServerCall call(waitMs + cupsFollowGraceMs);
    if (!call.http())
        return -1;
    const Following following;
    const auto since = steady_clock::now();
    long long pauseMs = cupsFollowFirstPollMs;
    for (;;) {
        JobStatus status;
        if (!askFollowed(call.http(), job, status))
            return -1;
        const int fate = settled(job, status);
        if (fate != 0)
            return fate;
        const auto now = steady_clock::now();
        if (now >= giveUpAt) {
            setError(DRAVIK_ERROR_WAITING_IN_QUEUE, waitingText(call.http(), job, status));
            return 0;
        }
        sleepFor(std::min<long long>(pauseMs, duration_cast<milliseconds>(giveUpAt - now).count()));
        pauseMs = nextPause(pauseMs, since);
    }
}

int followSentJobs(int timeoutMs)
{
    const std::vector<LastJob> jobs = std::exchange(t_sent, {});
    if (jobs.empty())
        return 0;
    // The job that did not print becomes the last job; the ones sent after
    // it wait behind it, for the withdrawal.
    const auto stopAt = [&jobs](std::size_t at) {
        t_lastJob = jobs[at];
        t_behind.assign(jobs.begin() + static_cast<std::ptrdiff_t>(at) + 1, jobs.end());
        return static_cast<int>(at);
    };
    using namespace std::chrono;
    const long long waitMs = std::max(0, timeoutMs);
    const auto giveUpAt = steady_clock::now() + milliseconds(waitMs);
    ServerCall call(waitMs + cupsFollowGraceMs);
    if (!call.http())
        return stopAt(0);
    const Following following;
    const auto since = steady_clock::now();
    std::size_t done = 0;
    // The first look when the jobs may have printed, then less and less
    // often: a fleet's threads must leave the server time to print.
    long long pauseMs = std::clamp<long long>(static_cast<long long>(jobs.size()) * cupsSentJobMs,
                                              cupsFollowFirstPollMs / 4, cupsFollowPollMs);
    for (;;) {
        const auto now = steady_clock::now();
        const bool timeUp = now >= giveUpAt;
        // A queue hands its jobs on in order: while the last one still
        // waits, so may the others; once it is over (or the time is up), each
        // job from the earliest not yet known to have printed is asked once.
        JobStatus last;
        const bool lastWaits = !timeUp && askJob(call.http(), jobs.back(), last) && settled(jobs.back(), last) == 0;
        clearError();
        if (!lastWaits) {
            JobStatus status;
            while (done < jobs.size()) {
                if (!askFollowed(call.http(), jobs[done], status))
                    return stopAt(done);
                const int fate = settled(jobs[done], status);
                if (fate < 0)
                    return stopAt(done);
                if (fate == 0)
                    break;
                ++done;
            }
            if (done == jobs.size()) {
                t_lastJob = jobs.back();
                return static_cast<int>(done);
            }
            if (timeUp) {
                setError(DRAVIK_ERROR_WAITING_IN_QUEUE, waitingText(call.http(), jobs[done], status));
                return stopAt(done);
            }
        }
        sleepFor(std::min<long long>(pauseMs, duration_cast<milliseconds>(giveUpAt - now).count()));
        pauseMs = nextPause(pauseMs, since);
    }
}

namespace {

enum class Withdrawn {
    Whole,   // nothing of it reached the printer (or it was gone before it began)
    Stopped, // stopped while the server handed it to the printer
    Printed, // it had printed already
    NotDone, // the withdrawal failed (the reason set)
};

Withdrawn withdraw(http_t *http, const LastJob &job)
{
    JobStatus before;
    if (!askJob(http, job, before))
        return errorCode() == DRAVIK_ERROR_NOT_FOUND ? (clearError(), Withdrawn::Whole) : Withdrawn::NotDone;
    if (before.state == Completed)
        return Withdrawn::Printed;
    JobStatus after = before;
    if (before.state != Canceled && before.state != Aborted) {
        // A job being handed on whose backend says it never reached the
        // printer is still withdrawn whole (unless it connects meanwhile:
        // the page count after the cancel tells).
        const bool unreached = before.state == Processing && !unreachedPrinter(http, job).empty();
        ipp_t *request = queueRequest(IPP_OP_CANCEL_JOB, job.resource);
        ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job.id);
        Ipp response = askServer(http, request, job.resource.c_str());
        const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
        const bool cancelled = response && st <= IPP_STATUS_OK_CONFLICTING;
        // How it ended: it may have printed or ended meanwhile.
        const bool looked = askJob(http, job, after);
        if (looked && after.state == Completed)
            return Withdrawn::Printed;
        if (!cancelled && !(looked && (after.state == Canceled || after.state == Aborted))) {
            setRequestError(st, DRAVIK_ERROR_OTHER, "the withdrawal of " + jobText(job),
                            "withdrawing " + jobText(job) + " failed");
            return Withdrawn::NotDone;
        }
        if (!looked) {
            // Cancelled, but how far it got is unknown: only a job never
            // begun counts as withdrawn.
            after = before;
            after.started = before.started || before.state == Processing;
        }
        if (after.started && unreached && after.impressions == 0)
            after.started = false;
    }
    // "Withdrawn" only when the server never began handing the job on.
    return after.started ? Withdrawn::Stopped : Withdrawn::Whole;
}

} // namespace

int cancelLastJob()
{
    const LastJob job = t_lastJob;
    if (job.id <= 0)
        return 1;
    ServerCall call(cupsListTimeoutMs);
    http_t *http = call.http();
    if (!http)
        return 0;
    // The jobs queued behind it first, the newest first: once it is gone the
    // queue would hand the next one on.
    std::vector<LastJob> behind = std::exchange(t_behind, {});
    bool stopped = false;
    for (auto it = behind.rbegin(); it != behind.rend(); ++it) {
        const Withdrawn w = withdraw(http, *it);
        if (w == Withdrawn::NotDone)
            return 0;
        if (w == Withdrawn::Printed) {
            setAlreadyPrinted(*it);
            return 0;
        }
        stopped = stopped || w == Withdrawn::Stopped;
    }
    switch (withdraw(http, job)) {
    case Withdrawn::NotDone:
        return 0;
    case Withdrawn::Printed:
        setAlreadyPrinted(job);
        return 0;
    case Withdrawn::Stopped:
        setStoppedWhilePrinting(job);
        return 0;
    case Withdrawn::Whole:
        break;
    }
    if (stopped) {
        setStoppedWhilePrinting(job);
        return 0;
    }
    clearError();
    t_lastJob.withdrawn = true;
    return 1;
}

} // namespace dravik
