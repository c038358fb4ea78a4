// The link to one printer, free of widgets: where the bytes go (a print
// queue, a serial port, a printer port), whether the serial port is open and
// at which rate, what the library lacks for each action, the sends with
// their job followed to the printer, the withdrawal of a job still waiting,
// and the printer query (a plan of several commands goes through
// delivery_path.h). Blocking and
// thread-agnostic: the windows run each call on their worker thread, the
// tool on its own threads. The library keeps the last job per thread, so a
// send, its following and its withdrawal run on one thread.
#pragma once

#include "command.h"
#include "dravik_binding.h"
#include "job_follow.h"
#include "printer_query.h"
#include "send_path.h"

// What is asked of the library, for the question of which export it lacks.
enum class SessionAction {
    Send,     // SendBufferToPrint
    Open,     // OpenComm
    Close,    // CloseComm
    Query,    // QueryPrinter
    Follow,   // FollowLastJob and CancelLastJob
    Withdraw, // CancelLastJob
};

// How a send ended.
struct SendReport
{
    SendStatus status = SendStatus::NoLibrary;
    bool sent = false; // the library took all the bytes, and a followed job did not fail
    JobFate job = JobFate::NotFollowed;
    bool withdrawn = false; // with JobFate::Waiting: the job was withdrawn, else it stays queued
    FailureReason reason;   // why the send or the job failed, or why the job waits
    std::size_t length = 0;

    // The library was called (nothing is called without the library or the export).
    bool called() const { return status == SendStatus::Sent || status == SendStatus::Failed; }
    // The printer took the bytes (or the path gives no more to know).
    bool done() const { return sent && job != JobFate::Waiting; }
};

// What became of a waiting job asked to be withdrawn.
enum class Withdrawal {
    Withdrawn,            // nothing of it printed
    PrintedMeanwhile,     // the withdrawal failed because the printer took it in the meantime
    NotWithdrawn,         // it may still print later
    StoppedWhilePrinting, // the print server was handing it to the printer: stopped, but the printer
                          // may have received part or all of it
};

struct WithdrawReport
{
    Withdrawal result = Withdrawal::NotWithdrawn;
    FailureReason refusal; // why CancelLastJob failed (code -1 and no text when the library lacks it);
                           // with StoppedWhilePrinting, the library's account of it
    FailureReason recheck; // what the second look at the job said, when it did not print
};

// The result of an OpenComm or CloseComm.
struct PortCall
{
    int result = 0;       // OpenComm: 1 opened, 0 failed, -1 missing or held; CloseComm: 0 failed
    FailureReason reason; // when it failed
};

class PrinterSession
{
public:
    explicit PrinterSession(const DravikBinding &lib)
        : lib_(lib)
    {
    }

    const DravikBinding &library() const { return lib_; }

    // Chooses where the bytes go: the access path and the device within it.
    // The device named here is what sends carry, also over a serial port
    // opened under another name since (a library with one serial handle
    // writes through the open port whatever it is told).
    void choose(PathKind kind, const QString &name);
    // Forgets an open serial port without closing it (the lists were read
    // anew).
    void forgetOpenPort();
    // Takes another session's target as it stands (a window of its own with
    // its own binding): a serial port with its rate counts as open here.
    void adopt(const PrinterTarget &target);

    PathKind kind() const { return kind_; }
    bool isQueue() const { return kind_ == PathKind::Queue; }
    bool isSerial() const { return kind_ == PathKind::Serial; }
    bool portOpen() const { return portOpen_; }
    // The target of sends: the chosen path and device, with the open serial
    // port's rate.
    PrinterTarget target() const;
    // Where the printer is actually reached, for questions and for what the
    // user reads: the port that was opened, and its rate, while one is open;
    // otherwise target().
    PrinterTarget linkTarget() const;
    // A print queue or printer port is always ready; a serial port once open.
    bool ready() const;

    // The export the library lacks for action, or null when it has them all
    // (a library that is not loaded lacks nothing in particular: check
    // library().isLoaded() as well).
    const char *missingExport(SessionAction action) const;
    // The library is loaded and has what action needs.
    bool can(SessionAction action) const { return lib_.isLoaded() && !missingExport(action); }

    // Opens port at baudRate; it becomes the link while open.
    PortCall open(const QString &port, int baudRate);
    // Asks the library to close port, passed as given; a close that succeeds
    // ends the open port, whatever name it carried.
    PortCall close(const QString &port);
    // Closes the port that was opened (the chosen one when none is).
    PortCall close() { return close(linkTarget().printerName); }

    // Sends command. When follow is on, a print-queue job is followed for up
    // to followMs where the library can follow it.
    SendReport send(const Command &command, bool follow = true, int followMs = kJobFollowMs) const;
    // Withdraws the job this thread sent last. When the withdrawal fails it
    // looks once more: a job the printer took meanwhile counts as printed. A
    // job stopped while it was being handed to the printer is never called
    // withdrawn.
    WithdrawReport withdrawWaitingJob() const;

    // Asks the printer at linkTarget() how it is (a serial port must be open).
    PrinterReport query(const QueryOptions &options = {}) const;

private:
    const DravikBinding &lib_;
    PathKind kind_ = PathKind::None;
    QString name_;
    bool portOpen_ = false;
    QString openedPort_;
    int openedRate_ = 0;
};
