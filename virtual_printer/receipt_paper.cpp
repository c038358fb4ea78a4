#include "receipt_paper.h"

#include "bitmap_font.h"

#include <algorithm>

namespace {

void setDot(std::uint8_t *row, int x)
{
    row[x >> 3] |= std::uint8_t(0x80u >> (x & 7));
}

} // namespace

ReceiptPaper::ReceiptPaper(int widthDots)
    : width_(widthDots)
    , rowBytes_((widthDots + 7) / 8)
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
    for (int i = 0; i < count; ++i) {
        if (pendingStarted_)
            endLine();
        else if (!addRows(receipt_font::kCellHeight))
            return; // the paper is at its longest
    }
}

void ReceiptPaper::addLine(const QByteArray &text)
{
    if (pendingStarted_)
        endLine();
    addText(text);
    endLine();
}

std::uint8_t *ReceiptPaper::addRows(int count)
{
    if (count <= 0 || height_ + count > kMaxPaperDots)
        return nullptr;
    const std::size_t at = dots_.size();
    dots_.resize(at + std::size_t(count) * std::size_t(rowBytes_), 0);
    height_ += count;
    return dots_.data() + at;
}

void ReceiptPaper::endLine()
{
    std::uint8_t *rows = addRows(receipt_font::kCellHeight);
    if (rows) {
        int x = leftFor(int(pending_.size()) * receipt_font::kCellWidth);
        for (char c : pending_) {
            const receipt_font::Cell &cell = receipt_font::cell(static_cast<unsigned char>(c));
            for (int y = 0; y < receipt_font::kCellHeight; ++y) {
                std::uint8_t *row = rows + std::size_t(y) * std::size_t(rowBytes_);
                for (int dx = 0; dx < receipt_font::kCellWidth; ++dx)
                    if (cell[std::size_t(y)] & (1u << (receipt_font::kCellWidth - 1 - dx)) && x + dx >= 0 &&
                        x + dx < width_)
                        setDot(row, x + dx);
            }
            x += receipt_font::kCellWidth;
        }
        inked_ = inked_ || !pending_.isEmpty();
    }
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
    if (picture.isNull() || height_ >= kMaxPaperDots)
        return;
    const int height = std::min(picture.height(), kMaxPaperDots - height_);
    const int left = leftFor(picture.width());
    const int width = std::min(picture.width(), width_ - left);
    std::uint8_t *rows = addRows(height);
    if (!rows || width <= 0)
        return;
    // A black-and-white picture of colour 0 white (as the printer's own are)
    // is read a bit at a time; any other a pixel at a time.
    const bool bits = picture.format() == QImage::Format_Mono && picture.colorCount() == 2 &&
                      qGray(picture.color(0)) >= 128 && qGray(picture.color(1)) < 128;
    const QImage grey = bits ? QImage() : picture.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        std::uint8_t *row = rows + std::size_t(y) * std::size_t(rowBytes_);
        if (bits) {
            const uchar *from = picture.constScanLine(y);
            for (int x = 0; x < width; ++x)
                if (from[x >> 3] & (0x80u >> (x & 7)))
                    setDot(row, left + x);
        } else {
            const uchar *from = grey.constScanLine(y);
            for (int x = 0; x < width; ++x)
                if (from[x] < 128)
                    setDot(row, left + x);
        }
    }
    inked_ = true;
}

QImage ReceiptPaper::tearOff()
{
    if (pendingStarted_)
        endLine();
    QImage paper(width_, std::max(height_, 1), QImage::Format_Mono);
    paper.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    paper.fill(0);
    for (int y = 0; y < height_; ++y)
        std::copy_n(dots_.data() + std::size_t(y) * std::size_t(rowBytes_), rowBytes_, paper.scanLine(y));
    clear();
    return paper;
}

void ReceiptPaper::clear()
{
    pending_.clear();
    pendingStarted_ = false;
    dots_.clear();
    height_ = 0;
    inked_ = false;
}
