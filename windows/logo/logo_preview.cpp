#include "logo_preview.h"

#include <QPainter>

LogoPreview::LogoPreview(QWidget *parent)
    : QWidget(parent)
{
}

void LogoPreview::setPicture(const QImage &image)
{
    picture_ = image;
    update();
}

void LogoPreview::clear()
{
    picture_ = QImage();
    update();
}

bool LogoPreview::stretched() const
{
    return !picture_.isNull() && (picture_.width() > width() || picture_.height() > height());
}

QRect LogoPreview::drawRect() const
{
    if (picture_.isNull())
        return {};
    // A picture bigger than the box is scaled down whole, keeping its
    // proportions, at the box's top-left corner.
    const QSize shown = stretched() ? picture_.size().scaled(size(), Qt::KeepAspectRatio) : picture_.size();
    return QRect(QPoint(0, 0), shown);
}

void LogoPreview::paintEvent(QPaintEvent *)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(drawRect(), picture_);
}
