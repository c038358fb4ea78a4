// Follows the last print-queue job to the printer through the library's
// FollowLastJob, and withdraws it through CancelLastJob. Widget-free and
// blocking; both must run on the thread that sent the job (the window's
// worker thread), since the library keeps the last job per thread.
#pragma once

#include "dravik_binding.h"
#include "send_path.h"

// How long a window follows a job before it asks what to do with it.
inline constexpr int kJobFollowMs = 5000;

enum class JobFate {
    NotFollowed, // not a print queue, or the library cannot follow: nothing was called
    Printed,     // the print server handed every byte to the printer
    Waiting,     // still in the queue when the time was up; reason says why
    Failed,      // aborted, cancelled or stopped; reason says why
};

struct JobFollow
{
    JobFate fate = JobFate::NotFollowed;
    FailureReason reason; // with Waiting and Failed
};

// True when a send to target is followed: a print queue, and a library with
// FollowLastJob.
bool followsJobs(const DravikBinding &lib, const PrinterTarget &target);

// Follows the job the calling thread sent last, for up to timeoutMs.
JobFollow followLastJob(const DravikBinding &lib, const PrinterTarget &target, int timeoutMs = kJobFollowMs);

// The jobs the calling thread sent since its last follow, followed together.
struct SentJobsFollow
{
    int printed = 0; // how many, from the first, the printer took
    JobFollow stop;  // what became of the next one, when not all printed
};

// True when the jobs of a plan to target can go out back to back and be
// followed together: a print queue, and a library with FollowSentJobs,
// FollowLastJob and CancelLastJob.
bool followsSentJobs(const DravikBinding &lib, const PrinterTarget &target);

// Follows the sent jobs the calling thread sent since its last follow (sent
// of them) for up to timeoutMs in all. The one that stops it becomes the
// library's last job: withdrawLastJob withdraws it with the jobs behind it.
SentJobsFollow followSentJobs(const DravikBinding &lib, int sent, int timeoutMs);

// Withdraws that job. False, with the reason, when the library could not
// (or lacks CancelLastJob: code kUntoldErrorCode and an empty text).
bool withdrawLastJob(const DravikBinding &lib, FailureReason *reason);
