// The windows' messages, in one place. Those only the main window shows are
// in the interface language; those the NV logo window shares (in English, as
// all its texts) take the language.
#pragma once

#include "delivery_path.h"
#include "job_follow.h"
#include "notifier.h"
#include "printer_query.h"
#include "qt_translations.h"
#include "queue_states.h"
#include "send_path.h"

#include <QSize>

class DravikBinding;

namespace messages {

// Tells what the press needs and the program lacks: the library itself, or
// one of its exports.
Message missingPiece(const DravikBinding &lib, const char *exportName, Language language);

Message serialOpenFailed();
Message serialConnectionError(const QString &port);
Message serialCloseFailed(const QString &printerName);
Message baudRateRestart();

// The program's own sentence for a failure code of the library (a
// DravikErrorCode); empty when the library gave no code.
QString reasonSentence(int code, Language language);
// The program's sentence with the library's text in brackets, as a line of
// the record shows a failure.
QString reasonLine(const FailureReason &reason, Language language);

// A command (named by what the user pressed) did not reach the printer.
// The library's own text is the detail.
Message sendFailed(const QString &what, const FailureReason &reason, Language language);
// The one-key update stopped at a failed step, after sentBefore of its
// selected steps had been sent.
Message updateStopped(const QString &step, int sentBefore, int selected, const FailureReason &reason);
// The logo window's download failed (English, as all that window's texts).
Message logoNotStored(const FailureReason &reason);
// The logo window's offer to scale a picture too wide for the paper down to
// the fitted size (English).
Message logoFitQuestion(const QSize &loaded, const QSize &fitted);
// The logo window's size panel after opening a picture: the size stored,
// and how it came from the file's size when they differ (English).
QString logoSizeStatus(const QSize &loaded, const QSize &stored);

// The status line after a send: how it ended and where the bytes went.
// name: the document name, or what the user pressed when there is none.
QString sendStatus(const PrinterTarget &target, const QString &name, std::size_t length, bool sent,
                   const FailureReason &reason, Language language);

// The status line after a send to a print queue that was followed to the
// printer: it took the job, or the job still waited and was withdrawn or
// left in the queue. A failed job reads as sendStatus's failure.
QString followedStatus(const PrinterTarget &target, const QString &name, std::size_t length, JobFate fate,
                       bool withdrawn, Language language);
// Profiles: saved with how many settings, opened, or why not (the reason
// as the detail).
QString profileSaved(const QString &path, int settings);
QString profileOpened(const QString &path, int settings);
Message profileNotSaved(const QString &path, const QString &reason);
Message profileNotOpened(const QString &path, const QString &reason);

// How the one-key update ended, for the status line: nothing selected, every
// selected setting sent (the rest left out when the baud rate closed the
// serial port), or where it stopped.
QString updateEnded(int done, int wanted, const QString &stoppedAt);

// What an operation set back as designed, after its own status: parts from
// the functions below, joined.
QString setBack(const QStringList &parts);
QString setBackGroups();
QString setBackDarkness(const QString &level);
QString setBackCodePage(const QString &entry);

// The printer's conditions that keep it from printing, in words.
QString notReadyConditions(printer_status::Conditions conditions, Language language);
// The status line after a send the printer took while it reports it cannot
// print (paper out, cover open, off-line, an error).
QString notReadyStatus(const PrinterTarget &target, const QString &name, std::size_t length,
                       printer_status::Conditions conditions, Language language);
// The one-key update stopped at a step the printer took but cannot print.
Message updateStoppedNotReady(const QString &step, int sentBefore, int selected, printer_status::Conditions conditions);
// A job the printer has not taken after the follow: asks whether to withdraw
// it from the queue (Yes) or leave it queued (No). The library's reason is
// the detail.
Message jobWaiting(const QString &what, const QString &queue, const FailureReason &reason, Language language);
// The withdrawal failed: the job stays queued.
Message jobNotWithdrawn(const QString &what, const QString &queue, const FailureReason &reason, Language language);
// The status line after a send whose job was stopped while the print server
// was handing it to the printer: part or all of it may have printed.
QString stoppedWhilePrintingStatus(const PrinterTarget &target, const QString &name, std::size_t length,
                                   Language language);
// The one-key update stopped at a step whose job the printer did not take
// (end: Withdrawn, LeftQueued or NotWithdrawn), or whose job was stopped
// while the print server was handing it on (StoppedWhilePrinting).
Message updateStoppedWaiting(const QString &step, int sentBefore, int selected, CommandEnd end);
// How to choose a device when none is chosen on the path (no print queue,
// serial port or printer port), or no path at all.
Message noDevice(const QString &portName, Language language);

// The status line after listing printers and ports. queueFailure: why the
// print queue list came back empty (a library code other than DRAVIK_ERROR_NONE), else null.
QString listStatus(int queues, int serialPorts, int printerPorts, const FailureReason *queueFailure);
// The status line after opening or closing a serial port; reason is read
// only when ok is false.
QString serialOpenStatus(const QString &port, int baudRate, bool ok, const FailureReason &reason);
QString serialCloseStatus(const QString &port, bool ok, const FailureReason &reason);

// A print queue's state as the print server tells it (paused, not accepting
// jobs, its reasons and message), for the queue list's tooltip.
QString queueStateText(const QueueState &queue);
// The status line when a print queue is chosen: its name and state.
QString queueChosenStatus(const QueueState &queue);

// The printer's identity in one line ("maker: Acme, model: TP-80, ..."),
// empty when it told none.
QString identityLine(const PrinterIdentity &id, Language language);

// What the printer status indicator shows for a query's report: one word,
// its colour, the tooltip (every condition, the identity, or why nothing is
// known) and the record's line.
enum class IndicatorColour {
    Green,
    Amber,
    Red,
    Grey
};
struct IndicatorView
{
    QString text;
    IndicatorColour colour = IndicatorColour::Grey;
    QString tooltip;
    QString recordLine;
};
IndicatorView indicatorView(const PrinterReport &report, Language language);
// The same for a print queue the print server keeps from printing (paused or
// not accepting jobs): the queue's state first, whatever the printer says.
IndicatorView indicatorView(const PrinterReport &report, const QueueState &queue, Language language);

} // namespace messages
