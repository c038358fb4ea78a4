#include "bitmap_loader.h"

#include "regular_file.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <utility>

namespace bitmap {

namespace {

QImage opaque(const QImage &image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage out(image.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(Qt::white);
    QPainter painter(&out);
    painter.drawImage(0, 0, image);
    return out;
}

// ---- The file itself ------------------------------------------------------

QString tooBig(qint64 size)
{
    return QStringLiteral("The file is %1 MB, far larger than any logo picture; it was not read.")
        .arg(regularfile::megabytes(size));
}

// ---- Claims in the headers ------------------------------------------------

QString sizeRefusal(qint64 width, qint64 height)
{
    if (width <= 0 || height <= 0)
        return QStringLiteral("The picture's header gives an empty or negative size (%1 x %2).").arg(width).arg(height);
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
        return QStringLiteral("The picture's header claims %1 x %2 pixels, too large for a logo; "
                              "the file was not read.")
            .arg(width)
            .arg(height);
    return {};
}

// Whether an RLE8 or RLE4 stream starting at `at` reaches its end-of-bitmap
// code (00 01) within the file. Escapes: 00 00 end of line, 00 01 end of
// bitmap, 00 02 dx dy move, 00 n (n > 2) n pixels given literally, padded
// to a whole 16-bit word; any other pair is a run.
bool rleEnds(const QByteArray &bytes, qint64 at, bool fourBit)
{
    const auto *b = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    const qint64 size = bytes.size();
    while (at + 2 <= size) {
        const std::uint8_t count = b[at];
        const std::uint8_t code = b[at + 1];
        at += 2;
        if (count != 0 || code == 0)
            continue;
        if (code == 1)
            return true;
        if (code == 2) {
            at += 2;
            continue;
        }
        const qint64 literal = fourBit ? (code + 1) / 2 : code;
        at += (literal + 1) / 2 * 2;
    }
    return false;
}

void putLittle(QByteArray &out, quint32 v, int size)
{
    for (int i = 0; i < size; ++i)
        out.append(char(v >> (8 * i)));
}

// Unpacks an RLE8 or RLE4 stream (checked by rleEnds) into a plain 8-bit
// bitmap: rows bottom first, runs and literals past a row's end dropped,
// and every pixel the stream skips (by a move, an early end of line or of
// the bitmap) index 0. The image library would leave those pixels as
// whatever its memory held, so the same file gave a different logo each
// time.
QByteArray unpackedRle(const QByteArray &bytes, qint64 offBits, int width, int height, bool fourBit,
                       const QByteArray &palette)
{
    const auto *b = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    const qint64 size = bytes.size();
    const qint64 stride = (width + 3) / 4 * 4;
    QByteArray pixels(qsizetype(stride * height), '\0');
    char *out = pixels.data();
    // Pixel k of a literal or a run: RLE4 packs two to a byte, high half first.
    auto index = [fourBit](std::uint8_t v, qint64 k) { return char(fourBit ? (k & 1 ? v & 15 : v >> 4) : v); };
    qint64 x = 0;
    qint64 y = 0; // from the bottom row
    qint64 at = offBits;
    while (at + 2 <= size && y < height) {
        const std::uint8_t count = b[at];
        const std::uint8_t code = b[at + 1];
        at += 2;
        if (count != 0) {
            for (qint64 k = 0; k < count && x < width; ++k, ++x)
                out[y * stride + x] = index(code, k);
            continue;
        }
        if (code == 0) {
            x = 0;
            ++y;
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            if (at + 2 > size)
                break;
            x += b[at];
            y += b[at + 1];
            at += 2;
        } else {
            const qint64 literalBytes = fourBit ? (code + 1) / 2 : code;
            if (at + literalBytes > size)
                break;
            for (qint64 k = 0; k < code; ++k, ++x)
                if (x < width)
                    out[y * stride + x] = index(b[at + (fourBit ? k / 2 : k)], k);
            at += (literalBytes + 1) / 2 * 2;
        }
    }
    const quint32 entries = quint32(palette.size() / 4);
    QByteArray file("BM");
    const quint32 dataAt = 14 + 40 + quint32(palette.size());
    putLittle(file, dataAt + quint32(pixels.size()), 4);
    putLittle(file, 0, 4);
    putLittle(file, dataAt, 4);
    for (quint32 v : {40u, quint32(width), quint32(height)})
        putLittle(file, v, 4);
    putLittle(file, 1, 2); // planes
    putLittle(file, 8, 2); // bits a pixel
    for (quint32 v : {0u, quint32(pixels.size()), 2835u, 2835u, entries, 0u})
        putLittle(file, v, 4);
    return file + palette + pixels;
}

// A Windows bitmap's own headers: after the 14-byte file header (whose last
// field is where the pixels start), either the old 12-byte core header
// (16-bit width and height) or a larger info header (32-bit width and
// height, the height negative for rows stored top-down, then planes, bits a
// pixel and compression). The claimed size is refused first, so the refusal
// names the claim whatever the image library thinks of it; then the pixels
// the headers promise must be in the file, or the image library would hand
// back memory it never filled. Other files pass.
QString bitmapRefusal(const QByteArray &bytes, QByteArray &rewritten)
{
    if (bytes.size() < 26 || !bytes.startsWith("BM"))
        return {};
    const char *h = bytes.constData();
    const qint64 offBits = qFromLittleEndian<quint32>(h + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(h + 14);
    qint64 width = 0;
    qint64 height = 0;
    int bitCount = 0;
    quint32 compression = 0;
    bool topDown = false;
    if (headerSize == 12) {
        width = qFromLittleEndian<quint16>(h + 18);
        height = qFromLittleEndian<quint16>(h + 20);
        bitCount = qFromLittleEndian<quint16>(h + 24);
    } else {
        width = qFromLittleEndian<qint32>(h + 18);
        height = qFromLittleEndian<qint32>(h + 22);
        topDown = height < 0;
        height = topDown ? -height : height;
        if (bytes.size() < 34)
            return sizeRefusal(width, height);
        bitCount = qFromLittleEndian<quint16>(h + 28);
        compression = qFromLittleEndian<quint32>(h + 30);
    }
    if (QString refusal = sizeRefusal(width, height); !refusal.isEmpty())
        return refusal;

    const qint64 size = bytes.size();
    if (offBits >= size)
        return QStringLiteral("The bitmap's pixels are said to start at byte %1, but the file holds only %2 bytes.")
            .arg(offBits)
            .arg(size);
    const bool rle8 = compression == 1 && bitCount == 8;
    const bool rle4 = compression == 2 && bitCount == 4;
    if (rle8 || rle4) {
        if (!rleEnds(bytes, offBits, rle4))
            return QStringLiteral("The bitmap is truncated: its compressed pixels end before their "
                                  "end-of-bitmap code.");
        if (topDown || headerSize < 40 || bytes.size() < 54)
            return QStringLiteral("The bitmap's header is damaged: compressed pixels cannot be stored "
                                  "that way.");
        // The colour table follows the info header: 4 bytes an entry.
        const quint32 colorsUsed = qFromLittleEndian<quint32>(h + 46);
        const qint64 entries = colorsUsed == 0 || colorsUsed > (1u << bitCount) ? 1 << bitCount : colorsUsed;
        const qint64 paletteAt = 14 + qint64(headerSize);
        if (paletteAt + entries * 4 > offBits)
            return QStringLiteral("The bitmap's header is damaged: its colour table overlaps its pixels.");
        rewritten = unpackedRle(bytes, offBits, int(width), int(height), rle4, bytes.mid(paletteAt, entries * 4));
        return {};
    }
    // Uncompressed rows (with or without colour masks), each padded to a
    // whole 32-bit word.
    const bool plain = compression == 0 || compression == 3 || compression == 6;
    const bool knownDepth =
        bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 || bitCount == 32;
    if (!plain || !knownDepth)
        return {}; // the image library refuses these itself
    // The image library reads the headers, the colour masks that follow a
    // 40-byte header and the colour table before it looks for the pixels, and
    // never goes back: pixels said to start within those would be read from
    // further on, and the rows the file lacks left unfilled.
    const bool coreHeader = headerSize == 12;
    qint64 colours = 0;
    if (bitCount <= 8) {
        const quint32 used = coreHeader || size < 50 ? 0 : qFromLittleEndian<quint32>(h + 46);
        colours = used ? used : 1 << bitCount;
    }
    const qint64 masks = headerSize != 40 ? 0 : compression == 3 ? 12 : compression == 6 ? 16 : 0;
    const qint64 dataStart = 14 + qint64(headerSize) + masks + colours * (coreHeader ? 3 : 4);
    if (offBits < dataStart)
        return QStringLiteral("The bitmap's header is damaged: its pixels are said to start at byte %1, within its "
                              "headers and colour table, which end at byte %2.")
            .arg(offBits)
            .arg(dataStart);
    const qint64 stride = (width * bitCount + 31) / 32 * 4;
    const qint64 promised = stride * height;
    if (promised > size - offBits)
        return QStringLiteral("The bitmap is truncated: its header promises %1 bytes of pixels but the file holds %2.")
            .arg(promised)
            .arg(size - offBits);
    return {};
}

// A PNG file: the 8-byte signature, then chunks of a 4-byte big-endian
// length, a 4-byte type, the data and a 4-byte check, the last one IEND.
// The image library would take a chunk's length on trust and reserve that
// much memory, so every chunk must lie within the file. The chunks handed
// on are the ones a picture needs: text and colour profiles (which can
// unpack to any size) are left out, which changes no pixel.
bool isPng(const QByteArray &bytes)
{
    static const char signature[] = "\x89PNG\r\n\x1A\n";
    return bytes.startsWith(QByteArray::fromRawData(signature, 8));
}

QString pngRefusal(const QByteArray &bytes, QByteArray &kept)
{
    if (!isPng(bytes))
        return {};
    static const char *const wanted[] = {"IHDR", "PLTE", "IDAT", "IEND", "tRNS", "gAMA",
                                         "cHRM", "sRGB", "sBIT", "bKGD", "pHYs"};
    kept = bytes.left(8);
    const qint64 size = bytes.size();
    qint64 at = 8;
    while (size - at >= 8) {
        const qint64 length = qFromBigEndian<quint32>(bytes.constData() + at);
        const QByteArray type = bytes.mid(at + 4, 4);
        const qint64 whole = 12 + length;
        if (whole > size - at)
            return QStringLiteral("The PNG file is damaged: its \"%1\" chunk claims %2 bytes, but the file "
                                  "ends %3 bytes later.")
                .arg(QString::fromLatin1(type.toPercentEncoding()))
                .arg(length)
                .arg(size - at - 8);
        // Critical chunks (upper-case first letter) are always passed on:
        // the image library refuses the ones it does not know.
        bool keep = type.at(0) >= 'A' && type.at(0) <= 'Z';
        for (const char *name : wanted)
            keep = keep || type == name;
        if (keep)
            kept += bytes.mid(at, whole);
        at += whole;
        if (type == "IEND") {
            if (kept.size() == at)
                kept.clear(); // nothing left out: the file itself is read
            return {};
        }
    }
    return QStringLiteral("The PNG file is truncated: it ends before its closing chunk.");
}

// An icon file: a 6-byte header (0, type 1 or 2, the number of pictures),
// then 16 bytes a picture, the last two fields its size and where it starts.
// A picture may be a whole PNG file, which the image library reads as any
// PNG: it gets the same chunk check, and every picture must lie within the
// file.
QString iconRefusal(const QByteArray &bytes)
{
    if (bytes.size() < 6 || qFromLittleEndian<quint16>(bytes.constData()) != 0)
        return {};
    const quint16 type = qFromLittleEndian<quint16>(bytes.constData() + 2);
    if (type != 1 && type != 2)
        return {};
    const qint64 count = qFromLittleEndian<quint16>(bytes.constData() + 4);
    const qint64 size = bytes.size();
    if (6 + count * 16 > size)
        return QStringLiteral("The icon file is truncated: it lists %1 pictures but ends within the list.").arg(count);
    for (qint64 i = 0; i < count; ++i) {
        const char *entry = bytes.constData() + 6 + i * 16;
        const qint64 length = qFromLittleEndian<quint32>(entry + 8);
        const qint64 at = qFromLittleEndian<quint32>(entry + 12);
        if (at > size || length > size - at)
            return QStringLiteral("The icon file is truncated: its picture %1 runs past the end of the file.")
                .arg(i + 1);
        QByteArray unused;
        if (QString refusal = pngRefusal(bytes.mid(at, length), unused); !refusal.isEmpty())
            return refusal;
    }
    return {};
}

QString unreadable(const QImageReader &reader)
{
    return QStringLiteral("The file cannot be read as a picture: %1").arg(reader.errorString());
}

} // namespace

Loaded loadBytes(QByteArray bytes)
{
    if (bytes.size() > kMaxFileBytes)
        return {{}, tooBig(bytes.size())};
    QByteArray rewritten; // what the image library reads instead, if anything
    QString refusal = bitmapRefusal(bytes, rewritten);
    if (refusal.isEmpty())
        refusal = pngRefusal(bytes, rewritten);
    if (refusal.isEmpty())
        refusal = iconRefusal(bytes);
    if (!refusal.isEmpty())
        return {{}, refusal};

    // One copy of the file at a time: with the rewritten one read, the
    // original goes (when the caller handed it over).
    QByteArray data = rewritten.isEmpty() ? std::move(bytes) : std::move(rewritten);
    bytes = QByteArray();
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // Qt's own guard against huge claims (in MB), in case a format's header
    // says less than its decoder will take.
    reader.setAllocationLimit(int(kMaxPixels * 4 / (1024 * 1024)));
    reader.setAutoTransform(false);

    const QSize claimed = reader.size();
    if (claimed.isValid())
        refusal = sizeRefusal(claimed.width(), claimed.height());
    if (!refusal.isEmpty())
        return {{}, refusal};

    // No canRead() here: after size() some readers (icons) answer false
    // for a file they read well; read() itself says when it cannot.
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return {{}, unreadable(reader)};
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        return {{},
                QStringLiteral("The picture is %1 x %2 pixels, too large for a logo.")
                    .arg(image.width())
                    .arg(image.height())};
    QImage result = opaque(image);
    if (result.isNull())
        return {{}, QStringLiteral("There is not enough memory to hold the picture.")};
    return {result, {}};
}

Loaded load(const QString &path)
{
    QByteArray bytes;
    const QString refusal = regularfile::read(
        path, kMaxFileBytes, {QStringLiteral("picture file"), QStringLiteral("any logo picture")}, bytes);
    if (!refusal.isEmpty())
        return {{}, refusal};
    return loadBytes(std::move(bytes));
}

} // namespace bitmap
