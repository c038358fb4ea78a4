// The one delivery path for a plan of commands to one target, shared by the
// windows and the tool: the order of the steps (the baud rate last over a
// serial port, where asked), opening and closing the serial port around the
// plan, following each print-queue job, what becomes of a job left waiting,
// and stopping at the first command the library refused or whose job did not
// print. Widget-free and blocking; the caller's hooks decide where each call
// runs (the windows on their worker thread) and what the user is told.
#pragma once

#include "command.h"
#include "printer_session.h"
#include "setting_choices.h"

#include <QString>

#include <functional>
#include <vector>

// One thing the user asked for (a setting, a test print, a logo), sent
// command by command.
struct PlanStep
{
    QString name; // as the user knows it: a group's title, a button's caption
    std::vector<Command> commands;
    bool changesBaudRate = false; // the printer takes a new serial rate
    bool keepWaitingJobs = false; // a job still waiting is offered to stay queued (a test print), else withdrawn
    int id = 0;                   // the caller's own tag (the window's setting)
};

// A chosen setting as a step named name.
PlanStep settingStep(const SettingCommands &chosen, const QString &name);

enum class WaitingChoice {
    Withdraw,
    LeaveQueued
};

// How one command ended.
enum class CommandEnd {
    Done,                 // the library took it; a followed job printed
    Failed,               // the library refused it, or its job failed
    Withdrawn,            // its job still waited and was withdrawn: nothing of it printed
    LeftQueued,           // its job still waits, left queued as asked
    NotWithdrawn,         // its job still waits and could not be withdrawn: it may print later
    NotReady,             // the printer took it but reports it cannot print (paper out, cover open...): nothing printed
    StoppedWhilePrinting, // its job was being handed to the printer when it was stopped: the printer may have
                          // received part or all of it
};

struct CommandOutcome
{
    CommandEnd end = CommandEnd::Done;
    SendReport report;
    FailureReason reason;                      // why it did not print (the library's or the print server's)
    FailureReason refusal;                     // NotWithdrawn: why the withdrawal failed; StoppedWhilePrinting:
                                               // the library's account of the stop
    printer_status::Conditions conditions = 0; // NotReady: what the printer reports
    bool done() const { return end == CommandEnd::Done; }
};

struct DeliveryHooks
{
    // Sends one command; by default session.send() on this thread.
    std::function<SendReport(const Command &)> send;
    // A job still waits: withdraw it or leave it queued. By default the
    // step's own choice (keepWaitingJobs).
    std::function<WaitingChoice(const PlanStep &, const SendReport &)> waiting;
    // Withdraws the waiting job; by default session.withdrawWaitingJob() on
    // this thread (the thread that sent it).
    std::function<WithdrawReport()> withdraw;
    // Told after every command, however it ended.
    std::function<void(const PlanStep &, const Command &, const CommandOutcome &)> commandEnded;
    // Read just before each step: false leaves it out.
    std::function<bool(const PlanStep &)> wanted;
    // Runs after each step whose every command was done.
    std::function<void(const PlanStep &)> stepDone;
    // Asks the printer how it is after a command it took (with
    // DeliveryOptions::askPrinter); by default session.query() of the status
    // alone on this thread.
    std::function<PrinterReport()> query;
    // Back to back (DeliveryOptions::backToBack): sends one command without
    // following its job; by default session.send(command, false) on this
    // thread.
    std::function<SendReport(const Command &)> sendOnly;
    // Back to back: follows the jobs sent so far (sent of them) together; by
    // default followSentJobs() for up to kJobFollowMs on this thread.
    std::function<SentJobsFollow(int sent)> followSent;
};

struct DeliveryOptions
{
    // Over a serial port the baud rate step goes after every other: the
    // printer may take its new rate at once.
    bool baudRateLast = false;
    // Opens the session's serial port at serialRate before the plan and
    // closes it after (a plan to another path ignores it).
    bool openSerial = false;
    int serialRate = 0;
    // After each command the printer took, ask it how it is where the path
    // carries answers: a printer that reports it cannot print (paper out,
    // cover open, off-line, an error) printed nothing.
    bool askPrinter = false;
    // To a print queue whose library follows several jobs together: every
    // command goes out back to back, in the plan's order, and their jobs are
    // then followed together; each is still reported on its own, in order,
    // and the printer asked once, after the last printed. The wanted hook is
    // read once per step before anything is sent. Other paths ignore it, and
    // so does a library without FollowSentJobs (unless hooks.followSent
    // stands in for it).
    bool backToBack = false;
};

// The question after a send: the status alone, bounded per request.
QueryOptions afterSendQuery();

// A serial port opened around an action.
struct SerialRun
{
    bool serial = false; // the session's path is a serial port: it was opened and closed
    PortCall open, close;
    bool opened() const { return !serial || open.result == 1; }
    bool closeFailed() const { return serial && opened() && close.result == 0; }
};

struct DeliveryResult
{
    int wanted = 0;     // the steps wanted when the run started
    int done = 0;       // the steps whose every command was done
    int stoppedAt = -1; // the index in the plan of the step that stopped the run; -1: none
    int notSent = 0;    // the commands of the plan not sent after the one that stopped it
    int behind = 0;     // back to back: the commands sent after it; what became of their jobs:
    CommandEnd behindEnd = CommandEnd::Withdrawn; // Withdrawn, StoppedWhilePrinting, LeftQueued or NotWithdrawn
    CommandOutcome stop;                          // how the command that stopped it ended
    SerialRun port;                               // with openSerial: the port's open and close

    bool stopped() const { return stoppedAt >= 0; }
    bool ok() const { return port.opened() && !stopped() && !port.closeFailed(); }
};

// The order deliverPlan() sends the steps of plan in, as indexes into it,
// over a serial port (serialPath) or another path.
std::vector<std::size_t> planOrder(const std::vector<PlanStep> &plan, bool serialPath, const DeliveryOptions &options);

// Delivers plan through session. The steps run in the plan's order (the baud
// rate last over a serial port when options ask), each command in turn; a
// command that is not done stops the run.
DeliveryResult deliverPlan(PrinterSession &session, const std::vector<PlanStep> &plan, const DeliveryHooks &hooks = {},
                           const DeliveryOptions &options = {});

// Opens the session's serial port at rate, runs act and closes the port;
// on another path it only runs act. act does not run when the open fails.
SerialRun withSerialOpen(PrinterSession &session, int rate, const std::function<void()> &act);
