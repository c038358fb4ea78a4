// The decoder against the builders: whatever a builder makes decodes to the
// same commands and values, spanning exactly its bytes, whole or fed in two
// pieces; bytes it does not know survive as unknown entries.
#include "command_decoder.h"
#include "config_commands.h"
#include "logo_commands.h"
#include "maintenance_commands.h"
#include "raster.h"
#include "status_requests.h"

#include <QRandomGenerator>
#include <QTest>

using decoder::Decoded;
using decoder::Kind;

namespace {

using Expected = std::vector<Decoded>;

Decoded want(Kind kind, long value = 0, long value2 = 0, const QByteArray &payload = {})
{
    Decoded d;
    d.kind = kind;
    d.value = value;
    d.value2 = value2;
    d.payload = payload;
    return d;
}

// Everything but the position, so a failure shows both sides.
QString summary(const Decoded &d)
{
    QString s = QStringLiteral("kind %1 value %2/%3").arg(int(d.kind)).arg(d.value).arg(d.value2);
    if (!d.payload.isEmpty())
        s += QStringLiteral(" payload ") + QString::fromLatin1(d.payload.toHex());
    for (const decoder::Logo &logo : d.logos)
        s += QStringLiteral(" logo %1x%2 %3").arg(logo.widthDots).arg(logo.heightDots).arg(qHash(logo.raster));
    return s;
}

QStringList summaries(const std::vector<Decoded> &list, std::size_t shift = 0, bool withSpans = true)
{
    QStringList out;
    for (const Decoded &d : list)
        out << summary(d) + (withSpans ? QStringLiteral(" at %1+%2").arg(d.offset + shift).arg(d.length) : QString());
    return out;
}

QByteArray bytesOf(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size()));
}

QByteArray bytesOf(const std::vector<Command> &commands)
{
    QByteArray all;
    for (const Command &c : commands)
        all += bytesOf(c.bytes);
    return all;
}

// The entries lie end to end over the whole buffer, and unknown and text
// entries hold exactly their bytes.
void verifyCoverage(const QByteArray &bytes, const decoder::Result &r, std::size_t end)
{
    std::size_t at = 0;
    for (const Decoded &d : r.commands) {
        QCOMPARE(d.offset, at);
        QVERIFY(d.length > 0);
        if (d.kind == Kind::Unknown || d.kind == Kind::Text)
            QCOMPARE(d.payload, bytes.mid(qsizetype(d.offset), qsizetype(d.length)));
        at += d.length;
    }
    QCOMPARE(at, end);
    QCOMPARE(r.consumed, end);
}

// Decoding in two pieces, split at every offset, gives the whole decode.
void verifySplits(const QByteArray &bytes)
{
    const QStringList whole = summaries(decoder::decode(bytes).commands);
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        const decoder::Result first = decoder::decode(bytes.left(cut), false);
        QVERIFY(first.consumed <= std::size_t(cut));
        const decoder::Result rest = decoder::decode(bytes.mid(qsizetype(first.consumed)), true);
        const QStringList pieces = summaries(first.commands) + summaries(rest.commands, first.consumed);
        if (pieces != whole)
            QFAIL(qPrintable(QStringLiteral("split at %1:\n  %2\nwhole:\n  %3")
                                 .arg(cut)
                                 .arg(pieces.join(QStringLiteral("\n  ")), whole.join(QStringLiteral("\n  ")))));
    }
}

// The pieces one at a time are the list's pieces, and each line as bytes is
// its line as text.
void verifyEach(const QByteArray &bytes, bool final)
{
    const decoder::Result listed = decoder::decode(bytes, final);
    std::vector<Decoded> each;
    QStringList lines;
    const std::size_t consumed =
        decoder::decodeEach(bytes.constData(), std::size_t(bytes.size()), final, [&](const Decoded &d) {
            each.push_back(d);
            each.back().payload = QByteArray(d.payload.constData(), d.payload.size()); // outlive the call
            QByteArray line;
            d.appendDescription(line);
            lines << QString::fromLatin1(line);
        });
    QCOMPARE(consumed, listed.consumed);
    QCOMPARE(summaries(each), summaries(listed.commands));
    QStringList described;
    for (const Decoded &d : listed.commands)
        described << d.describe();
    QCOMPARE(lines, described);
}

