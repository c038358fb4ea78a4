// Follows the job this thread last sent to a print queue until the printer
// took it, and withdraws it (or leaves it queued) when it is still waiting
// at the end. The library's FollowLastJob and CancelLastJob act on the
// calling thread's last job: call this on the thread that sent it, right
// after the send.
#pragma once

#include "dravik_binding.h"

#include <QString>

struct JobFate
{
    enum Kind {
        Printed,     // the print server handed every byte to the printer
        Failed,      // aborted, cancelled or stopped, or the server could not be asked
        Withdrawn,   // still waiting at the end: withdrawn, nothing of it printed
        LeftQueued,  // still waiting at the end: left queued on request
        NotWithdrawn // still waiting, and the withdrawal failed: it may print later
    };
    Kind kind = Printed;
    QString reason; // the library's words for why it did not print; empty when printed
};

// Both exports are needed to follow jobs.
inline bool canFollowJobs(const DravikBinding &lib)
{
    return lib.followLastJob && lib.cancelLastJob;
}

// timeoutMs: how long the job may still take (0: one look).
JobFate followLastJob(const DravikBinding &lib, int timeoutMs, bool keepQueued);

// "printed", "withdrawn", "left queued"...
QString fateWord(JobFate::Kind kind);
