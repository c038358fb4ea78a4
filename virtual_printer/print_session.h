// Joins the listeners to the printer: every command a listener decodes is
// applied, shown on the terminal and logged; state.json is rewritten after
// each command that changed it; finished receipts are saved as pictures.
#pragma once

#include "command_decoder.h"
#include "output_writer.h"
#include "virtual_printer.h"

#include <QString>

#include <cstdio>
#include <vector>

class PrintSession
{
public:
    // terminal may be null (no echo).
    PrintSession(int paperWidthDots, OutputWriter &out, std::FILE *terminal);

    void receive(const QString &source, const std::vector<decoder::Decoded> &commands);
    void endJob(const QString &source);
    // A line of its own on the terminal and in the log (connections, errors).
    void note(const QString &source, const QString &text);

    const VirtualPrinter &printer() const { return printer_; }

private:
    void saveReceipts(const QString &source);
    void writeState();
    // A line on the terminal and in the log; a log that cannot be written is
    // said once on the terminal, and again when it works again.
    void emitLine(const QString &line);


    VirtualPrinter printer_;
    OutputWriter &out_;
    std::FILE *terminal_;
    bool stateFailing_ = false;
    bool logFailing_ = false;
    long receiptsLost_ = 0; // in the current failing spell
    QByteArray writtenState_; // what state.json holds now
};
