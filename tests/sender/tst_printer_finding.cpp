// What the search for printers rests on, below the tool and the window: the
// addresses a network search covers, the search itself against listeners
// of the test's own on loopback addresses (a printer, a silent listener, one
// answering garbage, one that hangs up), the library's lists read, the
// queues matched to a find, and the names a print queue may have. The
// request and answer bytes are the core's; a printer here answers whatever
// the core's decoders take.
#include "device_lists.h"
#include "network_scan.h"
#include "queue_making.h"
#include "status_requests.h"

#include <QElapsedTimer>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

// A listener on one loopback address; how it meets each question.
class Listener
{
public:
    enum Mode {
        Printer, // a ready printer named "Acme" "P-1" (identity questions answered)
        Silent,  // takes the connection, says nothing
        Garbage, // answers every question with text
        HangUp,  // takes the connection and closes it
    };
    bool start(const char *address, quint16 &port, Mode mode)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        socklen_t len = sizeof a;
        if (fd_ < 0 || ::inet_pton(AF_INET, address, &a.sin_addr) != 1 ||
            ::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
            return false;
        port = ntohs(a.sin_port);
        thread_ = std::thread([this, mode] { run(mode); });
        return true;
    }
    ~Listener()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    int questions() const { return questions_; }

private:
    void run(Mode mode)
    {
        std::vector<int> clients;
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 10) > 0) {
                const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (c >= 0 && mode == HangUp)
                    ::close(c);
                else if (c >= 0)
                    clients.push_back(c);
            }
            for (int c : clients) {
                unsigned char buf[64];
                const ssize_t n = ::read(c, buf, sizeof buf);
                if (n <= 0)
                    continue;
                ++questions_;
                const Bytes asked(buf, buf + n);
                QByteArray answer;
                if (mode == Garbage)
                    answer = "HTTP/1.0 400 Bad Request\r\n\r\n";
                else if (mode == Printer && asked.size() == 3 && asked[0] == 0x10)
                    answer = QByteArray(1, '\x12');
                else if (mode == Printer && asked == idRequest(IdRequest::Maker))
                    answer = QByteArray("_Acme", 6);
                else if (mode == Printer && asked == idRequest(IdRequest::Model))
                    answer = QByteArray("_P-1", 5);
                if (!answer.isEmpty())
                    (void)::write(c, answer.constData(), std::size_t(answer.size()));
            }
        }
        for (int c : clients)
            ::close(c);
    }

    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> questions_{0};
    std::thread thread_;
};

} // namespace

class TestPrinterFinding : public QObject
{
    Q_OBJECT

private slots:
    void scanWords_data();
    void scanWords();
    void networkSearch();
    void stoppedSearchEndsAtOnce();
    void deviceIds_data();
    void deviceIds();
    void queuesLeadingToAFind();
    void queueNames_data();
    void queueNames();
    void suggestedNames_data();
    void suggestedNames();
    void printerUris_data();
    void printerUris();
};

void TestPrinterFinding::scanWords_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QStringList>("addresses"); // the first few
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("problem");
    const int none = int(ScanWordProblem::None);
    QTest::newRow("one address") << QStringList{"127.0.0.7"} << QStringList{"127.0.0.7"} << 1 << none;
    QTest::newRow("a /30 without its network and broadcast")
        << QStringList{"127.0.0.8/30"} << QStringList{"127.0.0.9", "127.0.0.10"} << 2 << none;
    QTest::newRow("a /24 from any of its addresses")
        << QStringList{"127.0.1.77/24"} << QStringList{"127.0.1.1", "127.0.1.2"} << 254 << none;
    QTest::newRow("a /31 is two hosts") << QStringList{"127.0.0.4/31"} << QStringList{"127.0.0.4", "127.0.0.5"} << 2
                                        << none;
    QTest::newRow("each once, in the order given")
        << QStringList{"127.0.0.3", "127.0.0.2/31", "127.0.0.3"} << QStringList{"127.0.0.3", "127.0.0.2"} << 2 << none;
    QTest::newRow("IPv6 in brackets") << QStringList{"[::1]"} << QStringList{"::1"} << 1 << none;
    QTest::newRow("too wide a network") << QStringList{"127.0.0.0/15"} << QStringList{} << 0
                                        << int(ScanWordProblem::NotAnAddress);
    QTest::newRow("more than a search covers")
        << QStringList{"127.0.0.0/16"} << QStringList{} << 0 << int(ScanWordProblem::TooMany);
    QTest::newRow("not an address") << QStringList{"127.0.0.300/24"} << QStringList{} << 0
                                    << int(ScanWordProblem::NotAnAddress);
    QTest::newRow("an option-like word") << QStringList{"-p"} << QStringList{} << 0
                                         << int(ScanWordProblem::NotAnAddress);
}

