// Waiting for the printer I/O library without freezing the windows: a call
// runs on the library's worker thread while the calling window waits in a
// loop that keeps painting and drops (never queues) user input. A call that
// takes longer than a moment shows its progress.
#pragma once

#include "qt_translations.h"

#include <QtGlobal>

#include <functional>

class QProgressBar;

struct CallProgress
{
    QProgressBar *bar = nullptr;           // where the progress shows; null: nowhere
    qint64 bytes = 0;                      // the bytes a send carries
    int baudRate = 0;                      // > 0: a serial send; the time left is estimated from it
    Language language = Language::English; // the language of the progress text
};

namespace librarycall {

// How long a call runs before its progress shows.
inline constexpr int kProgressDelayMs = 300;

// True while a call or a wait is in flight.
bool busy();

// Runs job on the worker thread and returns once it has ended. Returns
// false, without running it, while another call is in flight.
bool run(const std::function<void()> &job, const CallProgress &progress = {});

// Waits ms milliseconds the same way: the windows paint, input is dropped.
// tick gets the time waited so far, about ten times a second.
void wait(int ms, const std::function<void(qint64 elapsedMs)> &tick);

// Seconds left of a serial send: bytes x 10 bits at the baud rate, less the
// time already spent, never below 0.
qint64 serialSecondsLeft(qint64 bytes, int baudRate, qint64 elapsedMs);

} // namespace librarycall
