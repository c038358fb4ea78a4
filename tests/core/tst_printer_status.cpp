// The status and identity requests' bytes, and the answers read on the
// documented bit patterns: every meaningful bit of each answer, the fixed
// bits that refuse a byte, and the identity texts.
#include "status_answers.h"

#include <QTest>

using namespace printer_status;

Q_DECLARE_METATYPE(StatusRequest)

class TstPrinterStatus : public QObject
{
    Q_OBJECT

private slots:
    void requestBytes_data();
    void requestBytes();
    void statusBytes_data();
    void statusBytes();
    void paperSensor_data();
    void paperSensor();
    void idTexts_data();
    void idTexts();
    void summaries_data();
    void summaries();
};

void TstPrinterStatus::requestBytes_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char *name, const Bytes &built, const QByteArray &expected) {
        QTest::newRow(name) << QByteArray(reinterpret_cast<const char *>(built.data()), qsizetype(built.size()))
                            << expected;
    };
    row("DLE EOT 1", statusRequest(StatusRequest::Printer), QByteArray("\x10\x04\x01", 3));
    row("DLE EOT 2", statusRequest(StatusRequest::OfflineCause), QByteArray("\x10\x04\x02", 3));
    row("DLE EOT 3", statusRequest(StatusRequest::ErrorCause), QByteArray("\x10\x04\x03", 3));
    row("DLE EOT 4", statusRequest(StatusRequest::RollPaper), QByteArray("\x10\x04\x04", 3));
    row("GS I 1", idRequest(IdRequest::ModelId), QByteArray("\x1DI\x01", 3));
    row("GS I 3", idRequest(IdRequest::RomVersionId), QByteArray("\x1DI\x03", 3));
    row("GS I 65", idRequest(IdRequest::Firmware), QByteArray("\x1DI\x41", 3));
    row("GS I 66", idRequest(IdRequest::Maker), QByteArray("\x1DI\x42", 3));
    row("GS I 67", idRequest(IdRequest::Model), QByteArray("\x1DI\x43", 3));
    row("GS I 68", idRequest(IdRequest::SerialNumber), QByteArray("\x1DI\x44", 3));
    row("GS r 1", paperSensorRequest(), QByteArray("\x1Dr\x01", 3));
}

void TstPrinterStatus::requestBytes()
{
    QFETCH(QByteArray, built);
    QTEST(built, "expected");
}

void TstPrinterStatus::statusBytes_data()
{
    QTest::addColumn<StatusRequest>("request");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<uint>("conditions");
    const auto row = [](const char *name, StatusRequest r, int answer, bool accepted, Conditions c) {
        QTest::newRow(name) << r << answer << accepted << uint(c);
    };
    using R = StatusRequest;
    // 0x12: only the fixed bits, nothing to report.
    row("1: on-line, nothing else", R::Printer, 0x12, true, 0);
    row("1: drawer pin (bit 2)", R::Printer, 0x16, true, DrawerPinHigh);
    row("1: off-line (bit 3)", R::Printer, 0x1A, true, Offline);
    row("1: bits 5 and 6 mean nothing", R::Printer, 0x72, true, 0);
    row("2: cover open (bit 2)", R::OfflineCause, 0x16, true, CoverOpen);
    row("2: fed by the button (bit 3)", R::OfflineCause, 0x1A, true, FedByButton);
    row("2: paper end stop (bit 5)", R::OfflineCause, 0x32, true, PaperOut);
    row("2: error (bit 6)", R::OfflineCause, 0x52, true, Error);
    row("3: mechanical (bit 2)", R::ErrorCause, 0x16, true, MechanicalError);
    row("3: cutter (bit 3)", R::ErrorCause, 0x1A, true, CutterError);
    row("3: unrecoverable (bit 5)", R::ErrorCause, 0x32, true, UnrecoverableError);
    row("3: auto-recoverable (bit 6)", R::ErrorCause, 0x52, true, AutoRecoverableError);
    row("4: near end (bits 2-3)", R::RollPaper, 0x1E, true, PaperNearEnd);
    row("4: paper out (bits 5-6)", R::RollPaper, 0x72, true, PaperOut);
    row("4: both", R::RollPaper, 0x7E, true, PaperNearEnd | PaperOut);
    // The fixed bits, one wrong at a time, and typical line noise.
    row("bit 0 set", R::Printer, 0x13, false, 0);
    row("bit 1 clear", R::Printer, 0x10, false, 0);
    row("bit 4 clear", R::OfflineCause, 0x02, false, 0);
    row("bit 7 set", R::RollPaper, 0x92, false, 0);
    row("all ones", R::ErrorCause, 0xFF, false, 0);
    row("zero", R::Printer, 0x00, false, 0);
}

