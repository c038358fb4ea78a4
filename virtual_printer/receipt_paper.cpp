#include "receipt_paper.h"

#include "bitmap_font.h"

#include <algorithm>

namespace {

QImage blankStrip(int width, int height)
{
    QImage strip(width, height, QImage::Format_Grayscale8);
    strip.fill(255);
    return strip;
}

} // namespace

ReceiptPaper::ReceiptPaper(int widthDots)
    : width_(widthDots)
{
}

int ReceiptPaper::charsPerLine() const
{
    return std::max(1, width_ / receipt_font::kCellWidth);
}

// Paper longer than kMaxPaperDots is not kept until the next cut: a stream of
// endless feeds cannot make the server allocate without bound.
void ReceiptPaper::addText(const QByteArray &text)
{
    for (char c : text) {
        if (full())
            return;
        if (c == '\r')
            continue;
        if (pending_.size() >= charsPerLine())
            endLine();
        pending_.append(c);
        pendingStarted_ = true;
    }
}

void ReceiptPaper::lineFeed(int count)
{
    for (int i = 0; i < count && height_ < kMaxPaperDots; ++i) {
        if (pendingStarted_)
            endLine();
        else
            append(blankStrip(width_, receipt_font::kCellHeight));
    }
}

void ReceiptPaper::addLine(const QByteArray &text)
{
    if (pendingStarted_)
        endLine();
    addText(text);
    endLine();
}

void ReceiptPaper::endLine()
{
    QImage strip = blankStrip(width_, receipt_font::kCellHeight);
    int x = leftFor(int(pending_.size()) * receipt_font::kCellWidth);
    for (char c : pending_) {
        receipt_font::drawChar(strip, x, 0, static_cast<unsigned char>(c));
        x += receipt_font::kCellWidth;
    }
    inked_ = inked_ || !pending_.isEmpty();
    append(strip);
    pending_.clear();
    pendingStarted_ = false;
}

int ReceiptPaper::leftFor(int contentWidth) const
{
    const int room = std::max(0, width_ - contentWidth);
    switch (align_) {
    case Align::Middle:
        return room / 2;
    case Align::Right:
        return room;
    case Align::Left:
        break;
    }
    return 0;
}

void ReceiptPaper::addPicture(const QImage &picture)
{
    if (pendingStarted_)
        endLine();
    if (picture.isNull())
        return;
    if (height_ >= kMaxPaperDots)
        return;
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    QImage strip = blankStrip(width_, std::min(grey.height(), kMaxPaperDots - height_));
    const int left = leftFor(grey.width());
    const int w = std::min(grey.width(), width_ - left);
    for (int y = 0; y < strip.height(); ++y)
        std::copy_n(grey.constScanLine(y), w, strip.scanLine(y) + left);
    inked_ = true;
    append(strip);
}

QImage ReceiptPaper::tearOff()
{
    if (pendingStarted_)
        endLine();
    QImage paper = blankStrip(width_, std::max(height_, 1));
    int y = 0;
    for (const QImage &s : strips_)
        for (int row = 0; row < s.height(); ++row, ++y)
            std::copy_n(s.constScanLine(row), width_, paper.scanLine(y));
    strips_.clear();
    height_ = 0;
    inked_ = false;
    return paper;
}

void ReceiptPaper::append(const QImage &strip)
{
    if (height_ + strip.height() > kMaxPaperDots)
        return;
    height_ += strip.height();
    strips_.push_back(strip);
}
