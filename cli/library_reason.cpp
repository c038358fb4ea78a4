#include "library_reason.h"

#include "shown_text.h"
#include "tool_text.h"

#include <atomic>

namespace {

std::atomic<bool> g_showLibraryTexts{false};

// The library's text may quote what it was given: bounded like the input.
constexpr int kShownReasonChars = 400;

// The words for a code whose sentence names the target, by the target's kind.
struct Worded
{
    int code;
    const char *queue;  // %1: the queue
    const char *serial; // %1: the serial device
    const char *port;   // %1: the printer port or device path
    const char *none;   // no target known
};

const Worded kWords[] = {
    {DRAVIK_ERROR_NOT_FOUND, QT_TRANSLATE_NOOP("Nemboport", "there is no print queue %1"),
     QT_TRANSLATE_NOOP("Nemboport", "there is no serial port %1"),
     QT_TRANSLATE_NOOP("Nemboport", "there is no printer port %1"),
     QT_TRANSLATE_NOOP("Nemboport", "the print queue, serial port or printer device was not found")},
    {DRAVIK_ERROR_BUSY, QT_TRANSLATE_NOOP("Nemboport", "the print queue %1 is held by another program"),
     QT_TRANSLATE_NOOP("Nemboport", "the serial port %1 is held by another program"),
     QT_TRANSLATE_NOOP("Nemboport", "the printer port %1 is held by another program"),
     QT_TRANSLATE_NOOP("Nemboport", "the port is held by another program")},
    {DRAVIK_ERROR_NO_PERMISSION, QT_TRANSLATE_NOOP("Nemboport", "you may not use the print queue %1"),
     QT_TRANSLATE_NOOP("Nemboport", "you may not open the serial port %1 (the group dialout may)"),
     QT_TRANSLATE_NOOP("Nemboport", "you may not open the printer port %1 (the group lp may)"),
     QT_TRANSLATE_NOOP("Nemboport", "you are not allowed to open the device")},
    {DRAVIK_ERROR_TIMED_OUT, QT_TRANSLATE_NOOP("Nemboport", "the print queue %1 stopped taking data (timed out)"),
     QT_TRANSLATE_NOOP("Nemboport", "the printer on %1 stopped taking data (timed out)"),
     QT_TRANSLATE_NOOP("Nemboport", "the printer on %1 stopped taking data (timed out)"),
     QT_TRANSLATE_NOOP("Nemboport", "the printer stopped taking data (timed out)")},
    {DRAVIK_ERROR_DEVICE_LOST, QT_TRANSLATE_NOOP("Nemboport", "the print queue %1 went away"),
     QT_TRANSLATE_NOOP("Nemboport", "%1 was lost: unplugged, closed at the far end, or an I/O error"),
     QT_TRANSLATE_NOOP("Nemboport", "%1 was lost: unplugged, closed at the far end, or an I/O error"),
     QT_TRANSLATE_NOOP("Nemboport", "the device was lost: unplugged, closed at the far end, or an I/O error")},
    {DRAVIK_ERROR_QUEUE_REFUSED, QT_TRANSLATE_NOOP("Nemboport", "the print queue %1 does not accept jobs"),
     QT_TRANSLATE_NOOP("Nemboport", "the print queue does not accept jobs"),
     QT_TRANSLATE_NOOP("Nemboport", "the print queue does not accept jobs"),
     QT_TRANSLATE_NOOP("Nemboport", "the print queue does not accept jobs")},
    {DRAVIK_ERROR_INVALID_ARGUMENT,
     QT_TRANSLATE_NOOP("Nemboport", "the library does not take %1 as a print queue name, or the job's length"),
     QT_TRANSLATE_NOOP("Nemboport", "%1 is not a serial device, or the library does not take the rate"),
     QT_TRANSLATE_NOOP("Nemboport", "%1 is not a printer device"),
     QT_TRANSLATE_NOOP("Nemboport", "a name, length or rate is invalid, or the path is not a device")},
    {DRAVIK_ERROR_NO_ANSWERS, QT_TRANSLATE_NOOP("Nemboport", "the print queue %1 carries no answers from the printer"),
     QT_TRANSLATE_NOOP("Nemboport", "%1 carries no answers from the printer"),
     QT_TRANSLATE_NOOP("Nemboport", "%1 carries no answers from the printer"),
     QT_TRANSLATE_NOOP("Nemboport", "this connection carries no answers from the printer")},
    {DRAVIK_ERROR_WAITING_IN_QUEUE,
     QT_TRANSLATE_NOOP("Nemboport", "the printer has not taken the job from the print queue %1"),
     QT_TRANSLATE_NOOP("Nemboport", "the printer has not taken the job"),
     QT_TRANSLATE_NOOP("Nemboport", "the printer has not taken the job"),
     QT_TRANSLATE_NOOP("Nemboport", "the printer has not taken the job")},
};

// Said the same whatever the target.
const char *const kServerUnreachable =
    QT_TRANSLATE_NOOP("Nemboport", "the print server cannot be reached (is CUPS running?)");
const char *const kStoppedWhilePrinting =
    QT_TRANSLATE_NOOP("Nemboport", "the job was stopped while the print server was handing it to the printer");
const char *const kOther = QT_TRANSLATE_NOOP("Nemboport", "the printer I/O library failed");
const char *const kUntold = QT_TRANSLATE_NOOP("Nemboport", "the printer I/O library gives no reason code");
const char *const kNoReason = QT_TRANSLATE_NOOP("Nemboport", "the library gives no reason");

} // namespace

