#include "receipt_paper.h"

#include "bitmap_font.h"
#include "blank_pages.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

void setDot(std::uint8_t *row, int x)
{
    row[x >> 3] |= std::uint8_t(0x80u >> (x & 7));
}

// Rows of whole 32-bit words, as a black-and-white QImage lays them out, so
// that the paper becomes the picture without a copy.
int rowBytesFor(int widthDots)
{
    return (widthDots + 31) / 32 * 4;
}

// One cell row's dots (bit 11 the leftmost) put on a row at dot x, three
// bytes at a time; dots at or past the paper's width are left off.
void orCellRow(std::uint8_t *row, int rowBytes, int x, int widthDots, unsigned bits)
{
    const int past = x + receipt_font::kCellWidth - widthDots;
    if (past > 0)
        bits &= 0xFFFu << past;
    const unsigned placed = bits << (12 - (x & 7));
    const int at = x >> 3;
    row[at] |= std::uint8_t(placed >> 16);
    if (at + 1 < rowBytes)
        row[at + 1] |= std::uint8_t(placed >> 8);
    if (at + 2 < rowBytes)
        row[at + 2] |= std::uint8_t(placed);
}

// How each row of the cell is drawn, the same for every character: the
// font's dots are several rows high, so most rows repeat the one above and
// are copied, and rows blank in every character are left as they are.
enum class CellRow {
    Draw,
    CopyAbove,
    Blank
};

const std::array<CellRow, receipt_font::kCellHeight> &cellRows()
{
    static const auto rows = [] {
        std::array<CellRow, receipt_font::kCellHeight> how{};
        for (std::size_t y = 0; y < how.size(); ++y) {
            bool blank = true, same = y > 0;
            for (int c = 0; c < 256; ++c) {
                const receipt_font::Cell &cell = receipt_font::cell(static_cast<unsigned char>(c));
                blank = blank && cell[y] == 0;
                same = same && cell[y] == cell[y - 1];
            }
            how[y] = blank ? CellRow::Blank : same ? CellRow::CopyAbove : CellRow::Draw;
        }
        return how;
    }();
    return rows;
}

} // namespace

ReceiptPaper::ReceiptPaper(int widthDots)
    : width_(widthDots)
    , rowBytes_(rowBytesFor(widthDots))
{
}

ReceiptPaper::~ReceiptPaper() = default;

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
    // Room for the longest paper at once, blank: the paper never moves as
    // it grows, and a blank row costs nothing.
    if (!dots_ && !(dots_ = BlankPages::make(std::size_t(kMaxPaperDots) * std::size_t(rowBytes_))))
        return nullptr;
    std::uint8_t *rows = dots_->data() + std::size_t(height_) * std::size_t(rowBytes_);
    height_ += count;
    return rows; // blank already
}

void ReceiptPaper::endLine()
{
    std::uint8_t *rows = addRows(receipt_font::kCellHeight);
    if (rows) {
        const int left = leftFor(int(pending_.size()) * receipt_font::kCellWidth);
        const std::size_t rowBytes = std::size_t(rowBytes_);
        for (int y = 0; y < receipt_font::kCellHeight; ++y) {
            std::uint8_t *row = rows + std::size_t(y) * rowBytes;
            switch (cellRows()[std::size_t(y)]) {
            case CellRow::Blank:
                break;
            case CellRow::CopyAbove:
                std::memcpy(row, row - rowBytes, rowBytes);
                break;
            case CellRow::Draw:
                for (int i = 0, x = left; i < pending_.size() && x < width_; ++i, x += receipt_font::kCellWidth)
                    orCellRow(row, rowBytes_, x, width_,
                              receipt_font::cell(static_cast<unsigned char>(pending_[i]))[std::size_t(y)]);
                break;
            }
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
    QImage paper;
    if (height_ * 2 >= kMaxPaperDots) {
        // A long receipt takes the paper's rows as they stand; the next one
        // starts on fresh paper.
        BlankPages *rows = dots_.release();
        paper = QImage(
            rows->data(), width_, height_, rowBytes_, QImage::Format_Mono,
            [](void *held) { delete static_cast<BlankPages *>(held); }, rows);
        if (paper.isNull())
            delete rows; // not taken
    } else {
        // A short one is copied, and the paper is used again.
        paper = QImage(width_, std::max(height_, 1), QImage::Format_Mono);
        paper.fill(0);
        for (int y = 0; y < height_; ++y)
            std::memcpy(paper.scanLine(y), dots_->data() + std::size_t(y) * std::size_t(rowBytes_),
                        std::size_t(rowBytes_));
    }
    paper.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    clear();
    return paper;
}

void ReceiptPaper::clear()
{
    pending_.clear();
    pendingStarted_ = false;
    if (dots_)
        std::memset(dots_->data(), 0, std::size_t(height_) * std::size_t(rowBytes_));
    height_ = 0;
    inked_ = false;
}
