// What the virtual printer answers when asked how it is and who it is: its
// answer bytes read back by the tool's own decoders, its conditions keeping
// it from printing, and a serial line set to another rate reading garbage.
#include "serve_feed.h"

#include "line_rate.h"
#include "status_answer_bytes.h"
#include "status_requests.h"

#include <QtTest>

using namespace printer_status;

namespace {

// The answers of the printer to these request bytes, one job.
QByteArray answersTo(VirtualPrinter &printer, const Bytes &request)
{
    CommandStream stream;
    QByteArray answers;
    for (const decoder::Decoded &c : stream.feed(toBytes(request)))
        answers += printer.answer(c);
    return answers;
}

} // namespace

class TestServeAnswers : public QObject
{
    Q_OBJECT

private slots:
    void answerBytesReadBackAsTheirConditions();
    void conditionsAnswerAsAPrinterDoes_data();
    void conditionsAnswerAsAPrinterDoes();
    void nothingPrintsWhileItCannot_data();
    void nothingPrintsWhileItCannot();
    void anotherRateReadsNoRequest_data();
    void anotherRateReadsNoRequest();
};

void TestServeAnswers::answerBytesReadBackAsTheirConditions()
{
    // Every set of conditions: each status byte passes the fixed-bit check,
    // reports only conditions that hold, and the four together report all.
    constexpr Conditions kAll = (DrawerPinHigh << 1) - 1;
    for (Conditions c = 0; c <= kAll; ++c) {
        Conditions reported = 0;
        for (StatusRequest which : {StatusRequest::Printer, StatusRequest::OfflineCause, StatusRequest::ErrorCause,
                                    StatusRequest::RollPaper}) {
            const std::optional<Conditions> read = decodeStatusByte(which, statusByte(which, c));
            QVERIFY2(read && (*read & ~c) == 0,
                     qPrintable(QStringLiteral("conditions %1, request %2").arg(c).arg(int(which))));
            reported |= *read;
        }
        QCOMPARE(reported, c);
        QCOMPARE(decodePaperSensor(paperSensorByte(c)), std::optional<Conditions>(c & (PaperNearEnd | PaperOut)));
    }
    for (const QByteArray &text : {QByteArray("NemboPort"), QByteArray("A-1 / 2.0 ~")})
        QCOMPARE(decodeIdText(idTextAnswer(text)), std::optional<QByteArray>(text));
}

void TestServeAnswers::conditionsAnswerAsAPrinterDoes_data()
{
    QTest::addColumn<PrinterConditions>("conditions");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<bool>("sensorSaysOut");
    QTest::newRow("ready") << PrinterConditions{} << "ready" << false;
    QTest::newRow("paper near end") << PrinterConditions{PaperLevel::NearEnd, false, true} << "paper near end" << false;
    QTest::newRow("paper out") << PrinterConditions{PaperLevel::Out, false, true} << "paper out" << true;
    QTest::newRow("cover open") << PrinterConditions{PaperLevel::Ok, true, true} << "cover open" << false;
    QTest::newRow("off-line") << PrinterConditions{PaperLevel::Ok, false, false} << "off-line" << false;
    QTest::newRow("paper out, cover open") << PrinterConditions{PaperLevel::Out, true, true} << "paper out" << true;
}

void TestServeAnswers::conditionsAnswerAsAPrinterDoes()
{
    QFETCH(PrinterConditions, conditions);
    QFETCH(QString, summary);
    QFETCH(bool, sensorSaysOut);
    VirtualPrinter printer(576);
    printer.setConditions(conditions.paper, conditions.coverOpen, conditions.online);
    Conditions read = 0;
    for (StatusRequest which :
         {StatusRequest::Printer, StatusRequest::OfflineCause, StatusRequest::ErrorCause, StatusRequest::RollPaper}) {
        const QByteArray answer = answersTo(printer, statusRequest(which));
        QCOMPARE(answer.size(), 1);
        read |= decodeStatusByte(which, std::uint8_t(answer[0])).value_or(0);
    }
    QCOMPARE(QString::fromLatin1(summaryText(summarize(read))), summary);
    const QByteArray sensor = answersTo(printer, paperSensorRequest());
    QCOMPARE(sensor.size(), 1);
    QCOMPARE(bool(decodePaperSensor(std::uint8_t(sensor[0])).value_or(0) & PaperOut), sensorSaysOut);
    // Who it is, whatever its state.
    PrinterIdentity identity;
    identity.serialNumber = "SN-42";
    printer.setIdentity(identity);
    QCOMPARE(decodeIdText(answersTo(printer, idRequest(IdRequest::SerialNumber))), std::optional<QByteArray>("SN-42"));
}

