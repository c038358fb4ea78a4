#include "raster.h"

#include "byte_names.h"

namespace raster {

namespace {

bool isExactBlack(QRgb p)
{
    return (p & 0x00FFFFFFu) == 0;
}

// Appends the data bytes. Walks the picture row by row (cache friendly) and
// drops each dot into its column's byte: byte (column, group) sits at
// column * y + group.
void appendData(const QImage &rgb, int xUnits, int yUnits, Bytes &out)
{
    const std::size_t base = out.size();
    const int columns = xUnits * 8;
    out.resize(base + std::size_t(columns) * std::size_t(yUnits), 0);
    std::uint8_t *data = out.data() + base;
    for (int group = 0; group < yUnits; ++group) {
        for (int bit = 0; bit < 8; ++bit) {
            const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(group * 8 + bit));
            const std::uint8_t mask = std::uint8_t(0x80u >> bit);
            std::uint8_t *cell = data + group;
            for (int col = 0; col < columns; ++col, cell += yUnits)
                if (isExactBlack(line[col]))
                    *cell |= mask;
        }
    }
}

} // namespace

Result imageBlock(const QImage &image)
{
    if (image.isNull())
        return {Status::NoImage, {}};
    const int xUnits = image.width() / 8;
    const int yUnits = image.height() / 8;
    if (xUnits == 0 || yUnits == 0)
        return {Status::TooSmall, {}};
    const std::size_t k = std::size_t(xUnits) * std::size_t(yUnits) * 8u;
    if (k > kMaxImageBytes)
        return {Status::TooLarge, {}};

    const QImage rgb = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    Result r;
    r.bytes.reserve(4 + k);
    r.bytes.push_back(std::uint8_t(xUnits % 256));
    r.bytes.push_back(std::uint8_t(xUnits / 256));
    r.bytes.push_back(std::uint8_t(yUnits % 256));
    r.bytes.push_back(std::uint8_t(yUnits / 256));
    appendData(rgb, xUnits, yUnits, r.bytes);
    return r;
}

Result downloadCommand(const std::vector<QImage> &images)
{
    Result r;
    r.bytes = {esc::FS, 'q', std::uint8_t(images.size())};
    for (const QImage &image : images) {
        Result block = imageBlock(image);
        if (block.status != Status::Ok)
            return {block.status, {}};
        r.bytes.insert(r.bytes.end(), block.bytes.begin(), block.bytes.end());
    }
    return r;
}

} // namespace raster
