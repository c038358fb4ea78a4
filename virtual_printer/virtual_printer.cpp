#include "virtual_printer.h"

#include "printer_pages.h"
#include "receipt_pictures.h"

using decoder::Kind;

namespace {

// The old instruction set switches the buzzer as a whole: on sounds it at
// every one of the four events.
constexpr int kBuzzerAllEvents = 0x0F;

ReceiptPaper::Align alignFrom(long value)
{
    switch (value) {
    case 1:
    case '1':
        return ReceiptPaper::Align::Middle;
    case 2:
    case '2':
        return ReceiptPaper::Align::Right;
    default:
        return ReceiptPaper::Align::Left;
    }
}

bool draws(Kind kind)
{
    switch (kind) {
    case Kind::Text:
    case Kind::LineFeed:
    case Kind::FunctionList:
    case Kind::CodePageList:
    case Kind::QrPrint:
    case Kind::LogoPrint:
        return true;
    default:
        return false;
    }
}

} // namespace

VirtualPrinter::VirtualPrinter(int paperWidthDots)
    : paper_(paperWidthDots)
{
}

void VirtualPrinter::restore(const PrinterState &kept)
{
    PrinterState s = kept;
    s.cuts = state_.cuts;
    s.drawerPulses = state_.drawerPulses;
    s.unknownBytes = state_.unknownBytes;
    state_ = s;
    logoCache_.clear();
    qrCache_ = QImage();
}

QString VirtualPrinter::whyNotDrawn()
{
    auto once = [](bool &said, const QString &why) {
        const bool first = !said;
        said = true;
        return first ? why : QStringLiteral("-");
    };
    if (maxReceipts_ > 0 && receiptsDrawn_ >= maxReceipts_)
        return once(receiptsCapSaid_, QStringLiteral("%1 receipts drawn: further receipts are counted, not drawn "
                                                     "(--max-receipts)")
                                          .arg(maxReceipts_));
    if (jobDots_ + paper_.heightDots() >= kMaxJobDots)
        return once(jobFullSaid_, QStringLiteral("this job has drawn %1 m of paper: the rest of it is counted, "
                                                 "not drawn")
                                      .arg(kMaxJobDots / 8000));
    if (paper_.full())
        return once(paperFullSaid_, QStringLiteral("the receipt is at its longest (%1 m): nothing more is drawn "
                                                   "on it until the next cut")
                                        .arg(ReceiptPaper::kMaxPaperDots / 8000.0));
    return {};
}

const QImage &VirtualPrinter::logo(std::size_t index, long mode)
{
    const auto key = std::make_pair(index, mode);
    auto found = logoCache_.find(key);
    if (found == logoCache_.end())
        found = logoCache_.emplace(key, logoPicture(state_.logos[index], mode)).first;
    return found->second;
}

const QImage &VirtualPrinter::qr()
{
    if (qrCacheText_ != state_.qrText || qrCache_.isNull()) {
        qrCache_ = qrPicture(state_.qrText, paper_.widthDots());
        qrCacheText_ = state_.qrText;
    }
    return qrCache_;
}

QString VirtualPrinter::apply(const decoder::Decoded &c)
{
    PrinterState &s = state_;
    if (draws(c.kind)) {
        const QString why = whyNotDrawn();
        if (!why.isEmpty())
            return why == QLatin1String("-") ? QString() : why;
    }
    switch (c.kind) {
    case Kind::Unknown:
        s.unknownBytes += qint64(c.length);
        break;
    case Kind::Text:
        paper_.addText(c.payload);
        break;
    case Kind::LineFeed:
        paper_.lineFeed(int(qBound(0L, c.value, 10000L)));
        break;
    case Kind::Initialize:
        paper_.setAlign(ReceiptPaper::Align::Left);
        break;
    case Kind::CodePage:
        s.codePage = int(c.value);
        break;
    case Kind::BaudRate:
        s.baudRate = c.value;
        break;
    case Kind::Darkness:
        s.darkness = int(c.value);
        break;
    case Kind::Barcode:
        s.barcode = c.value != 0;
        break;
    case Kind::BlackMark:
        s.blackMark = c.value != 0;
        break;
    case Kind::Buzzer:
        s.buzzer = int(c.value & 0x0F);
        break;
    case Kind::BuzzerSwitch:
        s.buzzer = c.value ? kBuzzerAllEvents : 0;
        break;
    case Kind::Cutter:
        s.cutter = c.value != 0;
        break;
    case Kind::CutMode:
        s.cutFullAndHalf = c.value != 0;
        break;
    case Kind::CutFeed:
        // Zero hands the feed before a cut to the cut command; any distance
        // lets the printer's own drive feed it.
        s.cutFeedDistance = c.value;
        s.cutFeedDrive = c.value != 0;
        break;
    case Kind::AutoCutFeed:
        s.autoCutFeedDistance = c.value;
        break;
    case Kind::FactoryReset:
        s = factoryReset(s);
        break;
    case Kind::FunctionList:
        for (const QByteArray &line : functionListLines(s))
            paper_.addLine(line);
        break;
    case Kind::CodePageList:
        for (const QByteArray &line : codePageListLines(s))
            paper_.addLine(line);
        break;
    case Kind::FullCut:
    case Kind::HalfCut:
        cut();
        break;
    case Kind::CashDrawer:
        ++s.drawerPulses;
        break;
    case Kind::StatusRequest:
    case Kind::IdRequest:
    case Kind::PaperSensorRequest:
        break; // requests for an answer change nothing on paper or in the state

    case Kind::Align:
        paper_.setAlign(alignFrom(c.value));
        break;
    case Kind::QrStore:
        s.qrText = c.payload;
        break;
    case Kind::QrPrint: {
        if (s.qrText.isEmpty())
            return QStringLiteral("no QR text stored: nothing printed");
        const QImage &symbol = qr();
        if (symbol.isNull())
            return QStringLiteral("the stored QR text does not fit a QR symbol: nothing printed");
        paper_.addPicture(symbol);
        break;
    }
    case Kind::LogoDownload:
        s.logos = c.logos;
        logoCache_.clear();
        break;
    case Kind::LogoClear:
        s.logos.clear();
        logoCache_.clear();
        break;
    case Kind::LogoPrint: {
        if (c.value < 1 || std::size_t(c.value) > s.logos.size())
            return QStringLiteral("no logo %1 stored: nothing printed").arg(c.value);
        paper_.addPicture(logo(std::size_t(c.value - 1), c.value2));
        break;
    }
    }
    return {};
}

void VirtualPrinter::cut()
{
    ++state_.cuts;
    // Blank paper cut off is no receipt.
    const bool inked = paper_.hasInk();
    jobDots_ += paper_.heightDots();
    QImage receipt = paper_.tearOff();
    paperFullSaid_ = false;
    if (inked) {
        ++receiptsDrawn_;
        receipts_.push_back(std::move(receipt));
    }
}

void VirtualPrinter::endJob()
{
    // Paper only fed stays in the printer: it starts the next receipt.
    if (paper_.hasInk()) {
        ++receiptsDrawn_;
        receipts_.push_back(paper_.tearOff());
    }
    paperFullSaid_ = false;
    jobFullSaid_ = false;
    jobDots_ = 0;
}

std::vector<QImage> VirtualPrinter::takeReceipts()
{
    std::vector<QImage> out;
    out.swap(receipts_);
    return out;
}
