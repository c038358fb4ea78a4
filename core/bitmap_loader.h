// Reads a picture file for a logo slot without trusting it: the dimensions
// its header claims are checked before any pixel memory is taken.
#pragma once

#include <QImage>
#include <QString>

namespace bitmap {

// Largest picture the window takes: a logo is at most 576 dots wide, so
// anything near these limits is a broken or hostile file, not a logo.
inline constexpr int kMaxSide = 16384;
inline constexpr qint64 kMaxPixels = 16 * 1024 * 1024; // 64 MB as 32-bit pixels

struct Loaded
{
    QImage image;  // Format_RGB32; null when the file was refused
    QString error; // why, when refused
    bool ok() const { return !image.isNull(); }
};

// Loads a bitmap (or any picture kind the image library reads) as opaque
// 32-bit pixels; transparent parts are laid on white.
Loaded load(const QString &path);

} // namespace bitmap
