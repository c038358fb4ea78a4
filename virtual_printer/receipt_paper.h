// The paper of the virtual printer: text lines, blank feeds and pictures laid
// out one below the other at the paper width, until a cut takes them off as
// one receipt picture. Kept one bit a dot, as the printer's head prints.
#pragma once

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <memory>

class BlankPages;

class ReceiptPaper
{
public:
    enum class Align {
        Left,
        Middle,
        Right
    };

    explicit ReceiptPaper(int widthDots);
    ~ReceiptPaper();

    int widthDots() const { return width_; }
    int charsPerLine() const;
    void setAlign(Align align) { align_ = align; }

    // Text goes into the current line and wraps at the paper's edge.
    void addText(const QByteArray &text);
    // The first feed ends the current line; with no text pending a feed is a
    // blank line.
    void lineFeed(int count);
    // A whole line of its own (ends any pending text first).
    void addLine(const QByteArray &text);
    // A picture (dark pixels print), aligned and cut to the paper width.
    void addPicture(const QImage &picture);

    // A receipt is at most this long (7.5 m): what comes after is not drawn.
    static constexpr int kMaxPaperDots = 60000;
    bool full() const { return height_ >= kMaxPaperDots; }
    int heightDots() const { return height_; }

    // True once text or a picture is on the paper (feeds alone are blank).
    bool hasInk() const { return inked_ || !pending_.isEmpty(); }
    // The paper so far as one black-and-white picture (QImage::Format_Mono,
    // colour 0 white, 1 black); empties the paper.
    QImage tearOff();
    // Empties the paper without making a picture of it.
    void clear();

private:
    void endLine();
    // Blank rows added below, or none when they would not all fit; returns
    // the first of them.
    std::uint8_t *addRows(int count);
    int leftFor(int contentWidth) const;

    int width_;
    int rowBytes_;
    Align align_ = Align::Left;
    QByteArray pending_;
    bool pendingStarted_ = false;
    // Room for kMaxPaperDots rows of rowBytes_, the first height_ in use; bit
    // 7 of a byte is the leftmost dot, set: black. Blank past height_.
    std::unique_ptr<BlankPages> dots_;
    int height_ = 0;
    bool inked_ = false;
};