void TestPrinterFinding::scanWords()
{
    QFETCH(QStringList, words);
    QFETCH(QStringList, addresses);
    QFETCH(int, count);
    const ScanTargets t = readScanTargets(words);
    QTEST(int(t.problem), "problem");
    QCOMPARE(int(t.addresses.size()), count);
    for (int i = 0; i < addresses.size(); ++i)
        QCOMPARE(t.addresses.at(std::size_t(i)), addresses.at(i));
    if (t.problem == ScanWordProblem::TooMany)
        QCOMPARE(t.count, qint64(65534));
}

void TestPrinterFinding::networkSearch()
{
    // One port on several loopback addresses, as printers on a network.
    quint16 port = 0;
    Listener printer, silent, garbage, hangUp;
    QVERIFY(printer.start("127.0.0.2", port, Listener::Printer));
    QVERIFY(silent.start("127.0.0.3", port, Listener::Silent));
    QVERIFY(garbage.start("127.0.0.4", port, Listener::Garbage));
    QVERIFY(hangUp.start("127.0.0.5", port, Listener::HangUp));
    const ScanTargets targets = readScanTargets({QStringLiteral("127.0.0.0/29")});
    QCOMPARE(int(targets.addresses.size()), 6);
    NetworkScanOptions options;
    options.answerMs = 300;
    QStringList told;
    int lastDone = 0, lastTotal = 0;
    const std::vector<NetworkFind> found = scanNetwork(
        targets.addresses, port, options, [&](const NetworkFind &f) { told << f.link(); },
        [&](int done, int total) {
            QVERIFY(done == lastDone + 1); // one at a time, in order
            lastDone = done;
            lastTotal = total;
        });
    QCOMPARE(lastDone, 6);
    QCOMPARE(lastTotal, 6);
    QCOMPARE(int(found.size()), 4); // the four listeners, in address order
    QCOMPARE(found[0].link(), QStringLiteral("127.0.0.2:%1").arg(port));
    QVERIFY(found[0].printer());
    QCOMPARE(found[0].report.identity.maker, QStringLiteral("Acme"));
    QCOMPARE(found[0].report.identity.model, QStringLiteral("P-1"));
    QCOMPARE(int(found[1].report.state), int(QueryState::NoAnswer));
    QCOMPARE(int(found[2].report.state), int(QueryState::NotAPrinter));
    QVERIFY(found[3].report.state == QueryState::Failed || found[3].report.state == QueryState::NoAnswer);
    for (std::size_t i = 1; i < 4; ++i)
        QVERIFY(!found[i].printer());
    QCOMPARE(told.size(), 4);
    // A listener that is no printer is asked once, not four times over.
    QCOMPARE(silent.questions(), 1);
    QCOMPARE(garbage.questions(), 1);
}

void TestPrinterFinding::stoppedSearchEndsAtOnce()
{
    quint16 port = 0;
    Listener silent;
    QVERIFY(silent.start("127.0.0.3", port, Listener::Silent));
    std::atomic<bool> stop{false};
    // Stopped once the listener has its question, whose answer the search
    // would wait a minute for.
    std::thread stopper([&] {
        while (silent.questions() == 0)
            QThread::msleep(5);
        stop = true;
    });
    NetworkScanOptions options;
    options.answerMs = 60000;
    QElapsedTimer t;
    t.start();
    const std::vector<NetworkFind> found = scanNetwork({QStringLiteral("127.0.0.3")}, port, options, {}, {}, &stop);
    stopper.join();
    QVERIFY2(t.elapsed() < 30000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(int(found.size()), 1);
    QVERIFY(!found.front().printer());
}

void TestPrinterFinding::deviceIds_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QStringList>("fields"); // maker, model, command set, serial number
    QTest::newRow("short keys") << "MFG:Acme;CMD:ESC/POS;MDL:TM 1;SN:42;"
                                << QStringList{"Acme", "TM 1", "ESC/POS", "42"};
    QTest::newRow("long keys, blanks") << " MANUFACTURER: Zeta ;MODEL:Z 58; COMMAND SET:ESC/POS,PDF;SERN:X9"
                                       << QStringList{"Zeta", "Z 58", "ESC/POS,PDF", "X9"};
    QTest::newRow("nothing told") << "" << QStringList{"", "", "", ""};
}

void TestPrinterFinding::deviceIds()
{
    QFETCH(QString, id);
    QFETCH(QStringList, fields);
    const DeviceId d = parseDeviceId(id);
    QCOMPARE((QStringList{d.maker, d.model, d.commandSet, d.serialNumber}), fields);
}

