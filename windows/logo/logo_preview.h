// One logo slot's preview and pixel store: holds the picture that a download
// sends, and shows it at its own size, or scaled down to the box keeping its
// proportions when it does not fit.
#pragma once

#include <QImage>
#include <QWidget>

class LogoPreview : public QWidget
{
    Q_OBJECT
public:
    explicit LogoPreview(QWidget *parent = nullptr);

    const QImage &picture() const { return picture_; }
    QImage &picture() { return picture_; }
    void setPicture(const QImage &image);
    void clear();

    // True when the picture is wider or taller than the box and is drawn
    // scaled down to fit it.
    bool stretched() const;
    // Where the picture lands in the box.
    QRect drawRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage picture_;
};
