#include "receipt_pictures.h"

#include <qrencode.h>

#include <algorithm>

namespace {

QImage whitePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    return picture;
}

void setDot(QImage &picture, int x, int y)
{
    picture.scanLine(y)[x >> 3] |= uchar(0x80u >> (x & 7));
}

// No picture grows past this many dots either way, whatever a header claims.
constexpr int kMaxPictureDots = 4096;
constexpr int kQrModuleDots = 6;
constexpr int kQrQuietModules = 4;

} // namespace

QImage logoPicture(const decoder::Logo &logo, long mode)
{
    if (logo.widthDots <= 0 || logo.heightDots <= 0)
        return {};
    const int sx = (mode & 1) ? 2 : 1;
    const int sy = (mode & 2) ? 2 : 1;
    const int groups = (logo.heightDots + 7) / 8;
    const int width = std::min(logo.widthDots, kMaxPictureDots / sx);
    const int height = std::min(logo.heightDots, kMaxPictureDots / sy);
    QImage picture = whitePicture(width * sx, height * sy);
    for (int x = 0; x < width; ++x)
        for (int y = 0; y < height; ++y) {
            const qsizetype index = qsizetype(x) * groups + y / 8;
            if (index >= logo.raster.size())
                continue;
            if (!(static_cast<unsigned char>(logo.raster[index]) & (0x80u >> (y % 8))))
                continue;
            for (int dy = 0; dy < sy; ++dy)
                for (int dx = 0; dx < sx; ++dx)
                    setDot(picture, x * sx + dx, y * sy + dy);
        }
    return picture;
}

QImage qrPicture(const QByteArray &text, int maxWidth)
{
    if (text.isEmpty())
        return {};
    QRcode *code =
        QRcode_encodeData(int(text.size()), reinterpret_cast<const unsigned char *>(text.constData()), 0, QR_ECLEVEL_M);
    if (!code)
        return {};
    const int modules = code->width + 2 * kQrQuietModules;
    const int dots = std::clamp(maxWidth / modules, 1, kQrModuleDots);
    QImage picture = whitePicture(modules * dots, modules * dots);
    for (int my = 0; my < code->width; ++my)
        for (int mx = 0; mx < code->width; ++mx) {
            if (!(code->data[my * code->width + mx] & 1))
                continue;
            for (int dy = 0; dy < dots; ++dy)
                for (int dx = 0; dx < dots; ++dx)
                    setDot(picture, (mx + kQrQuietModules) * dots + dx, (my + kQrQuietModules) * dots + dy);
        }
    QRcode_free(code);
    return picture;
}
