// The NV logo's plain functions: halftone, FS q raster, logo commands and the
// bitmap loader, checked against the documented values and hostile files.
#include "bitmap_loader.h"
#include "bmp_writer.h"
#include "halftone.h"
#include "logo_commands.h"
#include "logo_fit.h"
#include "raster.h"

#include <QDir>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "hex.h"

#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(raster::Status)

namespace {

// Where a hostile case lives: a file of the given bytes, or no file at all.
enum class Place {
    File,
    Fifo,
    Folder,
    Unreadable,
    Missing
};

long peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QImage filled(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

using PixelRule = std::function<bool(int x, int y)>; // true: black

QImage drawn(int w, int h, const PixelRule &black)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, black(x, y) ? 0xFF000000u : 0xFFFFFFFFu);
    return image;
}

QImage noise(int w, int h, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = 0xFF000000u | (rng.generate() & 0xFFFFFFu);
    }
    return image;
}

// The odd-format test picture: top row black, below it the left 8 columns
// black and the rest white (near white in 16 bits).
bool probeBlack(int x, int y)
{
    return y == 0 || x < 8;
}

QByteArray probeRow(int y, int bitCount)
{
    QByteArray row;
    switch (bitCount) {
    case 1:
        row = y == 0 ? QByteArray("\x00\x00", 2) : QByteArray("\x00\xFF", 2);
        break;
    case 4:
        row = QByteArray(4, '\0') + QByteArray(4, y == 0 ? '\x00' : '\x11');
        break;
    case 8:
        row = QByteArray(8, '\0') + QByteArray(8, y == 0 ? '\x00' : '\x01');
        break;
    case 16:
        row = QByteArray(16, '\0') + (y == 0 ? QByteArray(16, '\0') : QByteArray("\xFF\x7F", 2).repeated(8));
        break;
    case 24:
        row = QByteArray(24, '\0') + QByteArray(24, y == 0 ? '\x00' : '\xFF');
        break;
    case 32:
        row = QByteArray(32, '\0') + (y == 0 ? QByteArray(32, '\0') : QByteArray("\xFF\xFF\xFF\x00", 4).repeated(8));
        break;
    }
    row.resize(bmpfile::rowBytes(16, bitCount), '\0');
    return row;
}

QByteArray probeFile(int bitCount, std::uint32_t compression, bool topDown)
{
    bmpfile::Header h;
    h.width = 16;
    h.height = topDown ? -8 : 8;
    h.bitCount = std::uint16_t(bitCount);
    h.compression = compression;
    QByteArray pixels;
    for (int i = 0; i < 8; ++i) {
        const int y = topDown ? i : 7 - i;
        if (compression == 1) // RLE8: runs of (count, index), end of line
            pixels += y == 0 ? QByteArray("\x10\x00\x00\x00", 4) : QByteArray("\x08\x00\x08\x01\x00\x00", 6);
        else if (compression == 2) // RLE4: the index byte holds two pixels
            pixels += y == 0 ? QByteArray("\x10\x00\x00\x00", 4) : QByteArray("\x08\x00\x08\x11\x00\x00", 6);
        else
            pixels += probeRow(y, bitCount);
    }
    if (compression != 0)
        pixels += QByteArray("\x00\x01", 2);
    const int paletteSize = bitCount <= 8 ? (1 << bitCount) : 0;
    return bmpfile::file(h, bmpfile::palette(paletteSize), pixels);
}

QByteArray claim(std::int32_t w, std::int32_t h, std::uint16_t bitCount = 24, std::uint32_t compression = 0,
                 std::uint32_t colorsUsed = 0, std::int64_t offBits = -1, QByteArray pixels = QByteArray(64, '\0'))
{
    bmpfile::Header header;
    header.width = w;
    header.height = h;
    header.bitCount = bitCount;
    header.compression = compression;
    header.colorsUsed = colorsUsed;
    header.offBits = offBits;
    return bmpfile::file(header, bitCount <= 8 ? bmpfile::palette(1 << bitCount) : QByteArray(), pixels);
}

} // namespace

Q_DECLARE_METATYPE(Place)

