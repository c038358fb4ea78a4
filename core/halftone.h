// Ordered halftone of a logo picture: every pixel becomes pure black or pure
// white by a fixed 8 x 8 pattern per grey level (no error diffusion).
#pragma once

#include <QImage>

#include <cstdint>

namespace halftone {

// 16 grey levels (0 darkest) of 8 bytes: byte i serves column x mod 8, bit r
// (r = 0 least significant) row y mod 8; a set bit is a black dot.
extern const std::uint8_t kPattern[16][8];

// Grey level 0 (black) to 15 (white) of a colour, in integer arithmetic.
inline unsigned greyLevel(unsigned r, unsigned g, unsigned b)
{
    return ((30u * r + 59u * g + 11u * b) / 100u) >> 4;
}

// True when the pattern puts a black dot at (x, y) for this level.
inline bool isBlack(unsigned level, unsigned x, unsigned y)
{
    return (kPattern[level][x % 8] >> (y % 8)) & 1u;
}

// Replaces every pixel of the picture by black or white. The picture ends up
// in Format_RGB32; a null picture stays null.
void apply(QImage &image);
// The same result without processor-specific instructions (the reference the
// fast path is tested against).
void applyPortable(QImage &image);

} // namespace halftone
