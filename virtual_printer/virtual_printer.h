// The virtual printer: applies decoded commands to its state and its paper,
// and hands out a receipt picture at every cut.
#pragma once

#include "command_decoder.h"
#include "printer_state.h"
#include "receipt_paper.h"

#include <QImage>

#include <map>
#include <utility>
#include <vector>

class VirtualPrinter
{
public:
    explicit VirtualPrinter(int paperWidthDots);

    // At most this many receipts are drawn while the printer runs; later
    // cuts are counted only. 0: no limit.
    void setMaxReceipts(long count) { maxReceipts_ = count; }
    static constexpr long kDefaultMaxReceipts = 1000;
    // Paper one job may draw on, all its receipts together (75 m).
    static constexpr long long kMaxJobDots = 10LL * ReceiptPaper::kMaxPaperDots;

    // Applies one command. Returns a note for the log when the command could
    // not do what it asks (e.g. "no logo 3 stored"), else an empty text.
    QString apply(const decoder::Decoded &command);
    // The end of a job (a connection closed, a port went quiet): what was
    // printed and not yet cut becomes a receipt of its own. Receipts hold
    // ink: blank paper makes none.
    void endJob();

    const PrinterState &state() const { return state_; }
    // Settings and flash as kept from an earlier run (counters stay).
    void restore(const PrinterState &kept);
    // The receipts finished since the last call, oldest first.
    std::vector<QImage> takeReceipts();

private:
    void cut();
    // Empty when the paper takes more; else why not, said once per cause
    // (the first time only: later calls give "-").
    QString whyNotDrawn();
    const QImage &logo(std::size_t index, long mode);
    const QImage &qr();

    PrinterState state_;
    ReceiptPaper paper_;
    std::vector<QImage> receipts_;
    long maxReceipts_ = kDefaultMaxReceipts;
    long receiptsDrawn_ = 0;
    long long jobDots_ = 0; // torn off in this job
    bool paperFullSaid_ = false;
    bool jobFullSaid_ = false;
    bool receiptsCapSaid_ = false;
    // Each stored picture is drawn once: (slot, size mode) -> dots.
    std::map<std::pair<std::size_t, long>, QImage> logoCache_;
    QImage qrCache_;
    QByteArray qrCacheText_;
};