class TstNvlogoPixels : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    long baselineKb_ = peakMemoryKb();
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir_.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void greyLevels_data();
    void greyLevels();
    void levelOneCell();
    void fastHalftoneMatchesPortable_data();
    void fastHalftoneMatchesPortable();
    void halftoneConvertsOtherFormats();

    void rasterExamples_data();
    void rasterExamples();
    void rasterSizeLimits_data();
    void rasterSizeLimits();
    void rasterPrintsOnlyExactBlack();
    void fitToPaper_data();
    void fitToPaper();
    void downloadOfSeveralSlots();

    void testPrint_data();
    void testPrint();
    void clearFlash();

    void oddFormatsLoad_data();
    void oddFormatsLoad();
    void rleSkippedPixelsAreBlack_data();
    void rleSkippedPixelsAreBlack();
    void hostileFilesAreRefusedOrHarmless_data();
    void hostileFilesAreRefusedOrHarmless();
    void otherPictureKinds();
};

void TstNvlogoPixels::greyLevels_data()
{
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("blackDots"); // of an 8 x 8 cell
    QTest::newRow("black") << qRgb(0, 0, 0) << 0 << 64;
    QTest::newRow("white") << qRgb(255, 255, 255) << 15 << 0;
    QTest::newRow("grey 128") << qRgb(128, 128, 128) << 8 << 29;
    QTest::newRow("red") << qRgb(255, 0, 0) << 4 << 48;
    QTest::newRow("green") << qRgb(0, 255, 0) << 9 << 25;
    QTest::newRow("blue") << qRgb(0, 0, 255) << 1 << 62;
    // Edges of the integer formula: 1599 / 1600 stays level 0.
    QTest::newRow("just under level 1") << qRgb(0, 27, 0) << 0 << 64;
    QTest::newRow("level 1") << qRgb(0, 28, 0) << 1 << 62;
    // The documented counts of the remaining levels (10 and 11 do not fall).
    QTest::newRow("level 2") << qRgb(40, 40, 40) << 2 << 57;
    QTest::newRow("level 3") << qRgb(56, 56, 56) << 3 << 53;
    QTest::newRow("level 5") << qRgb(88, 88, 88) << 5 << 44;
    QTest::newRow("level 6") << qRgb(104, 104, 104) << 6 << 39;
    QTest::newRow("level 7") << qRgb(120, 120, 120) << 7 << 33;
    QTest::newRow("level 10") << qRgb(168, 168, 168) << 10 << 21;
    QTest::newRow("level 11") << qRgb(184, 184, 184) << 11 << 24;
    QTest::newRow("level 12") << qRgb(200, 200, 200) << 12 << 16;
    QTest::newRow("level 13") << qRgb(216, 216, 216) << 13 << 11;
    QTest::newRow("level 14") << qRgb(232, 232, 232) << 14 << 2;
}

void TstNvlogoPixels::greyLevels()
{
    QFETCH(QRgb, colour);
    QFETCH(int, level);
    QFETCH(int, blackDots);
    QCOMPARE(int(halftone::greyLevel(qRed(colour), qGreen(colour), qBlue(colour))), level);

    // A 16 x 16 patch: four cells, each with the level's count of black dots,
    // and nothing but pure black and pure white.
    QImage image = filled(16, 16, colour);
    halftone::apply(image);
    QCOMPARE(image.format(), QImage::Format_RGB32);
    for (int cy = 0; cy < 2; ++cy)
        for (int cx = 0; cx < 2; ++cx) {
            int count = 0;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const QRgb p = image.pixel(cx * 8 + x, cy * 8 + y);
                    QVERIFY(p == 0xFF000000u || p == 0xFFFFFFFFu);
                    count += p == 0xFF000000u;
                }
            QCOMPARE(count, blackDots);
        }
}

void TstNvlogoPixels::levelOneCell()
{
    QImage image = filled(8, 8, qRgb(0, 0, 255));
    halftone::apply(image);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool white = (x == 2 && y == 5) || (x == 5 && y == 2);
            QCOMPARE(image.pixel(x, y), white ? 0xFFFFFFFFu : 0xFF000000u);
        }
}

void TstNvlogoPixels::fastHalftoneMatchesPortable_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    for (int w : {1, 7, 15, 16, 17, 33, 576})
        QTest::addRow("%d wide", w) << w << 19;
}

