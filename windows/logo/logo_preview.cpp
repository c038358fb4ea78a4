#include "logo_preview.h"

#include <QPainter>

LogoPreview::LogoPreview(QWidget *parent) : QWidget(parent) {}

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
    return stretched() ? rect() : QRect(QPoint(0, 0), picture_.size());
}

void LogoPreview::paintEvent(QPaintEvent *)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(drawRect(), picture_);
}
