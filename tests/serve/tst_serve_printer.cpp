// The virtual printer fed with the program's own command bytes: the state
// each command leaves, the receipts, broken and split streams.
#include "serve_feed.h"

#include "bitmap_font.h"
#include "config_commands.h"
#include "logo_commands.h"
#include "maintenance_commands.h"
#include "raster.h"
#include "receipt_pictures.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QtTest>

namespace {

using Set = InstructionSet;

// A picture with black dots in a fixed scatter, the halftone's colours.
QImage scatter(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, rng.bounded(3) == 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return image;
}

} // namespace

class TestServePrinter : public QObject
{
    Q_OBJECT

private slots:
    void eachCommandSetsItsKey_data();
    void eachCommandSetsItsKey();
    void factoryResetRestoresTheDefaults();
    void receiptPerCutOrPerJob_data();
    void receiptPerCutOrPerJob();
    void logoPrintShowsTheRasterDotForDot_data();
    void logoPrintShowsTheRasterDotForDot();
    void logoPrintOfAnEmptySlotPrintsNothing();
    void textShowsTheFontDotForDot_data();
    void textShowsTheFontDotForDot();
    void qrPrintShowsTheStoredText();
    void unknownBytesAreCountedAndTheRestStillWorks();
    void splitStreamGivesTheSameState_data();
    void splitStreamGivesTheSameState();
    void commandCutAfterAMegabyteOfTextWaitsForItsRest();
    void hostileHeadersStayBounded();
    void drawingStopsAtItsBoundsAndSaysSoOnce_data();
    void drawingStopsAtItsBoundsAndSaysSoOnce();
    void aWaitingRunIsHandedOnNotScannedAgain();
};

void TestServePrinter::eachCommandSetsItsKey_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("expected");

    for (const Set set : {Set::New, Set::Old}) {
        const char *s = set == Set::New ? "new" : "old";
        QTest::addRow("code page, %s", s) << toBytes(codePageCommand(set, 36).bytes) << "codePage" << QJsonValue(36);
        QTest::addRow("baud rate, %s", s)
            << toBytes(baudRateCommand(set, 230400).bytes) << "baudRate" << QJsonValue(230400);
        QTest::addRow("darkness, %s", s) << toBytes(darknessCommand(set, 40).bytes) << "darkness" << QJsonValue(40);
        QTest::addRow("buzzer 6, %s", s) << toBytes(buzzerCommand(set, 0x06).bytes) << "buzzer"
                                         << QJsonValue(set == Set::New ? 6 : 15);
        QTest::addRow("buzzer off, %s", s) << toBytes(buzzerCommand(set, 0).bytes) << "buzzer" << QJsonValue(0);
    }
    QTest::newRow("barcode off") << toBytes(barcodeCommand(false).bytes) << "barcode" << QJsonValue(false);
    QTest::newRow("black mark on") << toBytes(blackMarkCommand(true).bytes) << "blackMark" << QJsonValue(true);
    QTest::newRow("cutter off") << toBytes(cutterCommand(false).bytes) << "cutter" << QJsonValue(false);
    QTest::newRow("cut mode half") << toBytes(cutModeCommand(false).bytes) << "cutMode" << QJsonValue("half");
    QTest::newRow("cut feed drive") << toBytes(cutFeedCommands(false)) << "cutFeed" << QJsonValue("drive");
    QTest::newRow("cut feed command after drive")
        << toBytes(cutFeedCommands(false)) + toBytes(cutFeedCommands(true)) << "cutFeed" << QJsonValue("command");
    QTest::newRow("full cut") << toBytes(fullCutCommand().bytes) << "cuts" << QJsonValue(1);
    QTest::newRow("half cut") << toBytes(halfCutCommand().bytes) << "cuts" << QJsonValue(1);
    QTest::newRow("function list cuts") << toBytes(functionListCommand().bytes) << "cuts" << QJsonValue(1);
    QTest::newRow("cash drawer") << toBytes(cashDrawerCommand().bytes) + toBytes(cashDrawerCommand().bytes)
                                 << "drawerPulses" << QJsonValue(2);
    QTest::newRow("QR text") << toBytes(qrStoreCommand(kQrText).bytes) << "qrText"
                             << QJsonValue(QLatin1String(kQrText));
    QTest::newRow("QR text in UTF-8") << toBytes(qrStoreCommand(QStringLiteral("Café 中").toUtf8()).bytes) << "qrText"
                                      << QJsonValue(QStringLiteral("Café 中"));
    QTest::newRow("QR text in another encoding")
        << toBytes(qrStoreCommand(QByteArray("Caf\xe9")).bytes) << "qrText" << QJsonValue(QStringLiteral("Café"));
    QTest::newRow("logos") << toBytes(raster::downloadCommand({scatter(16, 8, 1), scatter(24, 16, 2)}).bytes) << "logos"
                           << QJsonValue(QJsonArray{QJsonObject{{"width", 16}, {"height", 8}},
                                                    QJsonObject{{"width", 24}, {"height", 16}}});
    QTest::newRow("logos cleared") << toBytes(raster::downloadCommand({scatter(16, 8, 1)}).bytes) +
                                          toBytes(logo::clearFlashCommand().bytes)
                                   << "logos" << QJsonValue(QJsonArray{});
}