void showLibraryTexts(bool on)
{
    g_showLibraryTexts = on;
}

bool libraryTextsShown()
{
    return g_showLibraryTexts;
}

QString reasonWords(const FailureReason &reason, PathKind kind, const QString &shown)
{
    if (reason.code == kToolWordedCode)
        return reason.text;
    if (reason.code < DRAVIK_ERROR_NONE)
        return Nemboport::tr(reason.text.isEmpty() ? kNoReason : kUntold);
    if (reason.code == DRAVIK_ERROR_SERVER_UNREACHABLE)
        return Nemboport::tr(kServerUnreachable);
    if (reason.code == DRAVIK_ERROR_STOPPED_WHILE_PRINTING)
        return Nemboport::tr(kStoppedWhilePrinting);
    const bool named = !shown.isEmpty();
    for (const Worded &w : kWords) {
        if (w.code != reason.code)
            continue;
        if (!named || kind == PathKind::None)
            return Nemboport::tr(w.none);
        const char *text = kind == PathKind::Queue ? w.queue : kind == PathKind::Serial ? w.serial : w.port;
        return Nemboport::tr(text).arg(shown);
    }
    // DRAVIK_ERROR_OTHER, a code this program does not know, or none at all.
    return Nemboport::tr(kOther);
}

QString detailOf(const FailureReason &reason)
{
    if (reason.text.isEmpty() || reason.code == kToolWordedCode)
        return {};
    if (libraryTextsShown())
        return Nemboport::tr(" (the library: %1)").arg(shownInput(reason.text, kShownReasonChars));
    // Where only the library's text says why, say where to read it (why a
    // job still waits is the print server's to say: off-line, unreachable...).
    const bool worded = reason.code > DRAVIK_ERROR_NONE && reason.code != DRAVIK_ERROR_OTHER &&
                        reason.code != DRAVIK_ERROR_WAITING_IN_QUEUE && reason.code <= DRAVIK_ERROR_LAST_KNOWN;
    return worded ? QString() : Nemboport::tr(" (--verbose shows why)");
}

QString reasonWithDetail(const FailureReason &reason, PathKind kind, const QString &shown)
{
    return reasonWords(reason, kind, shown) + detailOf(reason);
}

bool reasonTold(const FailureReason &reason)
{
    return reason.code > DRAVIK_ERROR_NONE || !reason.text.isEmpty();
}

QString failedBecause(const QString &what, const FailureReason &reason, PathKind kind, const QString &shown)
{
    if (!reasonTold(reason))
        return what;
    return Nemboport::tr("%1: %2").arg(what, reasonWithDetail(reason, kind, shown));
}
