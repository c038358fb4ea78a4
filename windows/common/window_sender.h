// Sending from a window through the one delivery path: each library call
// runs on the worker thread while the windows keep painting and drop input; a
// print-queue job still waiting is asked about (withdraw it, or leave it
// queued); every command goes into the record of this run and onto the status
// line; a missing library or export is told to the user.
#pragma once

#include "delivery_path.h"
#include "library_call.h"
#include "notifier.h"
#include "printer_session.h"
#include "status_line.h"

#include <functional>

class QWidget;

// True when the session's library has what action needs; otherwise tells
// the user what is missing and returns false.
bool canOrReport(QWidget *parent, const PrinterSession &session, SessionAction action, Language language);

// The status line's text for a command that ended as outcome, named name.
QString outcomeStatus(const PrinterTarget &target, const QString &name, const CommandOutcome &outcome,
                      Language language);

// A command that reached the library: where it went, what it is called and
// how it ended; its status line text in any language.
struct SentCommand
{
    PrinterTarget target;
    QString name;
    CommandOutcome outcome;
    QString status(Language language) const { return outcomeStatus(target, name, outcome, language); }
};

// The message for a send the library refused; a send with no path or device
// chosen also says how to choose one.
Message sendFailedMessage(const PrinterTarget &target, const QString &what, const FailureReason &reason,
                          Language language);

// Puts a serial open or close into the record of this run.
void recordPortCall(const PrinterTarget &target, const QString &name, bool open, const PortCall &call,
                    Language language);

// A window's way of sending: its session, where progress and outcomes show,
// and the language it speaks.
class WindowSender
{
public:
    QWidget *parent = nullptr;
    PrinterSession *session = nullptr;
    QProgressBar *progressBar = nullptr;    // a slow call's progress; null: none shown
    std::function<Language()> language;     // asked at each send
    std::function<void(StatusText)> status; // the status line's text after each command and operation
    // After each command that reached the library, where the printer was
    // asked how it is: its answer. Where it was not asked: afterSend.
    std::function<void(const PrinterReport &)> printerAnswered;
    std::function<void()> afterSend;
    // False when the printer is not to be asked after a send (its path was
    // found to carry no answers); null: always asked where the library can.
    std::function<bool()> mayAskPrinter;

    // Delivers plan. extra.wanted and extra.stepDone are the caller's; the
    // other hooks are the window's own. Tells the user when the library or
    // its export is missing (nothing is sent then), and when a waiting job
    // could not be withdrawn; a refused send only through the result.
    DeliveryResult deliver(const std::vector<PlanStep> &plan, const DeliveryHooks &extra = {}) const;

    // A press of one button: delivers step, and tells a refused send at once.
    // stepDone runs once every command of it was done. Returns whether it was.
    bool press(const PlanStep &step, const std::function<void(const PlanStep &)> &stepDone = {}) const;

    Language lang() const { return language ? language() : Language::English; }
    // Shows a status worded by make (in the language of each moment).
    void show(StatusText make) const
    {
        if (status)
            status(std::move(make));
    }
    // The name a command goes by: its document name, else the step's.
    static QString commandName(const PlanStep &step, const Command &command);
};
