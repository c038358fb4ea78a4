// Sending from a window: the call runs on the library's worker thread while
// the windows keep painting and drop input; the call goes into the record of
// this run; a missing library or export is told to the user.
#pragma once

#include "library_call.h"
#include "send_path.h"

class QWidget;

// True when SendBufferToPrint can be called; otherwise tells the user what
// is missing and returns false.
bool canSendOrReport(QWidget *parent, const DravikBinding &lib, bool chinese);

struct SendOutcome
{
    bool called = false; // false: nothing was called (missing piece told, or another call in flight)
    bool sent = false;   // the library took all the bytes
    FailureReason reason;
    QString status;      // the status line's text for this send
    QString name;        // the document name (or the command as the user knows it)
    std::size_t length = 0;
};

// Sends command to target. what names the command as the user knows it (a
// button's caption or a group's title); it stands in for a missing document
// name. progress.bar, when set, shows the progress of a slow send.
SendOutcome sendFromWindow(QWidget *parent, const DravikBinding &lib, const PrinterTarget &target,
                           const Command &command, const QString &what, bool chinese, QProgressBar *progressBar);
