// The paper of the virtual printer: text lines, blank feeds and pictures laid
// out one below the other at the paper width, until a cut takes them off as
// one receipt picture.
#pragma once

#include <QByteArray>
#include <QImage>

#include <vector>

class ReceiptPaper
{
public:
    enum class Align {
        Left,
        Middle,
        Right
    };

    explicit ReceiptPaper(int widthDots);

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
    // A picture (0 black, 255 white), aligned and cut to the paper width.
    void addPicture(const QImage &picture);

    // A receipt is at most this long (7.5 m): what comes after is not drawn.
    static constexpr int kMaxPaperDots = 60000;
    bool full() const { return height_ >= kMaxPaperDots; }
    int heightDots() const { return height_; }

    // True once text or a picture is on the paper (feeds alone are blank).
    bool hasInk() const { return inked_ || !pending_.isEmpty(); }
    // The paper so far as one 8-bit grey picture; empties the paper.
    QImage tearOff();

private:
    void endLine();
    void append(const QImage &strip);
    int leftFor(int contentWidth) const;

    int width_;
    Align align_ = Align::Left;
    QByteArray pending_;
    bool pendingStarted_ = false;
    std::vector<QImage> strips_;
    int height_ = 0;
    bool inked_ = false;
};
