#include "bitmap_loader.h"

#include <QImageReader>
#include <QPainter>

namespace bitmap {

namespace {

QImage opaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    return out;
}

} // namespace

Loaded load(const QString &path)
{
    QImageReader reader(path);
    // Qt's own guard against huge claims (in MB), in case a format's header
    // says less than its decoder will take.
    reader.setAllocationLimit(int(kMaxPixels * 4 / (1024 * 1024)));
    reader.setAutoTransform(false);

    if (!reader.canRead())
        return {{}, QStringLiteral("The file cannot be read as a picture: %1").arg(reader.errorString())};

    const QSize claimed = reader.size();
    if (claimed.isValid()) {
        if (claimed.width() <= 0 || claimed.height() <= 0)
            return {{}, QStringLiteral("The picture's header gives an empty size (%1 x %2).")
                            .arg(claimed.width())
                            .arg(claimed.height())};
        if (claimed.width() > kMaxSide || claimed.height() > kMaxSide ||
            qint64(claimed.width()) * claimed.height() > kMaxPixels)
            return {{}, QStringLiteral("The picture's header claims %1 x %2 pixels, too large for a logo; "
                                       "the file was not read.")
                            .arg(claimed.width())
                            .arg(claimed.height())};
    }

    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {{}, QStringLiteral("The file cannot be read as a picture: %1").arg(reader.errorString())};
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        return {{}, QStringLiteral("The picture is %1 x %2 pixels, too large for a logo.")
                        .arg(image.width())
                        .arg(image.height())};
    QImage result = opaque(image);
    if (result.isNull())
        return {{}, QStringLiteral("There is not enough memory to hold the picture.")};
    return {result, {}};
}

} // namespace bitmap
