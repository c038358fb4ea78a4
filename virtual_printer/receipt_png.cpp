#include "receipt_png.h"

#include <QBuffer>
#include <QImageWriter>

#include <zlib.h>

#include <algorithm>
#include <cstring>

struct ReceiptPng::Stream
{
    z_stream z{};
};

namespace {

// White paper, black dots: the printer's own pictures, as the paper makes them.
bool blackOnWhite(const QImage &picture)
{
    return picture.format() == QImage::Format_Mono && picture.colorCount() == 2 &&
           picture.color(0) == qRgb(255, 255, 255) && picture.color(1) == qRgb(0, 0, 0);
}

void appendBigEndian(QByteArray &out, quint32 value)
{
    const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    out.append(bytes, 4);
}

// A chunk: its length, type and data, and the CRC of type and data.
void appendChunk(QByteArray &out, const char type[4], const char *data, std::size_t length)
{
    appendBigEndian(out, quint32(length));
    const qsizetype typeAt = out.size();
    out.append(type, 4);
    out.append(data, qsizetype(length));
    const auto *crcFrom = reinterpret_cast<const Bytef *>(out.constData() + typeAt);
    appendBigEndian(out, quint32(crc32(crc32(0L, Z_NULL, 0), crcFrom, uInt(4 + length))));
}

bool qtEncode(const QImage &picture, QByteArray &png)
{
    QBuffer buffer(&png);
    QImageWriter writer(&buffer, "png");
    // Qt reads a quality of 80 as zlib's level 1.
    writer.setQuality(80);
    return buffer.open(QIODevice::WriteOnly) && writer.write(picture);
}

} // namespace

ReceiptPng::ReceiptPng()
    : stream_(std::make_unique<Stream>())
{
    if (deflateInit(&stream_->z, Z_BEST_SPEED) != Z_OK)
        stream_.reset();
}

ReceiptPng::~ReceiptPng()
{
    if (stream_)
        deflateEnd(&stream_->z);
}

bool ReceiptPng::encode(const QImage &receipt, QByteArray &png)
{
    png.clear();
    if (stream_ && blackOnWhite(receipt) && receipt.width() > 0 && receipt.height() > 0)
        return encodeBits(receipt, png);
    return qtEncode(receipt, png);
}

bool ReceiptPng::encodeBits(const QImage &receipt, QByteArray &png)
{
    const int width = receipt.width();
    const int height = receipt.height();
    const qsizetype rowBytes = (width + 7) / 8;
    // The bits past the width in each row's last byte are kept white.
    const auto lastMask = uchar(0xFFu << ((8 - width % 8) % 8));

    png.append("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    appendBigEndian(header, quint32(width));
    appendBigEndian(header, quint32(height));
    // bit depth 1, palette, deflate, the standard filters, not interlaced
    header.append("\x01\x03\x00\x00\x00", 5);
    appendChunk(png, "IHDR", header.constData(), std::size_t(header.size()));
    const char palette[6] = {char(255), char(255), char(255), 0, 0, 0}; // index 0 white, 1 black
    appendChunk(png, "PLTE", palette, sizeof palette);

    // The rows go through the stream a batch at a time, and what it makes
    // goes out as IDAT chunks of a fixed size: a long receipt never needs
    // its whole picture twice over in memory.
    z_stream &z = stream_->z;
    if (deflateReset(&z) != Z_OK)
        return false;
    const qsizetype rowsPerBatch = std::max<qsizetype>(1, kBatchBytes / (rowBytes + 1));
    rows_.resize(rowsPerBatch * (rowBytes + 1));
    packed_.resize(kChunkBytes);
    z.next_out = reinterpret_cast<Bytef *>(packed_.data());
    z.avail_out = uInt(packed_.size());
    const auto pack = [&](int flush) {
        for (;;) {
            const int status = deflate(&z, flush);
            // (A stream that can go no further while it has room to write is broken.)
            if ((status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) ||
                (status == Z_BUF_ERROR && z.avail_out > 0 && (z.avail_in > 0 || flush == Z_FINISH)))
                return false;
            if (z.avail_out == 0 || (status == Z_STREAM_END && z.avail_out < uInt(packed_.size()))) {
                appendChunk(png, "IDAT", packed_.constData(), std::size_t(packed_.size()) - z.avail_out);
                z.next_out = reinterpret_cast<Bytef *>(packed_.data());
                z.avail_out = uInt(packed_.size());
            }
            if (status == Z_STREAM_END)
                return true;
            if (flush == Z_NO_FLUSH && z.avail_in == 0)
                return true;
        }
    };
    for (int y = 0; y < height;) {
        char *to = rows_.data();
        for (qsizetype i = 0; i < rowsPerBatch && y < height; ++i, ++y) {
            *to++ = 0; // no filter
            std::memcpy(to, receipt.constScanLine(y), std::size_t(rowBytes));
            to[rowBytes - 1] = char(uchar(to[rowBytes - 1]) & lastMask);
            to += rowBytes;
        }
        z.next_in = reinterpret_cast<Bytef *>(rows_.data());
        z.avail_in = uInt(to - rows_.data());
        if (!pack(Z_NO_FLUSH))
            return false;
    }
    if (!pack(Z_FINISH))
        return false;
    appendChunk(png, "IEND", nullptr, 0);
    return true;
}
