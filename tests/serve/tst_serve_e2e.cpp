// The whole chain: the real printer I/O library sends to `nemboport serve`
// through a private CUPS server (raw queue, socket://) and through its
// pseudo-terminal, paced at 9600 baud.
#include "cups_test_server.h"
#include "dravik_lib.h"
#include "receipt_dots.h"
#include "serve_process.h"

#include "config_commands.h"
#include "halftone.h"
#include "logo_commands.h"
#include "raster.h"

#include <QDir>
#include <QJsonArray>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <pty.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The grey picture, halftoned the way the logo window does.
QImage halftonedPicture(int width, int height)
{
    QImage image = receiptdots::greyPicture(width, height);
    halftone::apply(image);
    return image;
}

// How many bytes a pseudo-terminal takes before a writer blocks (depends on
// the kernel).
int ptyCapacity()
{
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return -1;
    termios t{};
    ::tcgetattr(slave, &t);
    ::cfmakeraw(&t);
    ::tcsetattr(slave, TCSANOW, &t);
    ::fcntl(slave, F_SETFL, ::fcntl(slave, F_GETFL) | O_NONBLOCK);
    const QByteArray chunk(1024, 'x');
    int total = 0;
    for (ssize_t n; (n = ::write(slave, chunk.constData(), std::size_t(chunk.size()))) > 0;)
        total += int(n);
    ::close(slave);
    ::close(master);
    return total;
}

struct Update
{
    InstructionSet set;
    int codePage;
    quint32 baud;
    int darkness;
    bool barcode, cutter, blackMark;
    int buzzer;
    bool commandMode;
};

} // namespace

class TestServeEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneKeyUpdateThroughCups_data();
    void oneKeyUpdateThroughCups();
    void logoAndTestPrintThroughCups();
    void logoOverThePacedPty();
    void jobsUnderWayEndWithTheServer();

private:
    bool send(const QString &queue, const Command &c);

    DravikLib lib_;
    QTemporaryDir cupsDir_{QStringLiteral("/tmp/tst_serve_e2e-XXXXXX")};
    privatecups::Server cups_{cupsDir_.path()};
};

void TestServeEndToEnd::initTestCase()
{
    QString error;
    QVERIFY2(lib_.load(error), qPrintable(error));
    QVERIFY(cupsDir_.isValid());
    error = cups_.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    qputenv("CUPS_SERVER", cups_.socketServer());
}

bool TestServeEndToEnd::send(const QString &queue, const Command &c)
{
    const QByteArray q = queue.toLatin1();
    if (lib_.SendBufferToPrint("DRIVE", q.constData(), c.docName, c.bytes.data(), int(c.bytes.size())))
        return true;
    qWarning("send to %s failed: %s", q.constData(), qPrintable(lib_.lastError()));
    return false;
}

void TestServeEndToEnd::oneKeyUpdateThroughCups_data()
{
    QTest::addColumn<Update>("u");
    QTest::newRow("new instruction set, drive mode")
        << Update{InstructionSet::New, 15, 19200, 31, false, false, true, 6, false};
    QTest::newRow("old instruction set, command mode")
        << Update{InstructionSet::Old, 36, 115200, 4, true, true, false, 9, true};
}

