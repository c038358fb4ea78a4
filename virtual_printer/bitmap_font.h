// The receipt's character font: 5 x 7 dot glyphs for printable ASCII, drawn
// into a 12 x 24 dot cell (each dot 2 wide, 3 high), the cell of a receipt
// printer's standard font: 32 characters on 58 mm paper, 48 on 80 mm.
// Built in, so receipts render without any font or display.
#pragma once

#include <QImage>

namespace receipt_font {

inline constexpr int kCellWidth = 12;
inline constexpr int kCellHeight = 24;

// Draws one character with its top left corner at (x, y) into an 8-bit grey
// image (0 black). Bytes outside 0x20..0x7E draw as a hollow box; dots
// outside the image are dropped.
void drawChar(QImage &image, int x, int y, unsigned char c);

} // namespace receipt_font
