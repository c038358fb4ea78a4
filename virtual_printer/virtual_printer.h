// The virtual printer: applies decoded commands to its state and its paper,
// and hands out a receipt picture at every cut.
#pragma once

#include "command_decoder.h"
#include "printer_state.h"
#include "receipt_paper.h"

#include <QImage>

#include <vector>

class VirtualPrinter
{
public:
    explicit VirtualPrinter(int paperWidthDots);

    // Applies one command. Returns a note for the log when the command could
    // not do what it asks (e.g. "no logo 3 stored"), else an empty text.
    QString apply(const decoder::Decoded &command);
    // The end of a job (a connection closed, a port went quiet): what was
    // printed and not yet cut becomes a receipt of its own. Receipts hold
    // ink: blank paper makes none.
    void endJob();

    const PrinterState &state() const { return state_; }
    // The receipts finished since the last call, oldest first.
    std::vector<QImage> takeReceipts();

private:
    void cut();

    PrinterState state_;
    ReceiptPaper paper_;
    std::vector<QImage> receipts_;
};
