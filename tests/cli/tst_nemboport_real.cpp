// The nemboport program itself, with the real printer I/O library beside it,
// run with no display at all: a profile applied end to end to a print queue
// of a private CUPS server and to a pseudo-terminal, byte for byte what the
// builders (and so the window) make for the same settings.
#include "cups_test_server.h"

#include "config_commands.h"
#include "hex.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

namespace {

const char *kQueue = "NbCliRaw";
const char *kQueue2 = "NbCliRaw2";

// The nine settings of the profiles below, as the builders make them.
std::vector<Command> expectedCommands(bool baudLast)
{
    const InstructionSet is = InstructionSet::New;
    std::vector<Command> commands = {codePageCommand(is, 15)};
    if (!baudLast)
        commands.push_back(baudRateCommand(is, 9600));
    for (const Command &c : {darknessCommand(is, 8), barcodeCommand(true), cutterCommand(true), blackMarkCommand(false),
                             buzzerCommand(is, buzzerMask(true, true, true, true))})
        commands.push_back(c);
    for (const Command &c : cutFeedCommands(false))
        commands.push_back(c);
    commands.push_back(cutModeCommand(false));
    if (baudLast)
        commands.push_back(baudRateCommand(is, 9600));
    return commands;
}

const char *const kSettings = "[settings]\n"
                              "codepage = CP936\n"
                              "baud = 9600\n"
                              "darkness = 8\n"
                              "barcode = on\n"
                              "cutter = on\n"
                              "black-mark = off\n"
                              "buzzer = receive,paper-out,cut,error\n"
                              "cut-feed = drive\n"
                              "cut-mode = half\n";

} // namespace

class TestNemboportReal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void appliesAProfileToAPrintQueue();
    void appliesAProfileToASerialPort();
    void sendsToSeveralQueuesAlike();
    void aQueueThatDoesNotExistFails();
    void loadsPicturesWithoutADisplay();
    void listFailsWhenThePrintServerIsDown(); // stops the server: keep it last

private:
    struct Result
    {
        int status = -1;
        QByteArray out, err;
    };
    Result tool(const QStringList &args);
    QString writeProfile(const QByteArray &target);

    QTemporaryDir dir_{QStringLiteral("/tmp/tst_nemboport-XXXXXX")};
    privatecups::Server server_{dir_.path()};
    privatecups::SocketPrinter printer_;
};

TestNemboportReal::Result TestNemboportReal::tool(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(server_.socketServer()));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(NPS_TOOL), args);
    Result r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

QString TestNemboportReal::writeProfile(const QByteArray &target)
{
    QFile f(dir_.filePath(QStringLiteral("profile.ini")));
    f.open(QIODevice::WriteOnly);
    f.write("[target]\n" + target + "\n" + kSettings);
    return f.fileName();
}

void TestNemboportReal::initTestCase()
{
    QVERIFY(dir_.isValid());
    QVERIFY2(QFileInfo::exists(QStringLiteral(NPS_TOOL_LIBRARY)), "libDravik.so is not beside nemboport");
    const QString failed = server_.start();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QVERIFY(printer_.start());
    QString out;
    for (const char *queue : {kQueue, kQueue2})
        QVERIFY2(server_.addRawQueue(QLatin1String(queue), QStringLiteral("socket://127.0.0.1:%1").arg(printer_.port()),
                                     out),
                 qPrintable(out));
}

void TestNemboportReal::cleanupTestCase()
{
    server_.stop();
}

void TestNemboportReal::appliesAProfileToAPrintQueue()
{
    const Result r = tool({"apply", writeProfile(QByteArray("queue = ") + kQueue)});
    QVERIFY2(r.status == 0, r.err.constData());
    QVERIFY(r.out.contains("restart the printer"));

    // One job per command, in order, untouched.
    const std::vector<Command> expected = expectedCommands(false);
    QVERIFY2(printer_.waitForJobs(int(expected.size()), 60000), qPrintable(server_.errorLogTail(20)));
    const QList<QByteArray> jobs = printer_.jobs();
    QCOMPARE(jobs.size(), int(expected.size()));
    for (int i = 0; i < jobs.size(); ++i)
        QCOMPARE(jobs.at(i).toHex(' ').toUpper(), hexOf(expected[std::size_t(i)].bytes));
}

void TestNemboportReal::appliesAProfileToASerialPort()
{
    int master = -1, slave = -1;
    char name[128] = {};
    QVERIFY(::openpty(&master, &slave, name, nullptr, nullptr) == 0);
    const Result r = tool({"apply", writeProfile(QByteArray("serial = ") + name + "\nbaud = 9600")});

    QByteArray got;
    char buf[4096];
    for (;;) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, 500) <= 0)
            break;
        const ssize_t n = ::read(master, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, n);
    }
    ::close(master);
    ::close(slave);
    QVERIFY2(r.status == 0, r.err.constData());

    // Over a serial port the baud rate goes last. The printer is asked how it
    // is after the first command (DLE EOT 1); a pty gives no answer, so it is
    // not asked again.
    QByteArray expected;
    bool asked = false;
    for (const Command &c : expectedCommands(true)) {
        expected.append(reinterpret_cast<const char *>(c.bytes.data()), qsizetype(c.bytes.size()));
        if (!std::exchange(asked, true))
            expected.append("\x10\x04\x01", 3);
    }
    QCOMPARE(got.toHex(' ').toUpper(), expected.toHex(' ').toUpper());
}

void TestNemboportReal::sendsToSeveralQueuesAlike()
{
    const int before = printer_.jobs().size();
    const Result r = tool({"set", "darkness", "8", "--queue", kQueue, "--queue", kQueue2});
    QVERIFY2(r.status == 0, r.err.constData());
    QVERIFY(printer_.waitForJobs(before + 2, 60000));
    const QByteArray expected = hexOf(darknessCommand(InstructionSet::New, 8).bytes);
    const QList<QByteArray> jobs = printer_.jobs().mid(before);
    QCOMPARE(jobs.size(), 2);
    for (const QByteArray &job : jobs)
        QCOMPARE(job.toHex(' ').toUpper(), expected);
}

void TestNemboportReal::aQueueThatDoesNotExistFails()
{
    const int before = printer_.jobs().size();
    const Result r = tool({"set", "darkness", "8", "--queue", "NoSuchQueue"});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith("nemboport: ") && r.err.contains("NoSuchQueue") && r.err.count('\n') == 1,
             r.err.constData());
    QCOMPARE(printer_.jobs().size(), before);
}

void TestNemboportReal::loadsPicturesWithoutADisplay()
{
    QImage image(64, 16, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QString path = dir_.filePath(QStringLiteral("logo.bmp"));
    QVERIFY(image.save(path, "BMP"));
    const Result r = tool({"logo", "download", path, "--dry-run"});
    QVERIFY2(r.status == 0, r.err.constData());
    QVERIFY2(r.out.contains("\"download NV LOGO\", 135 bytes"), r.out.constData());
}

void TestNemboportReal::listFailsWhenThePrintServerIsDown()
{
    server_.stop();
    const Result r = tool({"list"});
    // Not "no print queues found" with success: the server could not be asked.
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.startsWith("nemboport: cannot list the print queues: the print server cannot be reached") &&
                 r.err.count('\n') == 1,
             r.err.constData());
    QVERIFY2(!r.out.contains("no print queues"), r.out.constData());
}

QTEST_GUILESS_MAIN(TestNemboportReal)
#include "tst_nemboport_real.moc"