void TstNvlogoPixels::fastHalftoneMatchesPortable()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const QImage source = noise(width, height, quint32(width));
    QImage fast = source;
    QImage portable = source;
    halftone::apply(fast);
    halftone::applyPortable(portable);
    QCOMPARE(fast, portable);
    // The portable path against the formula and the table, pixel by pixel.
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb s = source.pixel(x, y);
            const bool black = halftone::isBlack(halftone::greyLevel(qRed(s), qGreen(s), qBlue(s)), x, y);
            QCOMPARE(portable.pixel(x, y), black ? 0xFF000000u : 0xFFFFFFFFu);
        }
}

void TstNvlogoPixels::halftoneConvertsOtherFormats()
{
    QImage indexed(8, 8, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(0, 0, 255)});
    indexed.fill(0);
    halftone::apply(indexed);
    QCOMPARE(indexed.format(), QImage::Format_RGB32);
    QCOMPARE(indexed.pixel(2, 5), 0xFFFFFFFFu);
    QCOMPARE(indexed.pixel(0, 0), 0xFF000000u);

    QImage empty;
    halftone::apply(empty);
    QVERIFY(empty.isNull());
}

void TstNvlogoPixels::rasterExamples_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QByteArray>("command");
    QTest::newRow("16x8 black") << filled(16, 8, 0xFF000000u)
                                << QByteArray("1C 71 01 02 00 01 00 ") + QByteArray("FF ").repeated(15) + "FF";
    QTest::newRow("8x16 top black") << drawn(8, 16, [](int, int y) { return y < 8; })
                                    << QByteArray("1C 71 01 01 00 02 00 ") + QByteArray("FF 00 ").repeated(7) + "FF 00";
    QTest::newRow("10x9 black drops edge")
        << filled(10, 9, 0xFF000000u) << QByteArray("1C 71 01 01 00 01 00 ") + QByteArray("FF ").repeated(7) + "FF";
    // Bit 7 is the topmost dot; bytes run down a column, then to the next.
    QTest::newRow("one dot at (3, 10)") << drawn(16, 16, [](int x, int y) { return x == 3 && y == 10; })
                                        << QByteArray("1C 71 01 02 00 02 00 ") + QByteArray("00 ").repeated(7) + "20 " +
                                               QByteArray("00 ").repeated(23) + "00";
    QTest::newRow("diagonal") << drawn(8, 8, [](int x, int y) { return x == y; })
                              << QByteArray("1C 71 01 01 00 01 00 80 40 20 10 08 04 02 01");
}

void TstNvlogoPixels::rasterExamples()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, command);
    const raster::Result r = raster::downloadCommand({image});
    QCOMPARE(r.status, raster::Status::Ok);
    QCOMPARE(hexOf(r.bytes), command);
}

void TstNvlogoPixels::rasterSizeLimits_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<raster::Status>("status");
    QTest::addColumn<QByteArray>("header"); // xL xH yL yH when sent
    QTest::newRow("576x232 sent") << 576 << 232 << raster::Status::Ok << QByteArray("48 00 1D 00");
    QTest::newRow("576x240 refused") << 576 << 240 << raster::Status::TooLarge << QByteArray();
    QTest::newRow("384x352 sent") << 384 << 352 << raster::Status::Ok << QByteArray("30 00 2C 00");
    QTest::newRow("384x360 refused") << 384 << 360 << raster::Status::TooLarge << QByteArray();
    QTest::newRow("200x680 sent, exactly 17000") << 200 << 680 << raster::Status::Ok << QByteArray("19 00 55 00");
    QTest::newRow("200x688 refused") << 200 << 688 << raster::Status::TooLarge << QByteArray();
    QTest::newRow("64x2048 high byte") << 64 << 2048 << raster::Status::Ok << QByteArray("08 00 00 01");
    QTest::newRow("7 wide") << 7 << 64 << raster::Status::TooSmall << QByteArray();
    QTest::newRow("7 high") << 64 << 7 << raster::Status::TooSmall << QByteArray();
    QTest::newRow("8x8 smallest") << 8 << 8 << raster::Status::Ok << QByteArray("01 00 01 00");
}

void TstNvlogoPixels::rasterSizeLimits()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(raster::Status, status);
    QFETCH(QByteArray, header);
    const raster::Result r = raster::downloadCommand({filled(width, height, 0xFF000000u)});
    QCOMPARE(r.status, status);
    if (status != raster::Status::Ok) {
        QVERIFY(r.bytes.empty());
        return;
    }
    const std::size_t k = std::size_t(width / 8) * std::size_t(height / 8) * 8;
    QCOMPARE(r.bytes.size(), 3 + 4 + k);
    QCOMPARE(hexOf(Bytes(r.bytes.begin() + 3, r.bytes.begin() + 7)), header);
}