void TestServePrinter::eachCommandSetsItsKey()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, key);
    QFETCH(QJsonValue, expected);
    VirtualPrinter printer(576);
    const QJsonObject before = stateOf(printer);
    feedJob(printer, bytes);
    const QJsonObject after = stateOf(printer);
    QCOMPARE(after.value(key), expected);
    QCOMPARE(after.value("unknownBytes"), QJsonValue(0));
    // Every other key keeps its value (the list commands count their cut).
    for (const QString &other : before.keys())
        if (other != key && other != QLatin1String("cuts"))
            QVERIFY2(after.value(other) == before.value(other), qPrintable(other));
}

void TestServePrinter::factoryResetRestoresTheDefaults()
{
    VirtualPrinter printer(576);
    const QJsonObject fresh = stateOf(printer);
    QByteArray all;
    all += toBytes(codePageCommand(Set::New, 15).bytes) + toBytes(darknessCommand(Set::Old, 5).bytes) +
           toBytes(barcodeCommand(false).bytes) + toBytes(cutModeCommand(false).bytes) +
           toBytes(cutFeedCommands(false)) + toBytes(buzzerCommand(Set::New, 9).bytes) +
           toBytes(raster::downloadCommand({scatter(8, 8, 3)}).bytes) + toBytes(qrStoreCommand("kept").bytes);
    feedJob(printer, all);
    feedJob(printer, toBytes(factoryRestoreCommand().bytes));
    const QJsonObject reset = stateOf(printer);
    for (const char *key :
         {"codePage", "baudRate", "darkness", "barcode", "cutter", "blackMark", "buzzer", "cutMode", "cutFeed"})
        QVERIFY2(reset.value(key) == fresh.value(key), key);
    // The flash and the counters are not settings.
    QCOMPARE(reset.value("logos").toArray().size(), 1);
    QCOMPARE(reset.value("qrText"), QJsonValue("kept"));
    QCOMPARE(reset.value("cuts"), QJsonValue(1));
}

void TestServePrinter::receiptPerCutOrPerJob_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("receipts");
    QTest::newRow("cut with nothing printed") << toBytes(fullCutCommand().bytes) << 0;
    QTest::newRow("list, cut, feeds") << toBytes(codePageListCommand().bytes) << 1;
    QTest::newRow("feeds only") << QByteArray("\n\n\x1bi\n") << 0;
    QTest::newRow("code page: list then cut") << toBytes(codePageCommand(Set::Old, 0).bytes) << 1;
    QTest::newRow("text, no cut") << QByteArray("hello\n") << 1;
    QTest::newRow("text, cut, text, cut") << QByteArray("a\n\x1bi b\n\x1bm") << 2;
}

void TestServePrinter::receiptPerCutOrPerJob()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, receipts);
    VirtualPrinter printer(384);
    feedJob(printer, bytes);
    const std::vector<QImage> got = printer.takeReceipts();
    QCOMPARE(int(got.size()), receipts);
    for (const QImage &r : got) {
        QCOMPARE(r.width(), 384);
        QVERIFY(r.height() > 0);
    }
}

void TestServePrinter::logoPrintShowsTheRasterDotForDot_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("left");
    QTest::newRow("left, 80 mm") << int(logo::Alignment::Left) << 576 << 0;
    QTest::newRow("middle, 80 mm") << int(logo::Alignment::Middle) << 576 << (576 - 200) / 2;
    QTest::newRow("right, 58 mm") << int(logo::Alignment::Right) << 384 << 384 - 200;
}

