// Pictures for the chain tests and the check of a printed receipt against
// the halftoned picture it should show.
#pragma once

#include <QImage>
#include <QString>

namespace receiptdots {

// A grey ramp with a dark disc: both dithered and solid areas.
inline QImage greyPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int dx = x - width / 2, dy = y - height / 2;
            const int v = dx * dx + dy * dy < height * height / 9 ? 40 : 255 * x / width;
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

// Empty when every dot of the receipt is black exactly where the black-and-
// white picture, placed at column left, is black; else the first one that
// differs. black counts the receipt's black dots.
inline QString differences(const QImage &receipt, const QImage &picture, int left, int &black)
{
    black = 0;
    for (int y = 0; y < receipt.height(); ++y)
        for (int x = 0; x < receipt.width(); ++x) {
            const bool dot = qGray(receipt.pixel(x, y)) < 128;
            const bool inPicture = x >= left && x < left + picture.width() && y < picture.height();
            black += dot;
            if (dot != (inPicture && picture.pixel(x - left, y) == qRgb(0, 0, 0)))
                return QStringLiteral("dot %1,%2 differs").arg(x).arg(y);
        }
    return {};
}

} // namespace receiptdots