void TstPrinterStatus::statusBytes()
{
    QFETCH(StatusRequest, request);
    QFETCH(int, answer);
    QFETCH(bool, accepted);
    const std::optional<Conditions> found = decodeStatusByte(request, std::uint8_t(answer));
    QCOMPARE(found.has_value(), accepted);
    if (found)
        QTEST(uint(*found), "conditions");
}

void TstPrinterStatus::paperSensor_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<uint>("conditions");
    QTest::newRow("paper present") << 0x00 << true << 0u;
    QTest::newRow("near end (bits 0-1)") << 0x03 << true << uint(PaperNearEnd);
    QTest::newRow("paper out (bits 2-3)") << 0x0C << true << uint(PaperOut);
    QTest::newRow("bit 4 set") << 0x10 << false << 0u;
    QTest::newRow("bit 7 set") << 0x80 << false << 0u;
}

void TstPrinterStatus::paperSensor()
{
    QFETCH(int, answer);
    QFETCH(bool, accepted);
    const std::optional<Conditions> found = decodePaperSensor(std::uint8_t(answer));
    QCOMPARE(found.has_value(), accepted);
    if (found)
        QTEST(uint(*found), "conditions");
}

void TstPrinterStatus::idTexts_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("model") << QByteArray("_TP-80\0", 7) << true << QByteArray("TP-80");
    QTest::newRow("empty text") << QByteArray("_\0", 2) << true << QByteArray();
    QTest::newRow("no leading _") << QByteArray("TP-80\0", 6) << false << QByteArray();
    QTest::newRow("cut off before NUL") << QByteArray("_TP-8") << false << QByteArray();
    QTest::newRow("bytes after NUL") << QByteArray("_A\0\x12", 4) << false << QByteArray();
    QTest::newRow("terminal control inside") << QByteArray("_A\x1B[2J\0", 7) << false << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << QByteArray();
}

void TstPrinterStatus::idTexts()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, accepted);
    const std::optional<QByteArray> text = decodeIdText(answer);
    QCOMPARE(text.has_value(), accepted);
    if (text)
        QTEST(*text, "text");
}

void TstPrinterStatus::summaries_data()
{
    QTest::addColumn<uint>("conditions");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("ready") << 0u << "ready" << QStringList();
    QTest::newRow("drawer pin alone is ready") << uint(DrawerPinHigh) << "ready" << QStringList{"drawer pin high"};
    QTest::newRow("near end still prints") << uint(PaperNearEnd) << "paper near end" << QStringList{"paper near end"};
    QTest::newRow("paper out above off-line") << uint(Offline | PaperOut | PaperNearEnd) << "paper out"
                                              << QStringList{"off-line", "paper near end", "paper out"};
    QTest::newRow("cover open above off-line")
        << uint(Offline | CoverOpen) << "cover open" << QStringList{"off-line", "cover open"};
    QTest::newRow("cutter error") << uint(Offline | Error | CutterError) << "error"
                                  << QStringList{"off-line", "error", "cutter error"};
    QTest::newRow("off-line alone") << uint(Offline) << "off-line" << QStringList{"off-line"};
}

void TstPrinterStatus::summaries()
{
    QFETCH(uint, conditions);
    QTEST(QString::fromLatin1(summaryText(summarize(conditions))), "summary");
    QTEST(describe(conditions), "listed");
}

QTEST_GUILESS_MAIN(TstPrinterStatus)
#include "tst_printer_status.moc"