void TestServePrinter::logoPrintShowsTheRasterDotForDot()
{
    QFETCH(int, alignment);
    QFETCH(int, paper);
    QFETCH(int, left);
    // The second of two stored logos, 200 x 96 dots.
    const QImage picture = scatter(200, 96, 7);
    const raster::Result download = raster::downloadCommand({scatter(64, 32, 8), picture});
    QCOMPARE(download.status, raster::Status::Ok);
    VirtualPrinter printer(paper);
    feedJob(printer, toBytes(download.bytes));
    feedJob(printer,
            toBytes(logo::testPrintCommand(logo::Alignment(alignment), 2).bytes) + toBytes(fullCutCommand().bytes));
    const std::vector<QImage> receipts = printer.takeReceipts();
    QCOMPARE(int(receipts.size()), 1);
    const QImage &r = receipts.front();
    QCOMPARE(r.width(), paper);
    QCOMPARE(r.height(), picture.height());
    QCOMPARE(blackDots(r), blackDots(picture));
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if ((r.pixelColor(left + x, y).value() < 128) != (picture.pixel(x, y) == qRgb(0, 0, 0)))
                QFAIL(qPrintable(QStringLiteral("dot %1,%2 differs").arg(x).arg(y)));
}

void TestServePrinter::textShowsTheFontDotForDot_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("align"); // ESC a n
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("linesBefore"); // blank lines fed first
    QTest::addColumn<int>("left");        // where the line starts
    QTest::newRow("left, 80 mm") << 576 << 0 << QByteArray("Ag|~ .") << 0 << 0;
    QTest::newRow("middle, 80 mm, odd byte offset") << 576 << 1 << QByteArray("xyz") << 0 << (576 - 36) / 2;
    QTest::newRow("right, 58 mm") << 384 << 2 << QByteArray("#@") << 0 << 384 - 24;
    QTest::newRow("a full line, 58 mm") << 384 << 0 << QByteArray(32, 'W') << 0 << 0;
    QTest::newRow("paper narrower than a row of words") << 20 << 2 << QByteArray("M") << 0 << 8;
    QTest::newRow("paper narrower than a character") << 10 << 0 << QByteArray("M") << 0 << 0;
    // Past half the longest paper the receipt is handed on as drawn, not copied.
    QTest::newRow("below 1300 blank lines") << 576 << 1 << QByteArray("end") << 1300 << (576 - 36) / 2;
}

void TestServePrinter::textShowsTheFontDotForDot()
{
    QFETCH(int, paper);
    QFETCH(int, align);
    QFETCH(QByteArray, line);
    QFETCH(int, linesBefore);
    QFETCH(int, left);
    VirtualPrinter printer(paper);
    feedJob(printer, QByteArray(linesBefore, '\n') + QByteArray("\x1b\x61") + char(align) + line + "\n" +
                         toBytes(fullCutCommand().bytes));
    const std::vector<QImage> receipts = printer.takeReceipts();
    QCOMPARE(int(receipts.size()), 1);
    const QImage &r = receipts.front();
    const int top = linesBefore * receipt_font::kCellHeight;
    QCOMPARE(r.width(), paper);
    QCOMPARE(r.height(), top + receipt_font::kCellHeight);
    QCOMPARE(r.format(), QImage::Format_Mono);
    QCOMPARE(r.color(1), qRgb(0, 0, 0));
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < paper; ++x) {
            const bool black = r.constScanLine(y)[x >> 3] & (0x80 >> (x & 7));
            const int i = (x - left) / receipt_font::kCellWidth, dx = (x - left) % receipt_font::kCellWidth;
            const bool inked = y >= top && x >= left && i < line.size() &&
                               receipt_font::cell(static_cast<unsigned char>(line.at(i)))[std::size_t(y - top)] &
                                   (1u << (receipt_font::kCellWidth - 1 - dx));
            if (black != inked)
                QFAIL(qPrintable(QStringLiteral("dot %1,%2 differs").arg(x).arg(y)));
        }
}

void TestServePrinter::logoPrintOfAnEmptySlotPrintsNothing()
{
    VirtualPrinter printer(576);
    decoder::Decoded print;
    print.kind = decoder::Kind::LogoPrint;
    print.value = 1;
    QVERIFY(printer.apply(print).contains(QLatin1String("no logo 1")));
    printer.endJob();
    QVERIFY(printer.takeReceipts().empty());
}

void TestServePrinter::qrPrintShowsTheStoredText()
{
    VirtualPrinter printer(384);
    feedJob(printer, toBytes(qrPrintCommand().bytes));
    QVERIFY(printer.takeReceipts().empty()); // nothing stored yet
    feedJob(printer, toBytes(qrStoreCommand(kQrText).bytes) + toBytes(qrPrintCommand().bytes));
    const std::vector<QImage> receipts = printer.takeReceipts();
    QCOMPARE(int(receipts.size()), 1);
    // The symbol's three finder patterns: a black 7-module square in three
    // corners of it, so the receipt holds far more than a few dots.
    const QImage symbol = qrPicture(QByteArray(kQrText), 384);
    QVERIFY(!symbol.isNull());
    QVERIFY(symbol.width() <= 384);
    QCOMPARE(blackDots(receipts.front()), blackDots(symbol));
}

