#include "job_follow.h"

bool followsJobs(const DravikBinding &lib, const PrinterTarget &target)
{
    return lib.isLoaded() && lib.followLastJob && target.isQueue();
}

JobFollow followLastJob(const DravikBinding &lib, const PrinterTarget &target, int timeoutMs)
{
    JobFollow out;
    if (!followsJobs(lib, target))
        return out;
    const int result = lib.followLastJob(timeoutMs);
    if (result > 0) {
        out.fate = JobFate::Printed;
        return out;
    }
    out.fate = result == 0 ? JobFate::Waiting : JobFate::Failed;
    out.reason = failureReason(lib);
    // A library that says "still waiting" without its code still means it.
    if (out.fate == JobFate::Waiting && out.reason.code <= DRAVIK_ERROR_NONE)
        out.reason.code = DRAVIK_ERROR_WAITING_IN_QUEUE;
    return out;
}

bool followsSentJobs(const DravikBinding &lib, const PrinterTarget &target)
{
    return followsJobs(lib, target) && lib.followSentJobs && lib.cancelLastJob;
}

SentJobsFollow followSentJobs(const DravikBinding &lib, int sent, int timeoutMs)
{
    SentJobsFollow out;
    if (!lib.isLoaded() || !lib.followSentJobs || sent <= 0)
        return out;
    out.printed = qBound(0, lib.followSentJobs(timeoutMs), sent);
    if (out.printed == sent) {
        out.stop.fate = JobFate::Printed;
        return out;
    }
    out.stop.reason = failureReason(lib);
    out.stop.fate = out.stop.reason.code == DRAVIK_ERROR_WAITING_IN_QUEUE ? JobFate::Waiting : JobFate::Failed;
    return out;
}

bool withdrawLastJob(const DravikBinding &lib, FailureReason *reason)
{
    if (!lib.isLoaded() || !lib.cancelLastJob) {
        if (reason)
            *reason = FailureReason{};
        return false;
    }
    if (lib.cancelLastJob() != 0)
        return true;
    if (reason)
        *reason = failureReason(lib);
    return false;
}
