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
    s.paper = state_.paper;
    s.coverOpen = state_.coverOpen;
    s.online = state_.online;
    state_ = s;
    portRate_ = s.baudRate;
    pendingPortRate_ = 0;
    logoCache_.clear();
    qrCache_ = QImage();
}

QByteArray VirtualPrinter::answer(const decoder::Decoded &command) const
{
    return answerTo(command, conditionsOf(state_), identity_);
}

void VirtualPrinter::setConditions(PaperLevel paper, bool coverOpen, bool online)
{
    state_.paper = paper;
    state_.coverOpen = coverOpen;
    state_.online = online;
    notReadySaid_ = false;
}

namespace {

// The reason the first time (made only then); "-" after that.
template <typename Why>
QString once(bool &said, Why why)
{
    const bool first = !said;
    said = true;
    return first ? why() : QStringLiteral("-");
}

} // namespace

QString VirtualPrinter::whyNotPrinted()
{
    if (state_.paper == PaperLevel::Out)
        return once(notReadySaid_, [] {
            return QStringLiteral("the paper is out: nothing is printed until it is loaded (type \"paper ok\" to the "
                                  "server)");
        });
    if (state_.coverOpen)
        return once(notReadySaid_, [] {
            return QStringLiteral("the cover is open: nothing is printed until it is closed (type \"cover closed\" to "
                                  "the server)");
        });
    if (!state_.online)
        return once(notReadySaid_, [] {
            return QStringLiteral("the printer is off-line: nothing is printed until it is on-line (type \"online\" "
                                  "to the server)");
        });
    return {};
}

QString VirtualPrinter::whyNotDrawn()
{
    if (maxReceipts_ > 0 && receiptsDrawn_ >= maxReceipts_)
        return once(receiptsCapSaid_, [this] {
            return QStringLiteral("%1 receipts drawn: further receipts are counted, not drawn (--max-receipts)")
                .arg(maxReceipts_);
        });
    if (jobDots_ + paper_.heightDots() >= kMaxJobDots)
        return once(jobFullSaid_, [] {
            return QStringLiteral("this job has drawn %1 m of paper: the rest of it is counted, not drawn")
                .arg(kMaxJobDots / 8000);
        });
    if (paper_.full())
        return once(paperFullSaid_, [] {
            return QStringLiteral("the receipt is at its longest (%1 m): nothing more is drawn on it until the next "
                                  "cut")
                .arg(ReceiptPaper::kMaxPaperDots / 8000.0);
        });
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
    const bool cuts = c.kind == Kind::FullCut || c.kind == Kind::HalfCut;
    if (draws(c.kind) || cuts) {
        QString why = whyNotPrinted();
        if (why.isEmpty() && !cuts)
            why = whyNotDrawn();
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
        if (c.value < printer_limits::kMinBaudRate || c.value > printer_limits::kMaxBaudRate)
            return QStringLiteral("%1 baud is no rate the printer takes: ignored").arg(c.value);
        s.baudRate = c.value;
        // The port keeps its rate until the page this command prints is out.
        pendingPortRate_ = c.value;
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
        pendingPortRate_ = s.baudRate;
        break;
    case Kind::FunctionList:
        for (const QByteArray &line : functionListLines(s))
            paper_.addLine(line);
        takePendingPortRate();
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
    case Kind::LogoDownload: {
        const QString problem = printer_limits::logoProblem(c.logos);
        if (!problem.isEmpty())
            return problem + QStringLiteral(": nothing stored");
        s.logos = c.logos;
        logoCache_.clear();
        break;
    }
    case Kind::LogoClear:
        s.logos.clear();
        logoCache_.clear();
        break;
    case Kind::StatusRequest:
    case Kind::IdRequest:
    case Kind::PaperSensorRequest:
        break; // answered, see answer()
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
    paperFullSaid_ = false;
    if (inked) {
        ++receiptsDrawn_;
        receipts_.push_back(paper_.tearOff());
    } else {
        paper_.clear();
    }
}

void VirtualPrinter::takePendingPortRate()
{
    if (pendingPortRate_ > 0)
        portRate_ = pendingPortRate_;
    pendingPortRate_ = 0;
}

void VirtualPrinter::setPortRate(long rate)
{
    state_.baudRate = rate;
    portRate_ = rate;
    pendingPortRate_ = 0;
}

void VirtualPrinter::endJob()
{
    takePendingPortRate();
    // Paper only fed stays in the printer: it starts the next receipt.
    if (paper_.hasInk()) {
        ++receiptsDrawn_;
        receipts_.push_back(paper_.tearOff());
    }
    paperFullSaid_ = false;
    jobFullSaid_ = false;
    notReadySaid_ = false;
    jobDots_ = 0;
}

std::vector<QImage> VirtualPrinter::takeReceipts()
{
    std::vector<QImage> out;
    out.swap(receipts_);
    return out;
}
