// Sending from a window: the call runs on the library's worker thread while
// the windows keep painting and drop input; the call goes into the record of
// this run; a missing library or export is told to the user. A send to a
// print queue is followed to the printer when the library can: a job the
// printer has not taken in time is withdrawn or left queued, as the user
// chooses.
#pragma once

#include "library_call.h"
#include "notifier.h"
#include "printer_session.h"

class QWidget;

// True when the session's library has what action needs; otherwise tells
// the user what is missing and returns false.
bool canOrReport(QWidget *parent, const PrinterSession &session, SessionAction action, Language language);
inline bool canSendOrReport(QWidget *parent, const PrinterSession &session, Language language)
{
    return canOrReport(parent, session, SessionAction::Send, language);
}

// What the question about a job still waiting in the queue offers first:
// configuration commands are withdrawn (run hours later they would surprise
// whoever set the printer up since), test prints left queued.
enum class WaitingJob {
    Withdraw,
    LeaveQueued
};

// A send from a window: the session's report with the status line's text.
struct SendOutcome : SendReport
{
    QString status; // the status line's text for this send
    QString name;   // the document name (or the command as the user knows it)
};

// The status line's text for outcome, in the language asked for.
QString outcomeStatus(const PrinterTarget &target, const SendOutcome &outcome, Language language);

// Sends command through session. what names the command as the user knows it (a
// button's caption or a group's title); it stands in for a missing document
// name. progress.bar, when set, shows the progress of a slow send. A job
// still waiting is asked about here, with waiting offered first.
SendOutcome sendFromWindow(QWidget *parent, const PrinterSession &session, const Command &command, const QString &what,
                           Language language, QProgressBar *progressBar, WaitingJob waiting = WaitingJob::Withdraw);

// The message for a send the library refused; a send with no path or device
// chosen also says how to choose one.
Message sendFailedMessage(const PrinterTarget &target, const QString &what, const FailureReason &reason,
                          Language language);

// Puts a serial open or close into the record of this run.
void recordPortCall(const PrinterTarget &target, const QString &name, bool open, const PortCall &call,
                    Language language);
