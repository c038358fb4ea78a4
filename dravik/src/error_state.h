// The per-thread state of the last failed call: its kind and its reason.
#pragma once

#include <string>

namespace dravik {

// The kind of a failure, as GetLastErrorCode reports it. The numbers are
// part of the binary interface and never change.
enum class ErrorCode : int {
    None = 0,
    NotFound = 1,          // no such queue, port or device
    Busy = 2,              // another program holds the port
    NoPermission = 3,      // the user may not open the device or queue
    TimedOut = 4,          // the device stopped taking data
    DeviceLost = 5,        // unplugged, the far end closed, an I/O error
    ServerUnreachable = 6, // no CUPS server answers, or it went away
    QueueRefused = 7,      // the print queue does not take the job
    InvalidArgument = 8,   // a bad name, length or rate; a path that is no device
    Other = 9,
    NoAnswers = 10,      // the path carries no answers (an IPP or driver queue)
    WaitingInQueue = 11, // the job is queued, the printer does not take it
};

// The last failed call of this thread: its kind and its reason for a person.
// Both are recorded together, here only; a success clears both.
void clearError();
void setError(ErrorCode code, const std::string &text);
const std::string &errorText();
ErrorCode errorCode();

} // namespace dravik
