// Builds bitmap files byte by byte, so tests can make exactly the odd,
// broken and hostile files they need without storing them.
#pragma once

#include <QByteArray>
#include <QtEndian>

#include <cstdint>

namespace bmpfile {

struct Header
{
    std::int32_t width = 0;
    std::int32_t height = 0; // negative: rows stored top-down
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0; // 0 BI_RGB, 1 RLE8, 2 RLE4
    std::uint32_t colorsUsed = 0;
    std::int64_t offBits = -1; // -1: right after the palette
};

inline void put16(QByteArray &out, std::uint16_t v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

inline void put32(QByteArray &out, std::uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

inline QByteArray file(const Header &h, const QByteArray &palette, const QByteArray &pixels)
{
    const std::uint32_t off = h.offBits >= 0 ? std::uint32_t(h.offBits) : std::uint32_t(14 + 40 + palette.size());
    QByteArray out("BM");
    put32(out, std::uint32_t(14 + 40 + palette.size() + pixels.size()));
    put32(out, 0);
    put32(out, off);
    put32(out, 40);
    put32(out, std::uint32_t(h.width));
    put32(out, std::uint32_t(h.height));
    put16(out, 1);
    put16(out, h.bitCount);
    put32(out, h.compression);
    put32(out, std::uint32_t(pixels.size()));
    put32(out, 2835);
    put32(out, 2835);
    put32(out, h.colorsUsed);
    put32(out, 0);
    return out + palette + pixels;
}

// Palette of black, white, then greys.
inline QByteArray palette(int entries)
{
    QByteArray p;
    for (int i = 0; i < entries; ++i) {
        const char v = char(i == 0 ? 0 : i == 1 ? 255 : (i * 37) & 0xFF);
        p.append(v).append(v).append(v).append('\0');
    }
    return p;
}

inline int rowBytes(int width, int bitCount)
{
    return ((width * bitCount + 31) / 32) * 4;
}

} // namespace bmpfile
