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

} // namespace

VirtualPrinter::VirtualPrinter(int paperWidthDots)
    : paper_(paperWidthDots)
{
}

QString VirtualPrinter::apply(const decoder::Decoded &c)
{
    PrinterState &s = state_;
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
    case Kind::Align:
        paper_.setAlign(alignFrom(c.value));
        break;
    case Kind::QrStore:
        s.qrText = c.payload;
        break;
    case Kind::QrPrint: {
        if (s.qrText.isEmpty())
            return QStringLiteral("no QR text stored: nothing printed");
        const QImage qr = qrPicture(s.qrText, paper_.widthDots());
        if (qr.isNull())
            return QStringLiteral("the stored QR text does not fit a QR symbol: nothing printed");
        paper_.addPicture(qr);
        break;
    }
    case Kind::LogoDownload:
        s.logos = c.logos;
        break;
    case Kind::LogoClear:
        s.logos.clear();
        break;
    case Kind::LogoPrint: {
        if (c.value < 1 || std::size_t(c.value) > s.logos.size())
            return QStringLiteral("no logo %1 stored: nothing printed").arg(c.value);
        paper_.addPicture(logoPicture(s.logos[std::size_t(c.value - 1)], c.value2));
        break;
    }
    }
    return {};
}

void VirtualPrinter::cut()
{
    ++state_.cuts;
    // Blank paper cut off is no receipt.
    if (paper_.hasInk())
        receipts_.push_back(paper_.tearOff());
    else
        paper_.tearOff();
}

void VirtualPrinter::endJob()
{
    // Paper only fed stays in the printer: it starts the next receipt.
    if (paper_.hasInk())
        receipts_.push_back(paper_.tearOff());
}

std::vector<QImage> VirtualPrinter::takeReceipts()
{
    std::vector<QImage> out;
    out.swap(receipts_);
    return out;
}
