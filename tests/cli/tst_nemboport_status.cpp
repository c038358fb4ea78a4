// nemboport status and probe through the fake library: exit statuses,
// messages, JSON, the change-only watch and the serial rate search. The
// answers' bits are the core's tests; these check the wiring.
#include "fake_dravik.h"
#include "nemboport_cli.h"
#include "status_requests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Answers = std::map<std::vector<std::uint8_t>, std::vector<std::uint8_t>>;

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList &args, int watchRounds = 0)
{
    Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    CliContext ctx{out, err};
    ctx.watchRounds = watchRounds;
    run.status = runNemboport(ctx, args);
    out.flush();
    err.flush();
    return run;
}

std::vector<std::uint8_t> text(const char *s)
{
    const std::string answer = std::string("_") + s;
    std::vector<std::uint8_t> bytes(answer.begin(), answer.end());
    bytes.push_back(0);
    return bytes;
}

// Status bytes for DLE EOT 1 to 4; a ready printer answers 12 to each.
Answers printer(std::uint8_t s1 = 0x12, std::uint8_t s2 = 0x12, std::uint8_t s4 = 0x12)
{
    return {{statusRequest(StatusRequest::Printer), {s1}},      {statusRequest(StatusRequest::OfflineCause), {s2}},
            {statusRequest(StatusRequest::ErrorCause), {0x12}}, {statusRequest(StatusRequest::RollPaper), {s4}},
            {idRequest(IdRequest::Maker), text("Nembo")},       {idRequest(IdRequest::Model), text("TP-80")},
            {idRequest(IdRequest::Firmware), text("1.02")},     {idRequest(IdRequest::SerialNumber), text("A1234")}};
}

QStringList callNames()
{
    QStringList names;
    for (const fake::Call &c : fake::calls())
        names << QString::fromStdString(c.function) +
                     (c.function == "OpenComm" ? QStringLiteral(" @%1").arg(c.number) : QString());
    return names;
}

} // namespace

class TestNemboportStatus : public QObject
{
    Q_OBJECT

private slots:
    void init() { fake::reset(); }
    void status_data();
    void status();
    void statusJson();
    void serialStatusOpensAndCloses();
    void watchPrintsOnlyChanges();
    void probeSerial_data();
    void probeSerial();
    void probeLink_data();
    void probeLink();
    void libraryWithoutQueryPrinter();
};

void TestNemboportStatus::status_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QVariant>("answers");
    QTest::addColumn<int>("lastErrorCode"); // DRAVIK_ERROR_NONE: QueryPrinter does not fail
    QTest::addColumn<int>("exit");
    QTest::addColumn<QStringList>("says"); // on stdout, else on stderr
    const QStringList port{"status", "--port", "LPT1"};
    const auto row = [](const char *name, const QStringList &args, const Answers &a, int code, int exit,
                        const QStringList &says) {
        QTest::newRow(name) << args << QVariant::fromValue(a) << code << exit << says;
    };
    row("ready", port, printer(), DRAVIK_ERROR_NONE, 0,
        {"state: ready\nconditions: none\nmaker: Nembo\nmodel: TP-80\nfirmware: 1.02\nserial number: A1234\n"
         "answer time: "});
    row("paper out is not ready", port, printer(0x1A, 0x32, 0x72), DRAVIK_ERROR_NONE, 3,
        {"state: paper out\nconditions: off-line, paper out\n"});
    row("cover open is not ready", port, printer(0x1A, 0x16), DRAVIK_ERROR_NONE, 3, {"state: cover open\n"});
    row("near end still prints", port, printer(0x12, 0x12, 0x1E), DRAVIK_ERROR_NONE, 0, {"state: paper near end\n"});
    row("no answer", port, {}, DRAVIK_ERROR_NONE, 1, {"no answer from port LPT1 within 1000 ms"});
    row("noise", port, printer(0xFF), DRAVIK_ERROR_NONE, 1,
        {"port LPT1 sent back FF, which is not a receipt printer's status"});
    row("queue without answers", {"status", "--queue", "Office"}, {}, DRAVIK_ERROR_NO_ANSWERS, 1,
        {"queue Office carries no answers"});
    row("device lost", port, {}, DRAVIK_ERROR_DEVICE_LOST, 1, {"asking port LPT1 failed"});
    for (const auto &[name, args, says] :
         {std::tuple<const char *, QStringList, const char *>{"no target", {"status"}, "no target"},
          {"two queues", {"status", "--queue", "A", "--queue", "B"}, "--queue"},
          {"watch zero", {"status", "--port", "LPT1", "--watch", "0"}, "--watch 0: give the seconds"},
          {"watch text", {"status", "--port", "LPT1", "--watch", "often"}, "--watch often"},
          {"a word", {"status", "now", "--port", "LPT1"}, "status takes no words"},
          {"baud without serial", {"status", "--port", "LPT1", "--baud", "9600"}, "--baud goes with --serial"},
          {"probe with baud", {"probe", "--serial", "/dev/ttyUSB0", "--baud", "9600"}, "leave out --baud"}})
        row(name, args, printer(), DRAVIK_ERROR_NONE, 2, {QLatin1String(says)});
}

