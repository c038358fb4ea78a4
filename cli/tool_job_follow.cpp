#include "tool_job_follow.h"

JobFate followLastJob(const DravikBinding &lib, int timeoutMs, bool keepQueued)
{
    const int followed = lib.followLastJob(qMax(0, timeoutMs));
    if (followed == 1)
        return {JobFate::Printed, {}};
    const QString reason = lib.lastErrorText();
    if (followed != 0)
        return {JobFate::Failed, reason};
    if (keepQueued)
        return {JobFate::LeftQueued, reason};
    if (lib.cancelLastJob() != 0)
        return {JobFate::Withdrawn, reason};
    // The withdrawal fails for a job that printed in the meantime.
    if (lib.followLastJob(0) == 1)
        return {JobFate::Printed, {}};
    const QString why = lib.lastErrorText();
    return {JobFate::NotWithdrawn, why.isEmpty() || why == reason ? reason : reason + QStringLiteral("; ") + why};
}

QString fateWord(JobFate::Kind kind)
{
    switch (kind) {
    case JobFate::Printed:
        return QStringLiteral("printed");
    case JobFate::Failed:
        return QStringLiteral("failed");
    case JobFate::Withdrawn:
        return QStringLiteral("withdrawn");
    case JobFate::LeftQueued:
        return QStringLiteral("left queued");
    case JobFate::NotWithdrawn:
        return QStringLiteral("still queued (could not be withdrawn)");
    }
    return {};
}