void TestPrinterFinding::queuesLeadingToAFind()
{
    const std::vector<QueueDeviceEntry> queues = {
        {"Front", "socket://127.0.0.2:9100", "127.0.0.2:9100"},
        {"Back", "socket://127.0.0.2", "127.0.0.2:9100"},
        {"Serial", "serial:/dev/null?baud=9600", "/dev/null"},
        {"Usb", "usb://Acme/TM%201?serial=42", ""},
        {"Ipp", "ipp://10.0.0.1/printers/x", ""},
    };
    QCOMPARE(queuesLeadingTo(queues, QStringLiteral("127.0.0.2:9100")), (QStringList{"Front", "Back"}));
    QCOMPARE(queuesLeadingTo(queues, QStringLiteral("127.0.0.2:9101")), QStringList{});
    // The same device through a link.
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("by-id"));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), link));
    QCOMPARE(queuesLeadingTo(queues, link), QStringList{"Serial"});
    // A USB printer only the print server sees: by its URI.
    QCOMPARE(queuesLeadingTo(queues, QString(), QStringLiteral("usb://Acme/TM%201?serial=42")), QStringList{"Usb"});
}

void TestPrinterFinding::queueNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("problem");
    QTest::newRow("plain") << "Receipt-80_2.a" << int(QueueNameProblem::None);
    QTest::newRow("not ASCII") << QString::fromUtf8("收银机") << int(QueueNameProblem::None);
    QTest::newRow("empty") << "" << int(QueueNameProblem::Empty);
    QTest::newRow("blank") << "Front desk" << int(QueueNameProblem::BlankOrControl);
    QTest::newRow("tab") << "a\tb" << int(QueueNameProblem::BlankOrControl);
    for (const char *c : {"/", "\\", "?", "'", "\"", "#", "@"})
        QTest::newRow(c) << QStringLiteral("a%1b").arg(QLatin1String(c)) << int(QueueNameProblem::Forbidden);
    QTest::newRow("127 bytes") << QString(127, QLatin1Char('n')) << int(QueueNameProblem::None);
    QTest::newRow("128 bytes") << QString(128, QLatin1Char('n')) << int(QueueNameProblem::TooLong);
    QTest::newRow("43 characters, 129 bytes") << QString::fromUtf8("收").repeated(43) << int(QueueNameProblem::TooLong);
}

void TestPrinterFinding::queueNames()
{
    QFETCH(QString, name);
    QTEST(int(queueNameProblem(name)), "problem");
}

void TestPrinterFinding::suggestedNames_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<QString>("name");
    QTest::newRow("kept") << "TP-80" << QStringList{} << "TP-80";
    QTest::newRow("blanks and slashes") << " TM T20 / II " << QStringList{} << "TM_T20_II";
    QTest::newRow("nothing left") << "???" << QStringList{} << "Receipt";
    QTest::newRow("taken, any case") << "TP-80" << QStringList{"tp-80", "TP-80-2"} << "TP-80-3";
}

void TestPrinterFinding::suggestedNames()
{
    QFETCH(QString, model);
    QFETCH(QStringList, taken);
    const QString name = suggestedQueueName(model, taken);
    QTEST(name, "name");
    QCOMPARE(int(queueNameProblem(name)), int(QueueNameProblem::None));
}

void TestPrinterFinding::printerUris_data()
{
    QTest::addColumn<QString>("uri");
    QTest::addColumn<bool>("taken");
    QTest::newRow("socket") << "socket://192.168.1.50:9100" << true;
    QTest::newRow("socket, no port") << "socket://printer.local" << true;
    QTest::newRow("socket, IPv6") << "socket://[fe80::1]:9100" << true;
    QTest::newRow("serial") << "serial:/dev/ttyUSB0?baud=9600" << true;
    QTest::newRow("usb") << "usb://Acme/TM%201?serial=42" << true;
    QTest::newRow("ipp") << "ipp://10.0.0.1/printers/x" << false;
    QTest::newRow("serial outside /dev") << "serial:/tmp/x" << false;
    QTest::newRow("serial climbing out") << "serial:/dev/../etc/passwd" << false;
    QTest::newRow("blank inside") << "socket://a b:9100" << false;
    QTest::newRow("file") << "file:///tmp/out" << false;
}

void TestPrinterFinding::printerUris()
{
    QFETCH(QString, uri);
    QTEST(isPrinterDeviceUri(uri), "taken");
}

QTEST_GUILESS_MAIN(TestPrinterFinding)
#include "tst_printer_finding.moc"