void TstNvlogoPixels::rasterPrintsOnlyExactBlack()
{
    // Columns: black, grey 128, almost black (0, 0, 1), white; only the
    // first prints.
    const QRgb colours[4] = {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(0, 0, 1), qRgb(255, 255, 255)};
    QImage image(32, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 32; ++x)
            image.setPixel(x, y, colours[x / 8]);
    const raster::Result r = raster::imageBlock(image);
    QCOMPARE(hexOf(r.bytes),
             QByteArray("04 00 01 00 ") + QByteArray("FF ").repeated(8) + QByteArray("00 ").repeated(23) + "00");
    // Another pixel format gives the same bytes.
    QCOMPARE(raster::imageBlock(image.convertToFormat(QImage::Format_RGB888)).bytes, r.bytes);
}

// A picture wider than the paper is scaled to its width with the proportions
// kept, averaging the dots it merges; a partial last band gets white rows.
// The source alternates black and white columns, so an averaging filter
// gives grey where a nearest-dot one would give pure black or white.
void TstNvlogoPixels::fitToPaper_data()
{
    QTest::addColumn<QSize>("source");
    QTest::addColumn<int>("maxWidth");
    QTest::addColumn<QSize>("stored");
    QTest::newRow("1152x140 to 576") << QSize(1152, 140) << 576 << QSize(576, 72);
    QTest::newRow("800x140 to 384") << QSize(800, 140) << 384 << QSize(384, 72);
    QTest::newRow("3000x2 keeps a row") << QSize(3000, 2) << 576 << QSize(576, 8);
    QTest::newRow("360x140 padded") << QSize(360, 140) << 576 << QSize(360, 144);
    QTest::newRow("576x136 as it is") << QSize(576, 136) << 576 << QSize(576, 136);
}

void TstNvlogoPixels::fitToPaper()
{
    QFETCH(QSize, source);
    QFETCH(int, maxWidth);
    QFETCH(QSize, stored);
    QImage image(source, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, x % 2 ? 0xFFFFFFFFu : 0xFF000000u);

    const QImage fitted = logo::fitToWidth(image, maxWidth);
    const QImage out = logo::padToWholeBands(fitted);
    QCOMPARE(out.size(), stored);
    QCOMPARE(out.format(), QImage::Format_RGB32);
    const bool scaled = source.width() > maxWidth;
    if (scaled) // the height follows the width's ratio, rounded
        QCOMPARE(fitted.height(),
                 qMax(1, int((qint64(source.height()) * maxWidth + source.width() / 2) / source.width())));
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            const int grey = qGray(out.pixel(x, y));
            if (y >= fitted.height())
                QVERIFY2(grey == 255, qPrintable(QStringLiteral("padding at %1,%2").arg(x).arg(y)));
            else if (scaled)
                QVERIFY2(grey > 80 && grey < 175, qPrintable(QStringLiteral("%1 at %2,%3").arg(grey).arg(x).arg(y)));
            else
                QCOMPARE(out.pixel(x, y), image.pixel(x, y));
        }
    }
}

void TstNvlogoPixels::downloadOfSeveralSlots()
{
    const raster::Result two = raster::downloadCommand({filled(8, 8, 0xFF000000u), filled(8, 8, 0xFFFFFFFFu)});
    QCOMPARE(hexOf(two.bytes), QByteArray("1C 71 02 01 00 01 00 ") + QByteArray("FF ").repeated(8) + "01 00 01 00 " +
                                   QByteArray("00 ").repeated(7) + "00");
    // A slot below n without a picture refuses the whole download.
    const raster::Result gap = raster::downloadCommand({QImage(), filled(8, 8, 0xFF000000u)});
    QCOMPARE(gap.status, raster::Status::NoImage);
    QVERIFY(gap.bytes.empty());
    // A later slot too large refuses the lot.
    QCOMPARE(raster::downloadCommand({filled(8, 8, 0), filled(576, 240, 0)}).status, raster::Status::TooLarge);
}

void TstNvlogoPixels::testPrint_data()
{
    QTest::addColumn<logo::Alignment>("alignment");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("left") << logo::Alignment::Left << QByteArray("1B 61 00 1C 70 01 00");
    QTest::newRow("middle") << logo::Alignment::Middle << QByteArray("1B 61 01 1C 70 01 00");
    QTest::newRow("right") << logo::Alignment::Right << QByteArray("1B 61 02 1C 70 01 00");
}

