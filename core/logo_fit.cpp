#include "logo_fit.h"

#include <algorithm>
#include <cstring>

namespace logo {

QImage fitToWidth(const QImage &image, int maxWidth)
{
    if (image.isNull() || maxWidth <= 0 || image.width() <= maxWidth)
        return image;
    const qint64 height = std::max<qint64>(1, (qint64(image.height()) * maxWidth + image.width() / 2) / image.width());
    // Qt's smooth scaling averages the source pixels each target pixel covers.
    return image.convertToFormat(QImage::Format_RGB32)
        .scaled(maxWidth, int(height), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB32);
}

QImage padToWholeBands(const QImage &image)
{
    if (image.isNull() || image.height() % 8 == 0)
        return image;
    const int height = (image.height() + 7) / 8 * 8;
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    QImage padded(image.width(), height, QImage::Format_RGB32);
    padded.fill(Qt::white);
    for (int y = 0; y < source.height(); ++y)
        std::memcpy(padded.scanLine(y), source.constScanLine(y), std::size_t(source.width()) * 4);
    return padded;
}

} // namespace logo