void TestServeEndToEnd::oneKeyUpdateThroughCups()
{
    QFETCH(Update, u);
    ServeProcess serve;
    const QString queue = QStringLiteral("Virtual%1").arg(QTest::currentDataTag()[0] == 'n' ? 1 : 2);
    QVERIFY(serveBehindQueue(serve, cups_, queue));

    // The one-key update's sends, in its order, each its own job.
    std::vector<Command> update{codePageCommand(u.set, std::uint8_t(u.codePage)),
                                baudRateCommand(u.set, u.baud),
                                darknessCommand(u.set, std::uint8_t(u.darkness)),
                                barcodeCommand(u.barcode),
                                cutterCommand(u.cutter),
                                blackMarkCommand(u.blackMark),
                                buzzerCommand(u.set, std::uint8_t(u.buzzer))};
    for (const Command &c : cutFeedCommands(u.commandMode))
        update.push_back(c);
    for (const Command &c : update)
        QVERIFY(send(queue, c));

    const QJsonObject expected{{"codePage", u.codePage},
                               {"baudRate", qint64(u.baud)},
                               {"darkness", u.darkness},
                               {"barcode", u.barcode},
                               {"cutter", u.cutter},
                               {"blackMark", u.blackMark},
                               // The old set switches the buzzer as a whole.
                               {"buzzer", u.set == InstructionSet::New ? u.buzzer : 15},
                               {"cutMode", "full+half"},
                               {"cutFeed", u.commandMode ? "command" : "drive"},
                               {"logos", QJsonArray{}},
                               {"qrText", ""},
                               {"paper", "ok"},
                               {"cover", "closed"},
                               {"online", true},
                               {"cuts", 1},
                               {"drawerPulses", 0},
                               {"unknownBytes", 0}};
    // The last job is the last cut feed command; CUPS prints the queue in order.
    const bool arrived = serve.waitForState(
        [&](const QJsonObject &s) {
            return s.value("cutFeed") == expected.value("cutFeed") && s.value("buzzer") == expected.value("buzzer") &&
                   s.value("darkness") == expected.value("darkness");
        },
        60000);
    QVERIFY2(arrived, qPrintable(cups_.errorLogTail(30) + serve.output()));
    QTest::qSleep(300); // nothing more may come
    QCOMPARE(serve.state(), expected);
    QVERIFY(serve.stop());
}

void TestServeEndToEnd::logoAndTestPrintThroughCups()
{
    ServeProcess serve;
    QVERIFY(serveBehindQueue(serve, cups_, QStringLiteral("VirtualLogo")));
    const QImage picture = halftonedPicture(256, 120);
    const raster::Result download = raster::downloadCommand({picture});
    QCOMPARE(download.status, raster::Status::Ok);
    QVERIFY(send(QStringLiteral("VirtualLogo"), {download.bytes, raster::kDocDownload}));
    QVERIFY(send(QStringLiteral("VirtualLogo"), logo::testPrintCommand(logo::Alignment::Middle, 1)));

    // The download prints nothing; the test print is the first receipt.
    const QString path = QDir(serve.outDir()).filePath(QStringLiteral("receipt-001.png"));
    QElapsedTimer t;
    t.start();
    while (!QFileInfo::exists(path) && t.elapsed() < 60000)
        QTest::qWait(20); // lets the server's output be read: a full pipe would hold it still
    QVERIFY2(QFileInfo::exists(path), qPrintable(cups_.errorLogTail(30) + serve.output()));
    QTest::qSleep(100);
    const QImage receipt(path);
    QCOMPARE(receipt.size(), QSize(576, picture.height()));
    int black = 0;
    const QString differs = receiptdots::differences(receipt, picture, (576 - picture.width()) / 2, black);
    QVERIFY2(differs.isEmpty(), qPrintable(differs));
    QVERIFY(black > 1000);
    QCOMPARE(serve.state().value("logos").toArray(), (QJsonArray{QJsonObject{{"width", 256}, {"height", 120}}}));
    QVERIFY(serve.stop());
}