void TstNvlogoPixels::testPrint()
{
    QFETCH(logo::Alignment, alignment);
    QFETCH(QByteArray, bytes);
    const Command c = logo::testPrintCommand(alignment, 1);
    QCOMPARE(hexOf(c.bytes), bytes);
    QCOMPARE(QByteArray(c.docName), QByteArray("Print NV Logo"));
}

void TstNvlogoPixels::clearFlash()
{
    const Command c = logo::clearFlashCommand();
    QCOMPARE(hexOf(c.bytes), QByteArray("1C 71 00"));
    QCOMPARE(QByteArray(c.docName), QByteArray("Clear NV LOGO"));
}

void TstNvlogoPixels::oddFormatsLoad_data()
{
    QTest::addColumn<QByteArray>("file");
    for (int bits : {1, 4, 8, 16, 24, 32})
        QTest::addRow("%d bits", bits) << probeFile(bits, 0, false);
    QTest::newRow("8 bits RLE") << probeFile(8, 1, false);
    QTest::newRow("4 bits RLE") << probeFile(4, 2, false);
    QTest::newRow("24 bits top-down") << probeFile(24, 0, true);
    QTest::newRow("8 bits top-down") << probeFile(8, 0, true);
}

void TstNvlogoPixels::oddFormatsLoad()
{
    QFETCH(QByteArray, file);
    const bitmap::Loaded loaded = bitmap::load(write(QStringLiteral("odd.bmp"), file));
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    QCOMPARE(loaded.image.size(), QSize(16, 8));
    QCOMPARE(loaded.image.format(), QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            QCOMPARE(loaded.image.pixel(x, y) == 0xFF000000u, probeBlack(x, y));
}

void TstNvlogoPixels::rleSkippedPixelsAreBlack_data()
{
    // White (index 1) at the bottom row's first two pixels and at (5, 5);
    // a move, an early end of line and an early end leave the rest unset.
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("RLE8") << claim(16, 8, 8, 1, 0, -1,
                                   QByteArray("\x02\x01\x00\x00\x00\x02\x05\x01\x01\x01\x00\x01", 12));
    QTest::newRow("RLE4") << claim(16, 8, 4, 2, 0, -1,
                                   QByteArray("\x02\x11\x00\x00\x00\x02\x05\x01\x01\x10\x00\x01", 12));
}

void TstNvlogoPixels::rleSkippedPixelsAreBlack()
{
    QFETCH(QByteArray, file);
    // Leave plenty of used memory about, so that unset pixels would show.
    for (int i = 0; i < 50; ++i)
        QImage grey = filled(16, 8, 0xFF808080u).convertToFormat(QImage::Format_Indexed8);
    const bitmap::Loaded loaded = bitmap::load(write(QStringLiteral("skipping.bmp"), file));
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool white = (y == 7 && x < 2) || (y == 5 && x == 5);
            QCOMPARE(loaded.image.pixel(x, y), white ? 0xFFFFFFFFu : 0xFF000000u);
        }
}

