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

    VirtualPrinter printer_;
    OutputWriter &out_;
    std::FILE *terminal_;
    bool stateFailing_ = false;
    QByteArray writtenState_; // what state.json holds now
};