QImage picture(int w, int h, quint32 seed)
{
    QRandomGenerator rng(seed);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, rng.bounded(2) ? 0xFF000000u : 0xFFFFFFFFu);
    return image;
}

decoder::Logo logoOf(const QImage &image)
{
    const Bytes block = raster::imageBlock(image).bytes; // xL xH yL yH, then data
    return {image.width() / 8 * 8, image.height() / 8 * 8, bytesOf(Bytes(block.begin() + 4, block.end()))};
}

} // namespace

Q_DECLARE_METATYPE(Expected)

class TstCommandDecoder : public QObject
{
    Q_OBJECT

private slots:
    void builderRoundTrip_data();
    void builderRoundTrip();
    void otherBytes_data();
    void otherBytes();
    void randomBytesStayWhole();
};

void TstCommandDecoder::builderRoundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Expected>("expected");
    const auto row = [](const QString &name, const QByteArray &bytes, const Expected &expected) {
        QTest::newRow(qPrintable(name)) << bytes << expected;
    };
    const std::pair<InstructionSet, const char *> sets[] = {{InstructionSet::New, "new"}, {InstructionSet::Old, "old"}};

    for (const auto &[set, setName] : sets) {
        for (int page = 0; page < 256; page += (page < 48 ? 1 : 23))
            row(QStringLiteral("code page %1 %2").arg(page).arg(setName),
                bytesOf(codePageCommand(set, std::uint8_t(page)).bytes),
                {want(Kind::CodePage, page), want(Kind::FunctionList), want(Kind::FullCut)});
        for (long rate : {1200, 9600, 19200, 38400, 57600, 115200, 230400, 0xFFFFFF})
            row(QStringLiteral("baud %1 %2").arg(rate).arg(setName),
                bytesOf(baudRateCommand(set, std::uint32_t(rate)).bytes),
                {want(Kind::BaudRate, rate), want(Kind::FunctionList), want(Kind::Initialize)});
        for (int level = 0; level <= 40; ++level)
            row(QStringLiteral("darkness %1 %2").arg(level).arg(setName),
                bytesOf(darknessCommand(set, std::uint8_t(level)).bytes), {want(Kind::Darkness, level)});
        for (int mask = 0; mask < 16; ++mask)
            row(QStringLiteral("buzzer %1 %2").arg(mask).arg(setName),
                bytesOf(buzzerCommand(set, std::uint8_t(mask)).bytes),
                {set == InstructionSet::New ? want(Kind::Buzzer, mask) : want(Kind::BuzzerSwitch, mask != 0)});
    }
    for (bool on : {false, true}) {
        row(QStringLiteral("barcode %1").arg(on), bytesOf(barcodeCommand(on).bytes), {want(Kind::Barcode, on)});
        row(QStringLiteral("black mark %1").arg(on), bytesOf(blackMarkCommand(on).bytes), {want(Kind::BlackMark, on)});
        row(QStringLiteral("cutter %1").arg(on), bytesOf(cutterCommand(on).bytes), {want(Kind::Cutter, on)});
        row(QStringLiteral("cut mode %1").arg(on), bytesOf(cutModeCommand(on).bytes), {want(Kind::CutMode, on)});
    }
    row(QStringLiteral("cut feed, command mode"), bytesOf(cutFeedCommands(true)),
        {want(Kind::CutFeed, 0), want(Kind::AutoCutFeed, 40)});
    row(QStringLiteral("cut feed, drive mode"), bytesOf(cutFeedCommands(false)),
        {want(Kind::CutFeed, 0), want(Kind::AutoCutFeed, 40), want(Kind::CutFeed, 88)});

    row(QStringLiteral("function list"), bytesOf(functionListCommand().bytes),
        {want(Kind::FunctionList), want(Kind::FullCut), want(Kind::LineFeed, 4)});
    row(QStringLiteral("code page list"), bytesOf(codePageListCommand().bytes),
        {want(Kind::CodePageList), want(Kind::FullCut), want(Kind::LineFeed, 4)});
    row(QStringLiteral("cash drawer"), bytesOf(cashDrawerCommand().bytes), {want(Kind::CashDrawer, 0, 10 | 50 << 8)});
    row(QStringLiteral("full cut"), bytesOf(fullCutCommand().bytes), {want(Kind::FullCut)});
    row(QStringLiteral("half cut"), bytesOf(halfCutCommand().bytes), {want(Kind::HalfCut)});
    row(QStringLiteral("factory restore"), bytesOf(factoryRestoreCommand().bytes), {want(Kind::FactoryReset)});
    row(QStringLiteral("qr print"), bytesOf(qrPrintCommand().bytes), {want(Kind::QrPrint)});
    for (const QByteArray &text : {QByteArray(), QByteArray("x"), QByteArray(kQrText), QByteArray(248, '\xE9')})
        row(QStringLiteral("qr store %1 bytes").arg(text.size()), bytesOf(qrStoreCommand(text).bytes),
            {want(Kind::QrStore, long(text.size()), 0, text)});

    for (int n = 1; n <= 4; ++n)
        row(QStringLiteral("status request %1").arg(n), bytesOf(statusRequest(StatusRequest(n))),
            {want(Kind::StatusRequest, n)});
    for (int n : {1, 2, 3, 65, 66, 67, 68, 69})
        row(QStringLiteral("identity request %1").arg(n), bytesOf(idRequest(IdRequest(n))), {want(Kind::IdRequest, n)});
    row(QStringLiteral("paper sensor request"), bytesOf(paperSensorRequest()), {want(Kind::PaperSensorRequest, 1)});

    row(QStringLiteral("logo clear"), bytesOf(logo::clearFlashCommand().bytes), {want(Kind::LogoClear)});
    const std::pair<logo::Alignment, int> prints[] = {
        {logo::Alignment::Left, 0}, {logo::Alignment::Middle, 1}, {logo::Alignment::Right, 2}};
    for (const auto &[alignment, a] : prints)
        for (int number : {1, 255})
            row(QStringLiteral("logo print %1 aligned %2").arg(number).arg(a),
                bytesOf(logo::testPrintCommand(alignment, std::uint8_t(number)).bytes),
                {want(Kind::Align, a), want(Kind::LogoPrint, number, 0)});
    const std::vector<std::vector<QImage>> downloads = {
        {picture(8, 8, 1)},
        {picture(576, 232, 2)},
        {picture(17, 30, 3), picture(64, 8, 4), picture(8, 64, 5)},
    };
    for (const std::vector<QImage> &images : downloads) {
        Decoded d = want(Kind::LogoDownload, long(images.size()));
        for (const QImage &image : images)
            d.logos.push_back(logoOf(image));
        row(QStringLiteral("logo download of %1, first %2 x %3")
                .arg(images.size())
                .arg(images[0].width())
                .arg(images[0].height()),
            bytesOf(raster::downloadCommand(images).bytes), {d});
    }
}

