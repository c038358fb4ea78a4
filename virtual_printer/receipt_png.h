// Receipts as PNG, written directly: a receipt is black and white, so its
// picture is a 1-bit image with a two-colour palette (white, black), each
// row stored unfiltered and the whole compressed at zlib's fastest level.
// One zlib stream is kept and reset for each picture: a printer cutting a
// thousand short receipts would otherwise set up (and the system map and
// unmap) a quarter megabyte of compressor state for each.
// Pictures of any other kind go through Qt's PNG writer. One thread at a time.
#pragma once

#include <QByteArray>
#include <QImage>

#include <memory>

class ReceiptPng
{
public:
    ReceiptPng();
    ~ReceiptPng();
    ReceiptPng(const ReceiptPng &) = delete;
    ReceiptPng &operator=(const ReceiptPng &) = delete;

    // false when it cannot be encoded.
    bool encode(const QImage &receipt, QByteArray &png);

private:
    struct Stream;
    bool encodeBits(const QImage &receipt, QByteArray &png);

    static constexpr qsizetype kBatchBytes = 64 * 1024;
    static constexpr qsizetype kChunkBytes = 64 * 1024;

    std::unique_ptr<Stream> stream_; // null when zlib could not be set up
    QByteArray rows_;                // a batch of rows as stored, each after its filter byte
    QByteArray packed_;              // what the stream made for the next IDAT chunk
};