void TestNemboportStatus::status()
{
    QFETCH(QStringList, args);
    QFETCH(QVariant, answers);
    QFETCH(int, lastErrorCode);
    QFETCH(int, exit);
    QFETCH(QStringList, says);
    fake::config().answers = answers.value<Answers>();
    if (lastErrorCode != DRAVIK_ERROR_NONE) {
        fake::config().queryResults = {-1};
        fake::config().lastErrorCode = lastErrorCode;
    }
    const Run run = runTool(args);
    QCOMPARE(run.status, exit);
    for (const QString &s : says)
        QVERIFY2(run.out.contains(s) || run.err.contains(s), qPrintable(run.out + run.err));
    if (exit == 2)
        QVERIFY(fake::calls().empty());
    QVERIFY(fake::callsOf("SendBufferToPrint").empty());
}

void TestNemboportStatus::statusJson()
{
    fake::config().answers = printer(0x1A, 0x32, 0x72);
    const Run run = runTool({"status", "--queue", "Office", "--json"});
    QCOMPARE(run.status, 3);
    const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(o.value("target").toString(), QStringLiteral("Office"));
    QCOMPARE(o.value("ready").toBool(true), false);
    QCOMPARE(o.value("online").toBool(true), false);
    QCOMPARE(o.value("summary").toString(), QStringLiteral("paper out"));
    const QJsonObject c = o.value("conditions").toObject();
    QCOMPARE(c.size(), 11); // every condition, held or not
    QVERIFY(c.value("paperOut").toBool() && !c.value("coverOpen").toBool(true));
    QCOMPARE(o.value("identity").toObject().value("serialNumber").toString(), QStringLiteral("A1234"));
    QVERIFY(o.value("answerMs").isDouble());

    fake::reset();
    const Run silent = runTool({"status", "--queue", "Office", "--json"});
    QCOMPARE(silent.status, 1);
    QCOMPARE(QJsonDocument::fromJson(silent.out.toUtf8()).object().value("state").toString(),
             QStringLiteral("no-answer"));
}

void TestNemboportStatus::serialStatusOpensAndCloses()
{
    fake::config().answers = printer();
    QCOMPARE(runTool({"status", "--serial", "/dev/ttyUSB0", "--baud", "19200"}).status, 0);
    const QStringList names = callNames();
    QCOMPARE(names.first(), QStringLiteral("OpenComm @19200"));
    QCOMPARE(names.last(), QStringLiteral("CloseComm"));
    QCOMPARE(names.count(QStringLiteral("QueryPrinter")), 8);

    fake::reset();
    fake::config().openResults = {-1};
    fake::config().lastError = "busy";
    const Run busy = runTool({"status", "--serial", "/dev/ttyUSB0"});
    QCOMPARE(busy.status, 1);
    QVERIFY2(busy.err.contains("cannot open /dev/ttyUSB0: it is missing or held by another program: busy"),
             qPrintable(busy.err));
    QCOMPARE(callNames(), QStringList{"OpenComm @115200"});
}

void TestNemboportStatus::watchPrintsOnlyChanges()
{
    // Five rounds: ready (with identity, 8 requests), ready (4), no answer,
    // no answer, ready again (4): three lines.
    fake::config().answers = printer();
    fake::config().queryResults = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1};
    const Run run = runTool({"status", "--port", "LPT1", "--watch", "0.1"}, 5);
    QCOMPARE(run.status, 0);
    QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.section(QLatin1Char(' '), 1); // without the time
    QCOMPARE(lines, (QStringList{"ready", "no answer", "ready"}));
    QCOMPARE(int(fake::callsOf("QueryPrinter").size()), 18); // the identity asked once

    fake::reset();
    fake::config().answers = printer(0x1A, 0x32, 0x72);
    const Run json = runTool({"status", "--port", "LPT1", "--watch", "0.1", "--json"}, 2);
    QCOMPARE(json.status, 3);
    const QStringList jsonLines = json.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(jsonLines.size(), 1);
    const QJsonObject o = QJsonDocument::fromJson(jsonLines.first().toUtf8()).object();
    QCOMPARE(o.value("summary").toString(), QStringLiteral("paper out"));
    QVERIFY(!o.value("time").toString().isEmpty());
}

