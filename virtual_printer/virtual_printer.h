// The virtual printer: applies decoded commands to its state and its paper,
// and hands out a receipt picture at every cut.
#pragma once

#include "command_decoder.h"
#include "printer_state.h"
#include "receipt_paper.h"
#include "status_answer_bytes.h"

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

    // The answer a printer sends back to a request among the commands (a
    // status, identity or paper sensor request); empty for any other.
    QByteArray answer(const decoder::Decoded &command) const;
    void setIdentity(const PrinterIdentity &identity) { identity_ = identity; }
    const PrinterIdentity &identity() const { return identity_; }
    // The paper, the cover and the on-line switch. While any keeps the
    // printer from printing, nothing is drawn or cut (said once a job).
    void setConditions(PaperLevel paper, bool coverOpen, bool online);

    const PrinterState &state() const { return state_; }
    // Settings and flash as kept from an earlier run (counters stay).
    void restore(const PrinterState &kept);

    // The rate its serial port runs at. A baud-rate command (or a factory
    // reset) changes it once the page the command prints is out, or at the
    // end of the job when no page follows: bytes sent with the command at
    // the old rate are still read at it.
    long portRate() const { return portRate_; }
    // The port runs at rate from now on, and the setting says so.
    void setPortRate(long rate);
    // The receipts finished since the last call, oldest first.
    std::vector<QImage> takeReceipts();

private:
    void cut();
    // Empty when the paper takes more; else why not, said once per cause
    // (the first time only: later calls give "-").
    QString whyNotDrawn();
    // The same for a printer that cannot print at all (paper out, cover
    // open, off-line).
    QString whyNotPrinted();
    void takePendingPortRate();
    const QImage &logo(std::size_t index, long mode);
    const QImage &qr();

    PrinterState state_;
    long portRate_ = PrinterState().baudRate;
    long pendingPortRate_ = 0; // 0: no change waiting
    PrinterIdentity identity_;
    bool notReadySaid_ = false;
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
