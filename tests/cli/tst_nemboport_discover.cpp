// nemboport discover and add-queue through the fake library: what each find
// says (link, identity, status, queues), the serial search through probe's,
// a busy port skipped, the JSON, the exit statuses, usage refused before any
// call, and what becomes of a queue the library makes, refuses or lacks.
// The network search's bytes and the real print server are the real tests'.
#include "fake_dravik.h"
#include "nemboport_cli.h"
#include "status_requests.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

using Answers = std::map<std::vector<std::uint8_t>, std::vector<std::uint8_t>>;

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList &args)
{
    Run run;
    QTextStream out(&run.out);
    QTextStream err(&run.err);
    CliContext ctx{out, err};
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

// A ready printer that names itself.
Answers printer()
{
    Answers a;
    for (StatusRequest r :
         {StatusRequest::Printer, StatusRequest::OfflineCause, StatusRequest::ErrorCause, StatusRequest::RollPaper})
        a[statusRequest(r)] = {0x12};
    a[idRequest(IdRequest::Maker)] = text("Nembo");
    a[idRequest(IdRequest::Model)] = text("TP-80");
    a[idRequest(IdRequest::Firmware)] = text("1.02");
    a[idRequest(IdRequest::SerialNumber)] = text("A1234");
    return a;
}

const char *const kUsbLine = "/dev/usb/lp0\tusb://Acme/TM%201?serial=42\tMFG:Acme;MDL:TM 1;CMD:ESC/POS;SN:42;\n";

} // namespace

class TestNemboportDiscover : public QObject
{
    Q_OBJECT

private slots:
    void init() { fake::reset(); }
    void usbPrinterWithItsQueue();
    void serialRateFoundAndQueueless();
    void busySerialPortSkipped();
    void nothingFoundExitsOne();
    void printServerDevicesOnlyForAdministrators();
    void json();
    void usage_data();
    void usage();
    void addQueue_data();
    void addQueue();
    void discoverAddsTheOnePrinterFound();
};

void TestNemboportDiscover::usbPrinterWithItsQueue()
{
    fake::config().usbPrinters = kUsbLine;
    fake::config().queueDevices = "Receipt\tusb://Acme/TM%201?serial=42\t/dev/usb/lp0\n"
                                  "Other\tsocket://10.0.0.9:9100\t10.0.0.9:9100\n";
    fake::config().answers = printer();
    const Run run = runTool({"discover", "--usb"});
    QCOMPARE(run.status, 0);
    // The identity the printer answered comes before the one it told the kernel.
    QVERIFY2(run.out.startsWith("USB /dev/usb/lp0: Nembo TP-80, ready\n"
                                "  firmware 1.02, serial number A1234, command set ESC/POS\n"
                                "  device URI: usb://Acme/TM%201?serial=42\n"
                                "  print queues: Receipt\n"),
             qPrintable(run.out));
    QVERIFY2(run.out.endsWith("1 receipt printer(s) found\n"), qPrintable(run.out));
    // Asked through its device, as a raw printer port; the print server's
    // own USB list asked with a bound.
    const auto queries = fake::callsOf("QueryPrinter");
    QVERIFY(!queries.empty());
    QCOMPARE(queries.front().texts, (std::vector<std::string>{"LPT", "/dev/usb/lp0"}));
    const auto server = fake::callsOf("GetPrintServerDevices");
    QCOMPARE(server.size(), size_t(1));
    QCOMPARE(server.front().texts.front(), std::string("usb"));
    QVERIFY(server.front().number >= 1 && server.front().number <= 10);
    QVERIFY(fake::callsOf("OpenComm").empty()); // --usb alone probes no serial port
}