void TstNvlogoPixels::hostileFilesAreRefusedOrHarmless_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Place>("place");
    QTest::addColumn<bool>("mustRefuse");
    QTest::addColumn<QString>("reasonHas"); // part of the message, when refused
    const auto row = [](const char *name, const QByteArray &file, bool mustRefuse, const char *reasonHas = "",
                        Place place = Place::File) {
        QTest::newRow(name) << file << place << mustRefuse << QString::fromLatin1(reasonHas);
    };

    const QByteArray good = probeFile(24, 0, false);
    row("claims 100000 x 100000", claim(100000, 100000), true, "100000 x 100000");
    row("claims 16385 wide", claim(16385, 1), true, "16385 x 1");
    row("claims 1 x 2000000 top-down", claim(1, -2000000), true, "too large");
    row("claims 8192 x 8192", claim(8192, 8192), true, "8192 x 8192");
    row("claims 8192 x 8192 in RLE8", claim(8192, 8192, 8, 1), true, "too large");
    QByteArray core("BM");
    bmpfile::put32(core, 64);
    bmpfile::put32(core, 0);
    bmpfile::put32(core, 26);
    for (std::uint16_t v : {12, 0, 0xFFFF, 0xFFFF, 1, 24}) // core header: size (32 bits), w, h, planes, bits
        bmpfile::put16(core, v);
    row("old core header claims 65535 x 65535", core + QByteArray(38, '\0'), true, "65535 x 65535");
    row("zero width", claim(0, 8), true);
    row("negative width", claim(-16, 8), true);
    row("height INT_MIN", claim(16, INT_MIN), true);
    row("7 bits a pixel", claim(16, 8, 7), true);
    row("RLE8 with 24 bits", claim(16, 8, 24, 1), true);
    row("not a picture", QByteArray("hello, this is no bitmap\n"), true);
    row("empty file", QByteArray(), true);
    row("magic only", QByteArray("BM"), true);
    row("headers cut short", good.left(30), true);
    row("palette of 4 billion colours", claim(16, 8, 8, 0, 0xFFFFFFFFu), false);

    // Pixels the headers promise but the file lacks: the image library would
    // fill the picture from memory it never wrote.
    row("header without pixels", good.left(54), true, "start at byte 54, but the file holds only 54 bytes");
    row("half the pixels", good.left(54 + 96), true, "promises 384 bytes of pixels but the file holds 96");
    row("200 x 200 holding 1000 of its 120000 pixel bytes", claim(200, 200, 24, 0, 0, -1, QByteArray(1000, '\0')), true,
        "promises 120000 bytes of pixels but the file holds 1000");
    row("pixels start at 0x7FFFFFF0", claim(16, 8, 24, 0, 0, 0x7FFFFFF0), true, "start at byte 2147483632");
    row("pixels start past the end", claim(16, 8, 24, 0, 0, 1 << 30), true, "start at byte 1073741824");
    row("palette past the end", claim(16, 8, 8, 0, 256, -1, QByteArray()).left(60), true, "start at byte 1078");
    // Pixels said to start within the headers: the image library reads on
    // from after the colour table and leaves the rows it misses unfilled.
    row("8-bit pixels said to start at byte 0", claim(8, 200, 8, 0, 256, 0, QByteArray(522, '\x01')), true,
        "within its headers and colour table, which end at byte 1078");
    row("24-bit pixels said to start at byte 0", claim(200, 200, 24, 0, 0, 0, QByteArray(120000 - 54, '\0')), true,
        "which end at byte 54");
    const char *noEnd = "end-of-bitmap code";
    row("RLE8 without end", claim(16, 8, 8, 1, 0, -1, QByteArray("\x04\x01", 2)), true, noEnd);
    row("RLE4 literal run past the end", claim(16, 8, 4, 2, 0, -1, QByteArray("\x00\xFF\x12\x34", 4)), true, noEnd);
    // The literal's padding byte and the next are no end code; nor are a
    // move's two distances.
    row("RLE8 end code only in a literal's padding",
        claim(16, 8, 8, 1, 0, -1, QByteArray("\x00\x03\x05\x05\x05\x00\x01\x00", 8)), true, noEnd);
    row("RLE8 end code only in a move", claim(16, 8, 8, 1, 0, -1, QByteArray("\x00\x02\x00\x01", 4)), true, noEnd);
    row("RLE4 odd literal, then the end", claim(16, 8, 4, 2, 0, -1, QByteArray("\x00\x05\x12\x34\x50\x00\x00\x01", 8)),
        false);
    // Found by fuzzing: a few bytes unpack to a large picture, which must
    // still stay within the memory bound.
    row("RLE4 of 14608 x 520 in 120 bytes", claim(14608, 520, 4, 2, 0, -1, QByteArray("\x00\x01", 2)), false);
    row("RLE8 runs past the row",
        claim(16, 8, 8, 1, 0, -1, QByteArray("\xFF\x01\xFF\x01\xFF\x01\x00\x02\xFF\xFF\x05\x01\x00\x01", 14)), false);

    // A PNG chunk claiming 2 GB made the image library reserve it.
    // Signature, then a 16 x 16 IHDR with its check.
    const QByteArray png =
        QByteArray::fromHex("89504E470D0A1A0A 0000000D49484452 0000001000000010 0802000000 90916836");
    row("PNG chunk of 2 GB in a 44-byte file", png + QByteArray::fromHex("7FFFFFFF74455874") + "abc", true,
        "\"tEXt\" chunk claims 2147483647 bytes");
    row("PNG without its closing chunk", png, true, "truncated");
    // The same PNG as the one picture of an icon file, which the image
    // library reads as a PNG too.
    QByteArray icon = QByteArray::fromHex("0000 0100 0100 10 10 00 00 0100 2000");
    const QByteArray bigChunk = png + QByteArray::fromHex("7FFFFFFF74455874") + "abc";
    bmpfile::put32(icon, std::uint32_t(bigChunk.size()));
    bmpfile::put32(icon, 22);
    row("icon holding a PNG chunk of 2 GB", icon + bigChunk, true, "\"tEXt\" chunk claims 2147483647 bytes");
    row("icon whose picture runs past the end", icon + bigChunk.left(20), true, "runs past the end");

    // Not files at all, or not ours to read.
    row("named pipe", {}, true, "named pipe (FIFO)", Place::Fifo);
    row("folder", {}, true, "folder", Place::Folder);
    row("unreadable", good, true, "Permission denied", Place::Unreadable);
    row("missing", {}, true, "not found", Place::Missing);
}