void TestServeAnswers::nothingPrintsWhileItCannot_data()
{
    QTest::addColumn<PrinterConditions>("conditions");
    QTest::addColumn<QString>("said"); // empty: it prints
    QTest::newRow("paper near end prints") << PrinterConditions{PaperLevel::NearEnd, false, true} << QString();
    QTest::newRow("paper out") << PrinterConditions{PaperLevel::Out, false, true} << "the paper is out";
    QTest::newRow("cover open") << PrinterConditions{PaperLevel::Ok, true, true} << "the cover is open";
    QTest::newRow("off-line") << PrinterConditions{PaperLevel::Ok, false, false} << "the printer is off-line";
}

void TestServeAnswers::nothingPrintsWhileItCannot()
{
    QFETCH(PrinterConditions, conditions);
    QFETCH(QString, said);
    VirtualPrinter printer(576);
    printer.setConditions(conditions.paper, conditions.coverOpen, conditions.online);
    CommandStream stream;
    const QByteArray cut("\x1Bi"); // ESC i
    const QByteArray job =
        "first receipt\n" + toBytes(statusRequest(StatusRequest::Printer)) + cut + "second receipt\n" + cut;
    QStringList notes;
    QByteArray answers;
    std::vector<decoder::Decoded> commands = stream.feed(job);
    for (decoder::Decoded &c : stream.finish())
        commands.push_back(std::move(c));
    for (const decoder::Decoded &c : commands) {
        notes << printer.apply(c);
        answers += printer.answer(c);
    }
    printer.endJob();
    notes.removeAll(QString());
    const bool prints = said.isEmpty();
    QCOMPARE(int(printer.takeReceipts().size()), prints ? 2 : 0);
    QCOMPARE(stateOf(printer).value("cuts"), QJsonValue(prints ? 2 : 0));
    // Said once, and it still answers.
    QCOMPARE(notes.size(), prints ? 0 : 1);
    QVERIFY(prints || notes.first().startsWith(said));
    QCOMPARE(answers.size(), 1);
    // Once it can again, the next job prints.
    printer.setConditions(PaperLevel::Ok, false, true);
    feedJob(printer, "after\n");
    QCOMPARE(int(printer.takeReceipts().size()), 1);
}

void TestServeAnswers::anotherRateReadsNoRequest_data()
{
    QTest::addColumn<long>("printerRate");
    // The rates a search tries, against a printer at the third of them and
    // at the last one a port can be set to.
    for (long printerRate : {19200L, 230400L})
        QTest::newRow(qPrintable(QString::number(printerRate))) << printerRate;
}

void TestServeAnswers::anotherRateReadsNoRequest()
{
    QFETCH(long, printerRate);
    const QByteArray request = toBytes(statusRequest(StatusRequest::Printer));
    QCOMPARE(readAtOtherRate(request, printerRate, printerRate), request);
    for (long sentAt : {9600L, 115200L, 19200L, 38400L, 57600L, 4800L, 2400L, 1200L, 230400L}) {
        if (sentAt == printerRate)
            continue;
        const QByteArray read = readAtOtherRate(request, sentAt, printerRate);
        for (const decoder::Decoded &c : decoder::decode(read).commands)
            QVERIFY2(
                c.kind != decoder::Kind::StatusRequest,
                qPrintable(QStringLiteral("%1 baud read as %2").arg(sentAt).arg(QString::fromLatin1(read.toHex(' ')))));
    }
}

QTEST_GUILESS_MAIN(TestServeAnswers)
#include "tst_serve_answers.moc"