void TestServePrinter::unknownBytesAreCountedAndTheRestStillWorks()
{
    VirtualPrinter printer(576);
    const QByteArray garbage("\x00\x01\x02\x03", 4);
    feedJob(printer,
            garbage + toBytes(cashDrawerCommand().bytes) + garbage + toBytes(darknessCommand(Set::New, 7).bytes));
    const QJsonObject s = stateOf(printer);
    QCOMPARE(s.value("drawerPulses"), QJsonValue(1));
    QCOMPARE(s.value("darkness"), QJsonValue(7));
    QCOMPARE(s.value("unknownBytes"), QJsonValue(8));
    // A stream cut off inside a command: the rest is unknown, not lost.
    VirtualPrinter cut(576);
    const QByteArray logo = toBytes(raster::downloadCommand({scatter(64, 64, 4)}).bytes);
    feedJob(cut, logo.left(logo.size() / 2));
    QCOMPARE(stateOf(cut).value("unknownBytes"), QJsonValue(logo.size() / 2));
    QCOMPARE(stateOf(cut).value("logos").toArray().size(), 0);
}

void TestServePrinter::commandCutAfterAMegabyteOfTextWaitsForItsRest()
{
    // The waiting tail is bounded, but a command that a read happens to cut
    // after a long text run is not given up as unknown bytes.
    const QByteArray darkness = toBytes(darknessCommand(Set::New, 5).bytes);
    const QByteArray first = QByteArray(CommandStream::kMaxTail - 2, 'A') + darkness.left(4);
    CommandStream stream;
    std::vector<decoder::Decoded> got = stream.feed(first);
    for (const decoder::Decoded &c : stream.feed(darkness.mid(4)))
        got.push_back(c);
    QVERIFY(stream.finish().empty());
    QCOMPARE(int(got.size()), 2);
    QCOMPARE(got[0].kind, decoder::Kind::Text);
    QCOMPARE(got[1].kind, decoder::Kind::Darkness);
    QCOMPARE(got[1].value, 5L);
}

void TestServePrinter::splitStreamGivesTheSameState_data()
{
    QTest::addColumn<int>("piece");
    for (int piece : {1, 2, 3, 7, 64, 4096})
        QTest::addRow("%d-byte pieces", piece) << piece;
}

void TestServePrinter::splitStreamGivesTheSameState()
{
    QFETCH(int, piece);
    QByteArray all = toBytes(codePageCommand(Set::New, 21).bytes) + toBytes(baudRateCommand(Set::Old, 19200).bytes) +
                     toBytes(raster::downloadCommand({scatter(96, 40, 5)}).bytes) + toBytes(cutFeedCommands(false)) +
                     toBytes(qrStoreCommand(kQrText).bytes) + toBytes(qrPrintCommand().bytes) +
                     toBytes(logo::testPrintCommand(logo::Alignment::Middle, 1).bytes) + "text\n" +
                     toBytes(cashDrawerCommand().bytes) + toBytes(halfCutCommand().bytes);
    VirtualPrinter whole(576);
    feedJob(whole, all);
    VirtualPrinter pieces(576);
    feedJob(pieces, all, piece);
    QCOMPARE(stateOf(pieces), stateOf(whole));
    QCOMPARE(stateOf(whole).value("unknownBytes"), QJsonValue(0));
    const std::vector<QImage> a = whole.takeReceipts();
    const std::vector<QImage> b = pieces.takeReceipts();
    QCOMPARE(int(b.size()), int(a.size()));
    for (std::size_t i = 0; i < a.size(); ++i)
        QVERIFY(a[i] == b[i]);
}