void TstCommandDecoder::builderRoundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Expected, expected);
    const decoder::Result r = decoder::decode(bytes);
    QCOMPARE(summaries(r.commands, 0, false), summaries(expected, 0, false));
    verifyCoverage(bytes, r, std::size_t(bytes.size()));
    if (bytes.size() < 4096) // the large logo: its header splits are in the three-logo row
        verifySplits(bytes);
}

void TstCommandDecoder::otherBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("final");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("consumed");
    const auto row = [](const char *name, const QByteArray &bytes, bool final, const QStringList &lines,
                        int consumed = -1) {
        QTest::newRow(name) << bytes << final << lines << (consumed < 0 ? int(bytes.size()) : consumed);
    };
    const QByteArray baud = bytesOf(baudRateCommand(InstructionSet::New, 9600).bytes);
    const QByteArray oldBaud = bytesOf(baudRateCommand(InstructionSet::Old, 9600).bytes);
    const QByteArray logo = bytesOf(raster::downloadCommand({picture(576, 232, 6)}).bytes);
    const QByteArray qr = bytesOf(qrStoreCommand(kQrText).bytes) + bytesOf(qrPrintCommand().bytes);

    row("described", baud + oldBaud.left(7) + logo + qr + "\n\n\n\nabc\x01\x02\x03", true,
        {"ESC # # SBDR: baud 9600", "ESC # F: print the function list", "ESC @: initialise", "ESC z 7: baud 9600",
         "FS q: 1 logo, 576 x 232 dots", "GS ( k: store QR text \"https://nemboportsettings.example.org/\" (38 bytes)",
         "GS ( k: print the QR symbol", "LF x4", "text \"abc\"", "unknown: 3 bytes 01 02 03"});
    row("unknown around a command", "\x01\x80\xFF" + baud.left(11) + "\x1B", true,
        {"unknown: 3 bytes 01 80 FF", "ESC # # SBDR: baud 9600", "unknown: 1 byte 1B"});
    row("senseless parameter kept whole", QByteArray("\x1B\x61\x07\x1B##ECATx", 11), true,
        {"unknown: 3 bytes 1B 61 07", "unknown: 8 bytes 1B 23 23 45 43 41 54 78"});
    row("other GS ( k function kept whole", QByteArray("\x1D(k\x04\x00\x31\x41\x32\x00Z", 10), true,
        {"unknown: 9 bytes 1D 28 6B 04 00 31 41 32 00", "text \"Z\""});
    row("ESC then text", QByteArray("\x1BZ", 2), true, {"unknown: 1 byte 1B", "text \"Z\""});
    row("cut off, final", baud.left(5), true, {"unknown: 5 bytes 1B 23 23 53 42"});
    row("cut off, more to come", "ab" + baud.left(5), false, {"text \"ab\""}, 2);
    // The unknown byte waits too: the frame after it may yet prove unknown.
    row("unknown before a cut-off frame", "ab\x01" + baud.left(5), false, {"text \"ab\""}, 2);
    row("huge logo claim, final", QByteArray("\x1Cq\x01\xFF\xFF\xFF\xFF\x00\x00", 9), true,
        {"unknown: 9 bytes 1C 71 01 FF FF FF FF 00 00"});
    row("huge logo claim, more to come", QByteArray("\x1Cq\x01\xFF\xFF\xFF\xFF\x00\x00", 9), false, {}, 0);
    row("requests named", QByteArray("\x10\x04\x01\x10\x04\x04\x1DI\x43\x1DI\x44\x1Dr1", 15), true,
        {"DLE EOT: ask the printer status", "DLE EOT: ask the roll paper sensor", "GS I: ask the model name",
         "GS I: ask the serial number", "GS r: ask the paper sensor status"});
    row("request numbers the printer does not know", QByteArray("\x10\x04\x05\x1DI\x04\x1Dr\x02", 9), true,
        {"unknown: 3 bytes 10 04 05", "unknown: 3 bytes 1D 49 04", "unknown: 3 bytes 1D 72 02"});
    row("text waits for its end", "ab\ncd", false, {"text \"ab\"", "LF"}, 3);
}

void TstCommandDecoder::otherBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, final);
    QFETCH(QStringList, lines);
    QFETCH(int, consumed);
    const decoder::Result r = decoder::decode(bytes, final);
    QStringList described;
    for (const Decoded &d : r.commands)
        described << d.describe();
    QCOMPARE(described, lines);
    verifyCoverage(bytes, r, std::size_t(consumed));
    verifyEach(bytes, final);
}

void TstCommandDecoder::randomBytesStayWhole()
{
    // Buffers drawn mostly from the command bytes, so that frames start,
    // break off and claim odd lengths often.
    static const char alphabet[] = "\x1B\x1D\x1C\x1F#q(kp\x01\x00\x03\x31\x50\x0A\xFF"
                                   "aSLAN";
    QRandomGenerator rng(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        for (int i = int(rng.bounded(40)); i > 0; --i)
            bytes += alphabet[rng.bounded(int(sizeof alphabet - 1))];
        verifyCoverage(bytes, decoder::decode(bytes), std::size_t(bytes.size()));
        verifySplits(bytes);
        verifyEach(bytes, round % 2 == 0);
    }
}

QTEST_GUILESS_MAIN(TstCommandDecoder)
#include "tst_command_decoder.moc"