void TstNvlogoPixels::hostileFilesAreRefusedOrHarmless()
{
    QFETCH(QByteArray, file);
    QFETCH(Place, place);
    QFETCH(bool, mustRefuse);
    QFETCH(QString, reasonHas);
    if (place == Place::Unreadable && ::geteuid() == 0)
        QSKIP("root reads any file");
    static int serial = 0;
    const QString name = QStringLiteral("hostile-%1.bmp").arg(++serial);
    const QString path = dir_.filePath(name);
    switch (place) {
    case Place::File:
    case Place::Unreadable:
        write(name, file);
        if (place == Place::Unreadable)
            QVERIFY(QFile::setPermissions(path, {}));
        break;
    case Place::Fifo:
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Place::Folder:
        QVERIFY(QDir().mkpath(path));
        break;
    case Place::Missing:
        break;
    }
    QElapsedTimer clock;
    clock.start();
    const bitmap::Loaded loaded = bitmap::load(path);
    // A bomb (a tiny file claiming a huge picture) would take far longer; the
    // largest picture within the limits takes a fraction of this.
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY2(peakMemoryKb() - baselineKb_ < 256 * 1024, "a file made the loader take more than 256 MB");
    if (mustRefuse)
        QVERIFY2(!loaded.ok(), "not refused");
    if (!loaded.ok()) {
        QVERIFY(!loaded.error.isEmpty());
        QVERIFY2(loaded.error.contains(reasonHas), qPrintable(loaded.error));
        return;
    }
    // Whatever a lenient reader made of it is a small opaque picture.
    QCOMPARE(loaded.image.format(), QImage::Format_RGB32);
    QVERIFY(loaded.image.width() <= bitmap::kMaxSide && loaded.image.height() <= bitmap::kMaxSide);
}

void TstNvlogoPixels::otherPictureKinds()
{
    // A PNG is taken as its pixels; transparent parts become white paper.
    QImage png(16, 8, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    for (int y = 0; y < 8; ++y)
        png.setPixel(0, y, 0xFF000000u);
    const QString path = dir_.filePath(QStringLiteral("logo.png"));
    QVERIFY(png.save(path, "PNG"));
    const bitmap::Loaded loaded = bitmap::load(path);
    QVERIFY2(loaded.ok(), qPrintable(loaded.error));
    QCOMPARE(loaded.image.pixel(0, 3), 0xFF000000u);
    QCOMPARE(loaded.image.pixel(5, 3), 0xFFFFFFFFu);

    // Icons and portable pixmaps load too (icons were once refused as
    // unreadable).
    for (const char *kind : {"ico", "ppm"}) {
        const QString other = dir_.filePath(QStringLiteral("logo.") + QLatin1String(kind));
        QVERIFY(png.convertToFormat(QImage::Format_RGB32).save(other, kind));
        const bitmap::Loaded read = bitmap::load(other);
        QVERIFY2(read.ok(), qPrintable(QLatin1String(kind) + QStringLiteral(": ") + read.error));
        QCOMPARE(read.image.pixel(0, 3), 0xFF000000u);
    }

    const bitmap::Loaded missing = bitmap::load(dir_.filePath(QStringLiteral("no such file.bmp")));
    QVERIFY(!missing.ok());
    QVERIFY(!missing.error.isEmpty());
}

QTEST_GUILESS_MAIN(TstNvlogoPixels)
#include "tst_nvlogo_pixels.moc"