void TestNemboportDiscover::serialRateFoundAndQueueless()
{
    fake::config().serialPorts = "/dev/ttyNoSuch7\n";
    fake::config().answers = printer();
    fake::config().answerRate = 19200;
    fake::config().noise = {0xFF};
    const Run run = runTool({"discover", "--serial"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith("serial /dev/ttyNoSuch7 at 19200 baud: Nembo TP-80, ready\n"), qPrintable(run.out));
    QVERIFY2(run.out.contains("  device URI: serial:/dev/ttyNoSuch7?baud=19200\n"
                              "  no print queue leads to it: nemboport add-queue NAME --uri "
                              "'serial:/dev/ttyNoSuch7?baud=19200'\n"),
             qPrintable(run.out));
    // probe's order: 9600, 115200, then 19200, where it answers.
    QStringList rates;
    for (const fake::Call &c : fake::callsOf("OpenComm"))
        rates << QString::number(c.number);
    QCOMPARE(rates, (QStringList{"9600", "115200", "19200"}));
    QCOMPARE(fake::callsOf("CloseComm").size(), fake::callsOf("OpenComm").size());
}

void TestNemboportDiscover::busySerialPortSkipped()
{
    // Another program holds the "port" (a file it locks): named with the
    // reason, never opened.
    QTemporaryDir dir;
    const QString held = dir.filePath(QStringLiteral("ttyHeld"));
    const int fd = ::open(QFile::encodeName(held).constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::flock(fd, LOCK_EX), 0);
    const Run run = runTool({"discover", "--serial", held});
    ::close(fd);
    QCOMPARE(run.status, 1);
    QVERIFY2(run.out.contains(QStringLiteral("serial %1: skipped: busy: another program holds it\n").arg(held)),
             qPrintable(run.out));
    QVERIFY(fake::callsOf("OpenComm").empty());
}

void TestNemboportDiscover::nothingFoundExitsOne()
{
    const Run run = runTool({"discover"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.endsWith("nemboport: no receipt printer found\n"), qPrintable(run.err));
    // With no option: USB and the listed serial ports, never the network.
    QCOMPARE(fake::callsOf("GetUsbPrinters").size(), size_t(1));
    QCOMPARE(fake::callsOf("GetSystemSerial").size(), size_t(1));
}

void TestNemboportDiscover::printServerDevicesOnlyForAdministrators()
{
    // A printer the kernel's driver does not hold, seen by the print server
    // only, and the print server that lists its devices to administrators only.
    fake::config().serverDevices = "usb://Zeta/Z%2058\tdirect\tZeta Z 58\tMFG:Zeta;MDL:Z 58;\tZeta Z 58 (USB)\n";
    Run run = runTool({"discover", "--usb"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith("USB usb://Zeta/Z%2058: Zeta Z 58, status not asked"), qPrintable(run.out));

    fake::config().serverDevicesCode = DRAVIK_ERROR_NO_PERMISSION;
    fake::config().usbPrinters = kUsbLine;
    run = runTool({"discover", "--usb"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains("only to its administrators (the group lpadmin, or sudo)"), qPrintable(run.err));
}

void TestNemboportDiscover::json()
{
    fake::config().usbPrinters = kUsbLine;
    fake::config().answers = printer();
    const Run run = runTool({"discover", "--usb", "--json"});
    QCOMPARE(run.status, 0);
    const QJsonObject top = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(top.value("printers").toInt(), 1);
    const QJsonObject usb = top.value("found").toArray().first().toObject();
    QCOMPARE(usb.value("kind").toString(), QStringLiteral("usb"));
    QCOMPARE(usb.value("link").toString(), QStringLiteral("/dev/usb/lp0"));
    QCOMPARE(usb.value("uri").toString(), QStringLiteral("usb://Acme/TM%201?serial=42"));
    QCOMPARE(usb.value("model").toString(), QStringLiteral("TP-80"));
    QCOMPARE(usb.value("commandSet").toString(), QStringLiteral("ESC/POS"));
    QCOMPARE(usb.value("queues").toArray().size(), 0);
    QCOMPARE(usb.value("status").toObject().value("summary").toString(), QStringLiteral("ready"));
}

void TestNemboportDiscover::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("says");
    const auto row = [](const char *name, const QStringList &args, const char *says) {
        QTest::newRow(name) << (QStringList{"discover"} + args) << QString::fromLatin1(says);
    };
    row("a word without --serial", {"/dev/ttyUSB0"}, "discover takes words only after --serial");
    row("network without addresses", {"--network"}, "--network needs addresses");
    row("port without network", {"--port", "9101"}, "--port goes with --network");
    row("port zero", {"--network", "127.0.0.1", "--port", "0"}, "--port 0: give the printers' TCP port");
    row("replace without add", {"--replace"}, "--replace goes with --add NAME");
    row("no address", {"--network", "300.1.2.3/24"}, "--network 300.1.2.3/24: give an address");
    row("too many addresses", {"--network", "10.0.0.0/16"}, "--network 10.0.0.0/16: 65534 addresses");
    row("a name with a blank", {"--add", "My Printer"}, "My Printer: a print queue's name has no blanks");
    row("unknown option", {"--wifi"}, "unknown option --wifi");
    row("usb with a value", {"--usb=yes"}, "--usb takes no value");
}

void TestNemboportDiscover::usage()
{
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    const Run run = runTool(args);
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
    QVERIFY(fake::calls().empty());
}

void TestNemboportDiscover::addQueue_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("result"); // AddPrintQueue's; 9: not called
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("says");
    const QStringList socket{"add-queue", "Bar", "--uri", "socket://127.0.0.9:9100"};
    QTest::newRow("made") << socket << 1 << 0 << 0
                          << "print queue Bar made for socket://127.0.0.9:9100: raw (no driver), enabled and "
                             "accepting jobs\nask the printer through it: nemboport status --queue Bar\n";
    QTest::newRow("exists") << socket << -1 << int(DRAVIK_ERROR_INVALID_ARGUMENT) << 1
                            << "a print queue named Bar exists already: choose another name, or give --replace";
    QTest::newRow("not an administrator")
        << socket << 0 << int(DRAVIK_ERROR_NO_PERMISSION) << 1
        << "you may not add print queues on this print server: join the group lpadmin (sudo usermod -aG lpadmin";
    QTest::newRow("refused") << socket << 0 << int(DRAVIK_ERROR_INVALID_ARGUMENT) << 1
                             << "the print server did not make print queue Bar: no";
    QTest::newRow("no uri") << QStringList{"add-queue", "Bar"} << 9 << 0 << 2 << "add-queue needs the printer's device";
    QTest::newRow("ipp uri") << QStringList{"add-queue", "Bar", "--uri", "ipp://10.0.0.1/printers/x"} << 9 << 0 << 2
                             << "--uri ipp://10.0.0.1/printers/x: give socket://HOST:PORT";
    QTest::newRow("name with a slash") << QStringList{"add-queue", "a/b", "--uri", "serial:/dev/ttyUSB0?baud=9600"} << 9
                                       << 0 << 2 << "a/b: a print queue's name has none of";
    QTest::newRow("two names") << QStringList{"add-queue", "A", "B", "--uri", "usb://Acme/TM%201"} << 9 << 0 << 2
                               << "add-queue takes one name";
}

void TestNemboportDiscover::addQueue()
{
    QFETCH(QStringList, args);
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QString, says);
    if (result != 9) {
        fake::config().addQueueResults = {result};
        fake::config().lastErrorCode = code;
        fake::config().lastError = "no";
    }
    const Run run = runTool(args);
    QTEST(run.status, "exit");
    QVERIFY2((run.out + run.err).contains(says), qPrintable(run.out + run.err));
    const auto calls = fake::callsOf("AddPrintQueue");
    QCOMPARE(calls.size(), size_t(result == 9 ? 0 : 1));
    if (!calls.empty())
        QCOMPARE(calls.front().texts, (std::vector<std::string>{"Bar", "socket://127.0.0.9:9100"}));
    // Making a queue sends nothing to any printer.
    QVERIFY(fake::callsOf("SendBufferToPrint").empty());
    QVERIFY(fake::callsOf("QueryPrinter").empty());
}

void TestNemboportDiscover::discoverAddsTheOnePrinterFound()
{
    fake::config().usbPrinters = kUsbLine;
    fake::config().answers = printer();
    Run run = runTool({"discover", "--usb", "--add", "Front", "--replace"});
    QCOMPARE(run.status, 0);
    const auto calls = fake::callsOf("AddPrintQueue");
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls.front().texts, (std::vector<std::string>{"Front", "usb://Acme/TM%201?serial=42"}));
    QCOMPARE(calls.front().number, 1); // --replace

    // Two printers: which one is not guessed.
    fake::reset();
    fake::config().usbPrinters =
        std::string(kUsbLine) + "/dev/usb/lp1\tusb://Acme/TM%202?serial=7\tMFG:Acme;MDL:TM 2;SN:7;\n";
    run = runTool({"discover", "--usb", "--add", "Front"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains("--add Front makes a queue for a single printer, and 2 were found"), qPrintable(run.err));
    QVERIFY(fake::callsOf("AddPrintQueue").empty());
}

QTEST_GUILESS_MAIN(TestNemboportDiscover)
#include "tst_nemboport_discover.moc"
