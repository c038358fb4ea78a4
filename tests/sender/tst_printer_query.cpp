// The printer query through the fake library: which requests it makes, how
// it reads what came back (and what did not), and that a library without
// QueryPrinter is never asked.
#include "dravik_binding.h"
#include "fake_dravik.h"
#include "printer_query.h"
#include "status_requests.h"

#include <QTest>

using namespace printer_status;
using Answers = std::map<std::vector<std::uint8_t>, std::vector<std::uint8_t>>;

Q_DECLARE_METATYPE(QueryState)

namespace {

std::vector<std::uint8_t> ask(StatusRequest r)
{
    return statusRequest(r);
}

std::vector<std::uint8_t> ask(IdRequest r)
{
    return idRequest(r);
}

std::vector<std::uint8_t> text(const char *s)
{
    const std::string answer = std::string("_") + s;
    std::vector<std::uint8_t> bytes(answer.begin(), answer.end());
    bytes.push_back(0);
    return bytes;
}

// A printer that is ready and tells who it is.
Answers readyPrinter()
{
    return {{ask(StatusRequest::Printer), {0x12}},    {ask(StatusRequest::OfflineCause), {0x12}},
            {ask(StatusRequest::ErrorCause), {0x12}}, {ask(StatusRequest::RollPaper), {0x12}},
            {ask(IdRequest::Maker), text("Nembo")},   {ask(IdRequest::Model), text("TP-80")},
            {ask(IdRequest::Firmware), text("1.02")}, {ask(IdRequest::SerialNumber), text("A1234")}};
}

Answers with(Answers answers, const std::vector<std::uint8_t> &request, std::vector<std::uint8_t> reply)
{
    if (reply.empty())
        answers.erase(request);
    else
        answers[request] = std::move(reply);
    return answers;
}

} // namespace

class TstPrinterQuery : public QObject
{
    Q_OBJECT

private slots:
    void init() { fake::reset(); }
    void readsTheAnswers_data();
    void readsTheAnswers();
    void failuresAndCode10();
    void withoutTheExportNothingIsAsked();
};

void TstPrinterQuery::readsTheAnswers_data()
{
    QTest::addColumn<QVariant>("answers"); // Answers, carried in a variant
    QTest::addColumn<QueryState>("state");
    QTest::addColumn<uint>("conditions");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("queries");
    const auto row = [](const char *name, const Answers &a, QueryState s, Conditions c, const char *model, int n) {
        QTest::newRow(name) << QVariant::fromValue(a) << s << uint(c) << QString::fromLatin1(model) << n;
    };
    const Answers ready = readyPrinter();
    row("ready, with identity", ready, QueryState::Answered, 0, "TP-80", 8);
    row("paper out, cover open",
        with(with(with(ready, ask(StatusRequest::Printer), {0x1A}), ask(StatusRequest::OfflineCause), {0x36}),
             ask(StatusRequest::RollPaper), {0x72}),
        QueryState::Answered, Offline | CoverOpen | PaperOut, "TP-80", 8);
    row("silent printer", {}, QueryState::NoAnswer, 0, "", 1);
    row("noise instead of a status", with(ready, ask(StatusRequest::Printer), {0xFF}), QueryState::NotAPrinter, 0, "",
        1);
    // A printer without the identity requests costs one wait, not four.
    row("no identity requests", with(ready, ask(IdRequest::Maker), {}), QueryState::Answered, 0, "", 5);
    row("an identity answer of the wrong form is left out", with(ready, ask(IdRequest::Model), {'T', 'P'}),
        QueryState::Answered, 0, "", 8);
}

void TstPrinterQuery::readsTheAnswers()
{
    QFETCH(QVariant, answers);
    fake::config().answers = answers.value<Answers>();
    DravikBinding lib;
    QVERIFY(lib.load());
    const PrinterTarget target{QStringLiteral("LPT"), QStringLiteral("/dev/usb/lp0")};
    const PrinterReport report = queryPrinter(lib, target, {250, true});
    QTEST(report.state, "state");
    QTEST(uint(report.conditions), "conditions");
    QTEST(report.identity.model, "model");
    QTEST(int(fake::callsOf("QueryPrinter").size()), "queries");
    for (const fake::Call &c : fake::callsOf("QueryPrinter")) {
        QCOMPARE(c.texts, (std::vector<std::string>{"LPT", "/dev/usb/lp0"}));
        QCOMPARE(c.number, 250);
    }
    if (report.state == QueryState::Answered && report.identity.model == QLatin1String("TP-80")) {
        QCOMPARE(report.identity.maker, QStringLiteral("Nembo"));
        QCOMPARE(report.identity.firmware, QStringLiteral("1.02"));
        QCOMPARE(report.identity.serialNumber, QStringLiteral("A1234"));
    }
    QCOMPARE(report.ready(), report.state == QueryState::Answered && report.conditions == 0);
    QVERIFY(fake::callsOf("SendBufferToPrint").empty()); // never as a print job
}

void TstPrinterQuery::failuresAndCode10()
{
    DravikBinding lib;
    QVERIFY(lib.load());
    const PrinterTarget queue{QStringLiteral("DRIVE"), QStringLiteral("Office")};
    fake::config().queryResults = {-1};
    fake::config().lastErrorCode = DRAVIK_ERROR_NO_ANSWERS;
    PrinterReport report = queryPrinter(lib, queue);
    QCOMPARE(report.state, QueryState::NoAnswers);
    QCOMPARE(report.reason.code, DRAVIK_ERROR_NO_ANSWERS);

    fake::config().answers = readyPrinter();
    fake::config().queryResults = {1, -1}; // answers, then the device is lost
    fake::config().lastErrorCode = DRAVIK_ERROR_DEVICE_LOST;
    report = queryPrinter(lib, queue);
    QCOMPARE(report.state, QueryState::Failed);
    QCOMPARE(report.reason.code, DRAVIK_ERROR_DEVICE_LOST);
}

void TstPrinterQuery::withoutTheExportNothingIsAsked()
{
    DravikBinding lib;
    QVERIFY(lib.loadFrom(QStringLiteral(NPS_NOANSWERS_FAKE)));
    fake::clearCalls();
    const PrinterReport report = queryPrinter(lib, {QStringLiteral("COM"), QStringLiteral("/dev/ttyUSB0")});
    QCOMPARE(report.state, QueryState::NoExport);
    QVERIFY(fake::calls().empty());
    QCOMPARE(queryPrinter(DravikBinding(), {}).state, QueryState::NoLibrary);
}

QTEST_GUILESS_MAIN(TstPrinterQuery)
#include "tst_printer_query.moc"
