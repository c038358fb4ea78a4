// Joins the listeners to the printer: every command a listener decodes is
// applied, logged and shown on the terminal (LogLines sums up what comes
// thick); state.json is rewritten after each command that changed it;
// finished receipts are saved as pictures.
//
// The log and the terminal are written a moment after their lines come (at
// most kFlushMs later), at once when a job ends or a note is made, and when
// the session ends: many lines go out in one write.
#pragma once

#include "command_decoder.h"
#include "log_lines.h"
#include "output_writer.h"
#include "receipt_saver.h"
#include "virtual_printer.h"

#include <QString>
#include <QTimer>

#include <cstdio>
#include <vector>

class PrintSession
{
public:
    // terminal may be null (no echo).
    PrintSession(int paperWidthDots, OutputWriter &out, std::FILE *terminal);
    ~PrintSession();

    // Applies one command; returns what the printer answers to it (a status
    // or identity request), to be sent back on the same connection.
    QByteArray apply(const QString &source, const decoder::Decoded &command);
    // The same for several, the answers one after another.
    QByteArray receive(const QString &source, const std::vector<decoder::Decoded> &commands);
    void endJob(const QString &source);
    // Receipts are saved on a thread of their own: then() runs once those
    // printed so far are saved (at once when none waits).
    void whenReceiptsSaved(std::function<void()> then) { saver_.whenSaved(std::move(then)); }
    // Waits until the receipts printed so far are saved.
    void saveWaitingReceipts() { saver_.drain(); }
    // The receipts wait to be saved: a job pauses until there is room.
    bool savingBehind() const { return saver_.full(); }
    // The lines of a source that never became a job (a waiting connection
    // closed or refused) end: what they held back is said.
    void endLog(const QString &source) { lines_.endJob(source); }
    // A line of its own on the terminal and in the log (connections, errors).
    void note(const QString &source, const QString &text);
    // Writes out the lines waiting for the log and the terminal.
    void flushLog();

    const VirtualPrinter &printer() const { return printer_; }
    void setMaxReceipts(long count) { printer_.setMaxReceipts(count); }
    void setIdentity(const PrinterIdentity &identity) { printer_.setIdentity(identity); }
    // New paper, cover and on-line conditions, logged and written to
    // state.json at once.
    void setConditions(PaperLevel paper, bool coverOpen, bool online);
    // Settings and logos from printer.json of the folder, as a printer keeps
    // its flash; a damaged file (or one holding more than a printer keeps)
    // is set aside and said. factory: the file is not read, the printer
    // starts as from the factory.
    void readBackFlash(bool factory);
    // Its serial port runs at rate (the rate --baud gives): the setting
    // follows, said when it differed.
    void setPortRate(long rate);

    static constexpr int kFlushMs = 50;

private:
    void saveReceipts(const QString &source);
    void receiptSaved(const ReceiptSaver::Outcome &outcome);
    // state.json follows the state at most kStateEveryMs apart (a stream of
    // cuts would otherwise rename a file per command), and at once at the
    // end of a job.
    void writeState(bool now = false);
    static constexpr int kStateEveryMs = 100;
    // A finished line: kept for the log and the terminal.
    void emitLine(const QString &line);
    void sayPortRate(const QString &source);

    VirtualPrinter printer_;
    OutputWriter &out_;
    std::FILE *terminal_;
    LogLines lines_;
    QByteArray shown_; // lines for the terminal, not yet written
    QTimer flushLater_;
    QTimer tick_;
    bool stateFailing_ = false;
    bool logFailing_ = false;
    long receiptsLost_ = 0;   // in the current failing spell
    QByteArray writtenState_; // what state.json holds now
    QByteArray writtenFlash_; // what printer.json holds now
    bool flashChanged_ = false;
    bool flashFailing_ = false;
    bool flashRead_ = false; // printer.json is written once it was read back
    long portRateSaid_ = 0;
    ReceiptSaver saver_;
    bool stateDirty_ = false; // changed since state.json was last written
    QTimer stateLater_;
};
