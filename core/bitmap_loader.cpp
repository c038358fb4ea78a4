#include "bitmap_loader.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>
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

QString sizeRefusal(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return QStringLiteral("The picture's header gives an empty or negative size (%1 x %2).").arg(width).arg(height);
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        return QStringLiteral("The picture's header claims %1 x %2 pixels, too large for a logo; "
                              "the file was not read.")
            .arg(width)
            .arg(height);
    return {};
}

// A Windows bitmap's own header: after the 14-byte file header, either the
// old 12-byte core header (16-bit width and height) or a larger info header
// (32-bit width and height, the height negative for rows stored top-down). Read here so the refusal names the claim
// whatever the image library thinks of it. Other files pass.
QString bitmapHeaderRefusal(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(26);
    if (head.size() < 26 || !head.startsWith("BM"))
        return {};
    const char *h = head.constData();
    if (qFromLittleEndian<quint32>(h + 14) == 12)
        return sizeRefusal(qFromLittleEndian<quint16>(h + 18), qFromLittleEndian<quint16>(h + 20));
    const qint64 width = qFromLittleEndian<qint32>(h + 18);
    const qint64 height = qFromLittleEndian<qint32>(h + 22);
    return sizeRefusal(width, height < 0 ? -height : height);
}

} // namespace

Loaded load(const QString &path)
{
    QImageReader reader(path);
    // Qt's own guard against huge claims (in MB), in case a format's header
    // says less than its decoder will take.
    reader.setAllocationLimit(int(kMaxPixels * 4 / (1024 * 1024)));
    reader.setAutoTransform(false);

    QString refusal = bitmapHeaderRefusal(path);
    const QSize claimed = reader.size();
    if (refusal.isEmpty() && claimed.isValid())
        refusal = sizeRefusal(claimed.width(), claimed.height());
    if (!refusal.isEmpty())
        return {{}, refusal};

    if (!reader.canRead())
        return {{}, QStringLiteral("The file cannot be read as a picture: %1").arg(reader.errorString())};
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
