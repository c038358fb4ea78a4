// The receipt's character font: 5 x 7 dot glyphs for printable ASCII, drawn
// into a 12 x 24 dot cell (each dot 2 wide, 3 high), the cell of a receipt
// printer's standard font: 32 characters on 58 mm paper, 48 on 80 mm.
// Built in, so receipts render without any font or display.
#pragma once

#include <array>
#include <cstdint>

namespace receipt_font {

inline constexpr int kCellWidth = 12;
inline constexpr int kCellHeight = 24;

// One character's cell, row by row from the top: bit 11 of a row is its
// leftmost dot, bit 0 its rightmost. Bytes outside 0x20..0x7E show as a
// hollow box.
using Cell = std::array<std::uint16_t, kCellHeight>;
const Cell &cell(unsigned char c);

} // namespace receipt_font