void TestServePrinter::hostileHeadersStayBounded()
{
    // A logo header claiming the largest size is not stored; the largest
    // logo the printer takes, in its tallest shape, printed at quadruple
    // size, then endless line feeds: the server keeps its memory bounded.
    decoder::Decoded claim;
    claim.kind = decoder::Kind::LogoDownload;
    claim.logos.push_back({8 * 1023, 8 * 1023, QByteArray(100, '\xff')});
    decoder::Decoded download;
    download.kind = decoder::Kind::LogoDownload;
    download.logos.push_back(
        {8, int(printer_limits::kMaxLogoBytes), QByteArray(printer_limits::kMaxLogoBytes, '\xff')});
    decoder::Decoded print;
    print.kind = decoder::Kind::LogoPrint;
    print.value = 1;
    print.value2 = 3;
    decoder::Decoded feeds;
    feeds.kind = decoder::Kind::LineFeed;
    feeds.value = 1L << 40;
    VirtualPrinter printer(576);
    QVERIFY(printer.apply(claim).contains(QLatin1String("nothing stored")));
    QVERIFY(printer.state().logos.empty());
    QCOMPARE(printer.apply(download), QString());
    printer.apply(print);
    for (int i = 0; i < 20; ++i)
        printer.apply(feeds);
    printer.endJob();
    const std::vector<QImage> receipts = printer.takeReceipts();
    QCOMPARE(int(receipts.size()), 1);
    QVERIFY(receipts.front().height() <= 60000);
}

void TestServePrinter::drawingStopsAtItsBoundsAndSaysSoOnce_data()
{
    QTest::addColumn<long>("maxReceipts");
    QTest::addColumn<int>("rounds"); // each: feeds, "ink", a cut
    QTest::addColumn<long>("feeds"); // line feeds before the ink
    QTest::addColumn<int>("receipts");
    QTest::addColumn<QString>("said");
    QTest::newRow("a receipt at its longest") << 0L << 1 << (1L << 40) << 1 << "the receipt is at its longest";
    QTest::newRow("receipts per run") << 3L << 5 << 0L << 3 << "3 receipts drawn: further receipts are counted";
    QTest::newRow("paper per job") << 0L << 12 << (1L << 40) << 0 << "this job has drawn 75 m of paper";
}

void TestServePrinter::drawingStopsAtItsBoundsAndSaysSoOnce()
{
    QFETCH(long, maxReceipts);
    QFETCH(int, rounds);
    QFETCH(long, feeds);
    QFETCH(int, receipts);
    QFETCH(QString, said);
    VirtualPrinter printer(576);
    printer.setMaxReceipts(maxReceipts);
    decoder::Decoded feed;
    feed.kind = decoder::Kind::LineFeed;
    feed.value = feeds;
    decoder::Decoded ink;
    ink.kind = decoder::Kind::Text;
    ink.payload = "ink";
    decoder::Decoded cut;
    cut.kind = decoder::Kind::FullCut;
    QStringList notes;
    for (int i = 0; i < rounds; ++i) {
        // The long job's first ten receipts are blank paper (no receipt
        // pictures to hold), each filled to its longest.
        const bool inked = feeds == 0 || rounds == 1 || i >= 10;
        if (inked)
            notes << printer.apply(ink);
        for (int f = 0; f < 2 && feeds > 0; ++f)
            notes << printer.apply(feed);
        if (inked)
            notes << printer.apply(ink);
        notes << printer.apply(cut);
    }
    QCOMPARE(notes.filter(said).size(), 1);
    QCOMPARE(int(printer.takeReceipts().size()), receipts);
    QCOMPARE(stateOf(printer).value("cuts"), QJsonValue(rounds));
}

void TestServePrinter::aWaitingRunIsHandedOnNotScannedAgain()
{
    // Runs at the end of a piece go on at once (so the next piece does not
    // scan them again), unknown bytes but for their last few; a cut-off
    // command waits, however long it is.
    CommandStream stream;
    const QByteArray bigLogo = toBytes(raster::downloadCommand({scatter(96, 40, 5)}).bytes);
    const struct
    {
        QByteArray piece;
        int handedOn; // commands
        decoder::Kind kind;
        qsizetype waiting;
    } steps[] = {
        {"abc", 1, decoder::Kind::Text, 0},
        {"\n\n", 1, decoder::Kind::LineFeed, 0},
        {"\x1b", 0, decoder::Kind::Unknown, 1},
        {"i", 1, decoder::Kind::FullCut, 0},
        {QByteArray(200, '\x01'), 1, decoder::Kind::Unknown, 64},
        {QByteArray(1, '\x01') + bigLogo.left(300), 1, decoder::Kind::Unknown, 300},
        {bigLogo.mid(300), 1, decoder::Kind::LogoDownload, 0},
    };
    for (const auto &step : steps) {
        const std::vector<decoder::Decoded> got = stream.feed(step.piece);
        QCOMPARE(int(got.size()), step.handedOn);
        if (!got.empty())
            QCOMPARE(got.back().kind, step.kind);
        QCOMPARE(stream.waiting(), step.waiting);
    }
}

QTEST_GUILESS_MAIN(TestServePrinter)
#include "tst_serve_printer.moc"
