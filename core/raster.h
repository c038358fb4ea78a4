// The FS q raster: how a logo picture becomes the printer's column-ordered
// 1-bit data, and the download command that carries it.
#pragma once

#include "command.h"

#include <QImage>

#include <cstddef>
#include <vector>

namespace raster {

// Most data bytes the printer takes for one image.
inline constexpr std::size_t kMaxImageBytes = 17000;

enum class Status {
    Ok,
    TooLarge, // more than kMaxImageBytes data bytes
    TooSmall, // under 8 pixels wide or high: nothing would be printed
    NoImage,  // a slot up to n holds no picture
};

struct Result
{
    Status status = Status::Ok;
    Bytes bytes; // empty unless status is Ok
};

// Header xL xH yL yH and the x * y * 8 data bytes of one picture: x = W / 8,
// y = H / 8 (the rightmost W mod 8 columns and lowest H mod 8 rows are
// dropped); column by column, top group first, bit 7 the topmost dot. Only
// exactly black pixels (0, 0, 0) print.
Result imageBlock(const QImage &image);

// The whole download: 1C 71 n, then one block per picture in slot order.
// Refuses the lot when any picture is refused.
Result downloadCommand(const std::vector<QImage> &images);

inline constexpr const char *kDocDownload = "download NV LOGO";

} // namespace raster
