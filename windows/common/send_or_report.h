// Sending from a window: the call runs on the library's worker thread while
// the windows keep painting and drop input; the call goes into the record of
// this run; a missing library or export is told to the user. A send to a
// print queue is followed to the printer when the library can: a job the
// printer has not taken in time is withdrawn or left queued, as the user
// chooses.
#pragma once

#include "job_follow.h"
#include "library_call.h"
#include "send_path.h"

class QWidget;

// True when SendBufferToPrint can be called; otherwise tells the user what
// is missing and returns false.
bool canSendOrReport(QWidget *parent, const DravikBinding &lib, Language language);

// What the question about a job still waiting in the queue offers first:
// configuration commands are withdrawn (run hours later they would surprise
// whoever set the printer up since), test prints left queued.
enum class WaitingJob {
    Withdraw,
    LeaveQueued
};

struct SendOutcome
{
    bool called = false; // false: nothing was called (missing piece told, or another call in flight)
    bool sent = false;   // the library took all the bytes (and a followed job did not fail)
    JobFate job = JobFate::NotFollowed;
    bool withdrawn = false; // with JobFate::Waiting: the job was withdrawn, else it stays queued
    FailureReason reason;   // why the send or the job failed, or why the job waits
    QString status;         // the status line's text for this send
    QString name;           // the document name (or the command as the user knows it)
    std::size_t length = 0;

    // The printer took the bytes (or the path gives no more to know).
    bool done() const { return sent && job != JobFate::Waiting; }
};

// The status line's text for outcome, in the language asked for.
QString outcomeStatus(const PrinterTarget &target, const SendOutcome &outcome, Language language);

// Sends command to target. what names the command as the user knows it (a
// button's caption or a group's title); it stands in for a missing document
// name. progress.bar, when set, shows the progress of a slow send. A job
// still waiting is asked about here, with waiting offered first.
SendOutcome sendFromWindow(QWidget *parent, const DravikBinding &lib, const PrinterTarget &target,
                           const Command &command, const QString &what, Language language, QProgressBar *progressBar,
                           WaitingJob waiting = WaitingJob::Withdraw);
