// Joins the listeners to the printer: every command a listener decodes is
// applied, shown on the terminal and logged; state.json is rewritten after
// each command that changed it; finished receipts are saved as pictures.
#pragma once

#include "command_decoder.h"
#include "output_writer.h"
#include "virtual_printer.h"

#include <QElapsedTimer>
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

    // Applies the commands; returns what the printer answers to the requests
    // among them, to be sent back on the same connection.
    QByteArray receive(const QString &source, const std::vector<decoder::Decoded> &commands);
    void endJob(const QString &source);
    // A line of its own on the terminal and in the log (connections, errors).
    void note(const QString &source, const QString &text);

    const VirtualPrinter &printer() const { return printer_; }
    void setMaxReceipts(long count) { printer_.setMaxReceipts(count); }
    void setIdentity(const PrinterIdentity &identity) { printer_.setIdentity(identity); }
    // New paper, cover and on-line conditions, logged and written to
    // state.json at once.
    void setConditions(PaperLevel paper, bool coverOpen, bool online);
    // Settings and logos from printer.json of the folder, as a printer keeps
    // its flash; a damaged file is set aside and said. factory: the file is
    // not read, the printer starts as from the factory.
    void readBackFlash(bool factory);

private:
    void saveReceipts(const QString &source);
    // state.json follows the state at most kStateEveryMs apart (a stream of
    // cuts would otherwise rename a file per command), and at once at the
    // end of a job.
    void writeState(bool now = false);
    static constexpr int kStateEveryMs = 100;
    // A line on the terminal and in the log; a log that cannot be written is
    // said once on the terminal, and again when it works again.
    void emitLine(const QString &line);
    // Text and line feeds in a row are logged as one line, when something
    // else comes or the job ends.
    void addToTextRun(const QString &source, const decoder::Decoded &command);
    void endTextRun();

    VirtualPrinter printer_;
    OutputWriter &out_;
    std::FILE *terminal_;
    bool stateFailing_ = false;
    bool logFailing_ = false;
    long receiptsLost_ = 0; // in the current failing spell
    struct TextRun
    {
        QString source;
        qint64 bytes = 0;
        qint64 lineFeeds = 0;
        QByteArray start; // the first characters, for the log
        bool cut = false; // more text than start holds
    } run_;
    QByteArray writtenState_; // what state.json holds now
    QByteArray writtenFlash_; // what printer.json holds now
    bool flashFailing_ = false;
    bool flashRead_ = false; // printer.json is written once it was read back
    QElapsedTimer sinceState_;
    QTimer stateLater_;
};