void TestNemboportStatus::probeSerial_data()
{
    QTest::addColumn<int>("rate"); // the printer's; 0: no printer
    QTest::addColumn<bool>("json");
    QTest::addColumn<int>("exit");
    QTest::addColumn<int>("opens");       // rates tried
    QTest::addColumn<int>("refusedLast"); // the code of the last rate's failed open; DRAVIK_ERROR_NONE: it opens
    const int opens = DRAVIK_ERROR_NONE;
    QTest::newRow("found third") << 19200 << false << 0 << 3 << opens;
    QTest::newRow("found last, json") << 128000 << true << 0 << 10 << opens;
    QTest::newRow("none answers") << 0 << false << 1 << 10 << opens;
    // A rate this port cannot be set to (a driver's limit) is passed over, not
    // taken for the end.
    QTest::newRow("last rate refused") << 0 << false << 1 << 10 << int(DRAVIK_ERROR_INVALID_ARGUMENT);
    QTest::newRow("last rate: device gone") << 0 << false << 1 << 10 << int(DRAVIK_ERROR_DEVICE_LOST);
}

void TestNemboportStatus::probeSerial()
{
    QFETCH(int, rate);
    QFETCH(bool, json);
    QFETCH(int, refusedLast);
    const bool refused = refusedLast != DRAVIK_ERROR_NONE;
    if (refused) {
        fake::config().openResults = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0};
        fake::config().lastErrorCode = refusedLast;
        fake::config().lastError = "the last rate";
    }
    if (rate) {
        fake::config().answers = printer();
        fake::config().answerRate = rate;
        fake::config().noise = {0xFF}; // what a printer at another rate sends back
    }
    QStringList args{"probe", "--serial", "/dev/ttyUSB0"};
    if (json)
        args << "--json";
    const Run run = runTool(args);
    QTEST(run.status, "exit");
    QTEST(int(fake::callsOf("OpenComm").size()), "opens");
    QCOMPARE(fake::callsOf("CloseComm").size(), fake::callsOf("OpenComm").size() - (refused ? 1 : 0));
    QCOMPARE(fake::callsOf("OpenComm").front().number, 9600); // the most common first
    if (refusedLast == DRAVIK_ERROR_DEVICE_LOST) {
        QVERIFY2(run.err.contains("cannot open /dev/ttyUSB0: the last rate"), qPrintable(run.err));
    } else if (!rate) {
        QVERIFY2(run.err.contains("no receipt printer answered on /dev/ttyUSB0 at any of the rates"),
                 qPrintable(run.err));
        QCOMPARE(run.err.contains("(the port could not be set to 128000 baud)"),
                 refusedLast == DRAVIK_ERROR_INVALID_ARGUMENT);
    } else if (json) {
        const QJsonObject o = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(o.value("rate").toInt(), rate);
        QCOMPARE(o.value("tried").toArray().size(), 10);
        QCOMPARE(o.value("summary").toString(), QStringLiteral("ready"));
    } else {
        QVERIFY2(run.out.startsWith(QStringLiteral("/dev/ttyUSB0 answers at %1 baud\nstate: ready\n").arg(rate)),
                 qPrintable(run.out));
    }
}

void TestNemboportStatus::probeLink_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("lastErrorCode"); // DRAVIK_ERROR_NONE: the printer answers
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("says");
    QTest::newRow("port answers") << QStringList{"probe", "--port", "LPT1"} << int(DRAVIK_ERROR_NONE) << 0
                                  << "port LPT1 carries answers: the printer says ready";
    QTest::newRow("queue carries none") << QStringList{"probe", "--queue", "Office"} << int(DRAVIK_ERROR_NO_ANSWERS)
                                        << 1 << "queue Office carries no answers";
}

void TestNemboportStatus::probeLink()
{
    QFETCH(QStringList, args);
    QFETCH(int, lastErrorCode);
    fake::config().answers = printer();
    if (lastErrorCode != DRAVIK_ERROR_NONE) {
        fake::config().queryResults = {-1};
        fake::config().lastErrorCode = lastErrorCode;
    }
    const Run run = runTool(args);
    QTEST(run.status, "exit");
    QFETCH(QString, says);
    QVERIFY2((run.out + run.err).contains(says), qPrintable(run.out + run.err));
    QVERIFY(fake::callsOf("OpenComm").empty());
}

void TestNemboportStatus::libraryWithoutQueryPrinter()
{
    // The tool loads the library beside itself: a copy of it beside the fake
    // made before QueryPrinter.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QFile::copy(QStringLiteral(NPS_TOOL), dir.filePath(QStringLiteral("nemboport"))));
    QVERIFY(QFile::copy(QStringLiteral(NPS_NOANSWERS_FAKE), dir.filePath(QStringLiteral("libDravik.so"))));
    for (const QStringList &args :
         {QStringList{"status", "--port", "LPT1"}, QStringList{"probe", "--serial", "/dev/x"}}) {
        QProcess p;
        p.start(dir.filePath(QStringLiteral("nemboport")), args);
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(p.readAllStandardError().contains("libDravik.so lacks the export QueryPrinter"), "no reason given");
    }
}

QTEST_GUILESS_MAIN(TestNemboportStatus)
#include "tst_nemboport_status.moc"