void TestServeEndToEnd::logoOverThePacedPty()
{
    ServeProcess serve;
    QTemporaryDir linkDir;
    const QString link = linkDir.filePath(QStringLiteral("virtual-printer"));
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--pty"), link, QStringLiteral("--baud"), QStringLiteral("9600")},
                         QStringLiteral("announced as"), error),
             qPrintable(error));
    const QString device = QFileInfo(link).symLinkTarget();
    QVERIFY2(device.startsWith(QLatin1String("/dev/pts/")), qPrintable(device));
    // The announcement the library's serial list reads.
    const QString announced =
        serve.runtimeDir() + QStringLiteral("/nemboport/printers/virtual-printer-%1").arg(serve.pid());
    QCOMPARE(QFileInfo(announced).symLinkTarget(), device);

    // The largest download: 200 x 680 dots, 17000 data bytes.
    const raster::Result download = raster::downloadCommand({halftonedPicture(200, 680)});
    QCOMPARE(download.status, raster::Status::Ok);
    QCOMPARE(int(download.bytes.size()), 17007);
    const double wireMs = 17007.0 * 10 * 1000 / 9600;

    const QByteArray port = QFile::encodeName(link);
    QVERIFY2(lib_.OpenComm(port.constData(), 9600) == 1, qPrintable(lib_.lastError()));
    QElapsedTimer t;
    t.start();
    const int sent = lib_.SendBufferToPrint("COM", port.constData(), raster::kDocDownload, download.bytes.data(),
                                            int(download.bytes.size()));
    const qint64 sendMs = t.elapsed();
    const QString sendError = lib_.lastError();
    const bool arrived = serve.waitForState(
        [](const QJsonObject &s) {
            return s.value("logos").toArray() == QJsonArray{QJsonObject{{"width", 200}, {"height", 680}}};
        },
        3 * int(wireMs));
    const qint64 arriveMs = t.elapsed();
    lib_.CloseComm(port.constData());
    QVERIFY2(sent, qPrintable(sendError));
    QVERIFY2(arrived, qPrintable(serve.output().right(2000)));
    const int capacity = ptyCapacity();
    qInfo(
        "17007-byte logo at 9600 baud over the pty: send took %.2f s, all bytes arrived after %.2f s, wire time %.2f s "
        "(this kernel's pty takes %d bytes before a writer waits)",
        sendMs / 1000.0, arriveMs / 1000.0, wireMs / 1000.0, capacity);
    // Paced: never faster than the wire, and short of waiting twice for it.
    QVERIFY(arriveMs >= wireMs - 20);
    QVERIFY(arriveMs < 2 * wireMs);
    // The sender waits for whatever its pty cannot hold.
    if (capacity > 0 && capacity < 17007)
        QVERIFY(sendMs >= (17007 - capacity) * 10 * 1000 / 9600 * 8 / 10);
    QCOMPARE(serve.state().value("unknownBytes"), QJsonValue(0));

    // Ctrl+C: a clean end that takes its links along.
    QVERIFY(serve.stop());
    QVERIFY(!QFileInfo(announced).isSymLink());
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestServeEndToEnd::jobsUnderWayEndWithTheServer()
{
    // Stopped while a serial job and a TCP job are still open: both are read
    // to the end and printed, as if they had ended on their own.
    ServeProcess serve;
    QTemporaryDir linkDir;
    const QString link = linkDir.filePath(QStringLiteral("virtual-printer"));
    const quint16 tcpPort = privatecups::freePort();
    QString error;
    QVERIFY2(serve.start(
                 {QStringLiteral("--pty"), link, QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(tcpPort)},
                 QStringLiteral("announced as"), error),
             qPrintable(error));

    const QByteArray port = QFile::encodeName(link);
    const Command darkness = darknessCommand(InstructionSet::New, 5);
    QByteArray serialJob = "serial job\n";
    serialJob.append(reinterpret_cast<const char *>(darkness.bytes.data()), qsizetype(darkness.bytes.size()));
    QVERIFY2(lib_.OpenComm(port.constData(), 9600) == 1, qPrintable(lib_.lastError()));
    QVERIFY2(lib_.SendBufferToPrint("COM", port.constData(), "serial job",
                                    reinterpret_cast<const unsigned char *>(serialJob.constData()),
                                    int(serialJob.size())),
             qPrintable(lib_.lastError()));
    lib_.CloseComm(port.constData());

    struct Socket
    {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ~Socket() { ::close(fd); }
    } tcp;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(tcpPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::connect(tcp.fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    QCOMPARE(::write(tcp.fd, "tcp job\n", 8), ssize_t(8));

    QVERIFY(serve.waitForState([](const QJsonObject &s) { return s.value("darkness") == QJsonValue(5); }, 5000));
    const auto logged = [&serve](const char *text) {
        QFile log(QDir(serve.outDir()).filePath(QStringLiteral("log.txt")));
        return log.open(QIODevice::ReadOnly) && log.readAll().contains(text);
    };
    QTRY_VERIFY_WITH_TIMEOUT(logged("tcp job"), 5000);

    QVERIFY(serve.stop());
    // Both jobs ended (one printer: their text shares the paper it printed).
    QVERIFY2(logged("pty#1 quiet after 19 bytes") && logged("tcp#1 closed after 8 bytes"), qPrintable(serve.output()));
    QVERIFY(QFileInfo::exists(QDir(serve.outDir()).filePath(QStringLiteral("receipt-001.png"))));
}

QTEST_GUILESS_MAIN(TestServeEndToEnd)
#include "tst_serve_e2e.moc"
