// Reads a picture file for a logo slot without trusting it: only a regular
// file is opened (never a pipe, device or socket, which could block or
// never end), its size is bounded, a bitmap's pixel data and a PNG's chunks
// must lie within the file, and the dimensions the header claims are checked
// before any pixel memory is taken. No file makes the loader take more than
// a few hundred MB.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace bitmap {

// Largest picture the window takes: a logo is at most 576 dots wide, so
// anything near these limits is a broken or hostile file, not a logo.
inline constexpr int kMaxSide = 16384;
inline constexpr qint64 kMaxPixels = 16 * 1024 * 1024; // 64 MB as 32-bit pixels
// Largest file read: the largest picture above as an uncompressed bitmap
// (plus its headers) fits; a larger file is no logo.
inline constexpr qint64 kMaxFileBytes = kMaxPixels * 4 + 64 * 1024;

struct Loaded
{
    QImage image;  // Format_RGB32; null when the file was refused
    QString error; // why, when refused
    bool ok() const { return !image.isNull(); }
};

// Loads a bitmap (or any picture kind the image library reads) as opaque
// 32-bit pixels; transparent parts are laid on white.
Loaded load(const QString &path);

// The same checks and decoding for a file's bytes already in memory.
Loaded loadBytes(QByteArray bytes);

} // namespace bitmap
