// Serial ports through the real library, on pseudo-terminal pairs made here
// (openpty): the library opens the slave side by its path; a reader thread of
// the test plays the printer on the master side. /dev/ttyS0 (this machine's
// console) is never touched.
#include "dravik_lib.h"
#include "timeouts.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <atomic>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal pair: the master stays with the test, the slave is left
// to be opened by path.
struct Pty {
    int master = -1;
    QByteArray slave;
    Pty()
    {
        int m = -1, s = -1;
        char name[256] = {0};
        if (openpty(&m, &s, name, nullptr, nullptr) != 0)
            return;
        ::close(s);
        fcntl(m, F_SETFL, fcntl(m, F_GETFL) | O_NONBLOCK);
        master = m;
        slave = name;
    }
    ~Pty() { closeMaster(); }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    bool ok() const { return master >= 0; }
};

// Reads the master side on a thread of its own until `want` bytes came or the
// deadline passed; with closeAfter >= 0 it closes the master after that many.
class Reader
{
public:
    Reader(Pty &pty, qsizetype want, int timeoutMs, qsizetype closeAfter = -1)
        : pty_(pty), want_(want), closeAfter_(closeAfter)
    {
        thread_ = std::thread([this, timeoutMs] { run(timeoutMs); });
    }
    ~Reader() { join(); }
    QByteArray join()
    {
        if (thread_.joinable())
            thread_.join();
        return got_;
    }

private:
    void run(int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        char buf[4096];
        while (got_.size() < want_ && t.elapsed() < timeoutMs) {
            pollfd p{pty_.master, POLLIN, 0};
            ::poll(&p, 1, 20);
            qsizetype room = static_cast<qsizetype>(sizeof buf);
            if (closeAfter_ >= 0)
                room = qMin(room, closeAfter_ - got_.size());
            const ssize_t n = ::read(pty_.master, buf, static_cast<size_t>(room));
            if (n > 0)
                got_.append(buf, n);
            else if (n < 0 && errno == EIO)
                ::usleep(5000); // the slave is not open (yet, or any more)
            if (closeAfter_ >= 0 && got_.size() >= closeAfter_) {
                pty_.closeMaster();
                return;
            }
        }
    }

    Pty &pty_;
    qsizetype want_;
    qsizetype closeAfter_;
    QByteArray got_;
    std::thread thread_;
};

} // namespace

class TestDravikSerial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void sends17007BytesIntact();
    void sendsThroughTheOnlyOpenPort();
    void farEndClosesMidway();
    void farEndStopsReading_data();
    void farEndStopsReading();
    void adapterGoneBeforeSend();
    void missingDevice_data();
    void missingDevice();
    void busyWhenLockedByAnotherProgram();
    void busyWhenHeldExclusively();
    void holdsThePortExclusively();
    void asAnUnprivilegedUser();
    void receivesWithoutWaiting();
    void reopenChangesTheRate();
    void unsupportedRate();
    void notASerialPort();
    void listsNoPseudoTerminals();

private:
    DravikLib lib;
};

void TestDravikSerial::initTestCase()
{
    QString error;
    QVERIFY2(lib.load(error), qPrintable(error));
    qunsetenv("DRAVIK_TEST_ROOT");
}

void TestDravikSerial::cleanup()
{
    // No port stays open from one test to the next (each test opens at most
    // one; CloseComm closes the only open port whatever the name).
    QCOMPARE(lib.CloseComm(nullptr), 1);
}

void TestDravikSerial::sends17007BytesIntact()
{
    Pty pty;
    QVERIFY(pty.ok());
    const QByteArray data = everyByteBuffer();
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 115200), 1);
    QCOMPARE(lib.lastError(), QString());
    Reader reader(pty, data.size(), 20000);
    QElapsedTimer t;
    t.start();
    QVERIFY2(lib.SendBufferToPrint("COM", pty.slave.constData(), "NV logo", bytes(data), data.size()),
             qPrintable(lib.lastError()));
    QVERIFY(t.elapsed() < dravik::serialTimeoutMs(data.size(), 115200));
    const QByteArray got = reader.join();
    QCOMPARE(got.size(), data.size());
    QVERIFY(got == data);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::sendsThroughTheOnlyOpenPort()
{
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    const QByteArray data("\x1b\x40hello\n\r\x11\x13", 11);
    Reader reader(pty, data.size(), 5000);
    // The program may send with another serial list text than the port it
    // opened: the only open port takes the bytes.
    QVERIFY2(lib.SendBufferToPrint("COM", "COM9", nullptr, bytes(data), data.size()), qPrintable(lib.lastError()));
    QCOMPARE(reader.join(), data);
    // Closing by the other name closes the only open port too.
    QCOMPARE(lib.CloseComm("COM9"), 1);
    QCOMPARE(lib.SendBufferToPrint("COM", pty.slave.constData(), nullptr, bytes(data), data.size()), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("no serial port is open")), qPrintable(lib.lastError()));
}

void TestDravikSerial::farEndClosesMidway()
{
    Pty pty;
    QVERIFY(pty.ok());
    const QByteArray data = everyByteBuffer();
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 115200), 1);
    // 100 bytes read plus the ~16 KB a pty holds stay below 17007: the far end
    // is gone before the last byte is written.
    Reader reader(pty, data.size(), 10000, 100);
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.SendBufferToPrint("COM", pty.slave.constData(), "NV logo", bytes(data), data.size()), 0);
    const qint64 ms = t.elapsed();
    const QString why = lib.lastError();
    QCOMPARE(reader.join().size(), 100);
    qInfo("failed after %lld ms: %s", static_cast<long long>(ms), qPrintable(why));
    QVERIFY(ms < dravik::serialTimeoutMs(data.size(), 115200));
    QVERIFY2(why.contains(QLatin1String("failed after")) && why.contains(QString::fromLatin1(pty.slave)), qPrintable(why));
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::farEndStopsReading_data()
{
    QTest::addColumn<int>("baud");
    QTest::newRow("115200") << 115200;
    QTest::newRow("230400") << 230400;
}

void TestDravikSerial::farEndStopsReading()
{
    QFETCH(int, baud);
    Pty pty;
    QVERIFY(pty.ok());
    const QByteArray data = everyByteBuffer();
    QCOMPARE(lib.OpenComm(pty.slave.constData(), baud), 1);
    const long long limit = dravik::serialTimeoutMs(data.size(), baud);
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.SendBufferToPrint("COM", pty.slave.constData(), nullptr, bytes(data), data.size()), 0);
    const qint64 ms = t.elapsed();
    const QString why = lib.lastError();
    qInfo("time-out %lld ms, failed after %lld ms: %s", limit, static_cast<long long>(ms), qPrintable(why));
    QVERIFY(ms >= limit - 50);
    QVERIFY(ms <= limit + 1500);
    QVERIFY2(why.contains(QLatin1String("time-out")), qPrintable(why));
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::adapterGoneBeforeSend()
{
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    pty.closeMaster(); // the adapter is pulled: the tty hangs up
    const QByteArray data = everyByteBuffer();
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.SendBufferToPrint("COM", pty.slave.constData(), nullptr, bytes(data), data.size()), 0);
    QVERIFY(t.elapsed() < 1000);
    QVERIFY2(lib.lastError().contains(QLatin1String("failed after 0 bytes")), qPrintable(lib.lastError()));
    QCOMPARE(lib.GetCommRecvData(pty.slave.constData(), nullptr, 0), 0);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::missingDevice_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("full path") << QByteArray("/dev/ttyDRAVIKMISSING0") << QByteArray("/dev/ttyDRAVIKMISSING0");
    QTest::newRow("bare name") << QByteArray("ttyDRAVIKMISSING1") << QByteArray("/dev/ttyDRAVIKMISSING1");
    QTest::newRow("in a missing folder") << QByteArray("/dev/serial/by-id/dravik-missing") << QByteArray("/dev/serial/by-id/dravik-missing");
}

void TestDravikSerial::missingDevice()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, path);
    QCOMPARE(lib.OpenComm(name.constData(), 9600), -1);
    const QString why = lib.lastError();
    QVERIFY2(why.contains(QString::fromLatin1(path)) && why.contains(QLatin1String("does not exist")), qPrintable(why));
}

void TestDravikSerial::busyWhenLockedByAnotherProgram()
{
    Pty pty;
    QVERIFY(pty.ok());
    const int other = ::open(pty.slave.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(other >= 0);
    QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), -1);
    QVERIFY2(lib.lastError().contains(QLatin1String("in use")), qPrintable(lib.lastError()));
    ::close(other);
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::busyWhenHeldExclusively()
{
    Pty pty;
    QVERIFY(pty.ok());
    const int other = ::open(pty.slave.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(other >= 0);
    QCOMPARE(::ioctl(other, TIOCEXCL), 0);
    // Root gets past TIOCEXCL, so the library asks TIOCGEXCL; anyone else is
    // refused by the kernel (EBUSY). Either way: -1.
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), -1);
    QVERIFY2(lib.lastError().contains(QLatin1String("in use")), qPrintable(lib.lastError()));
    // The holder's exclusive mode is still set.
    int excl = 0;
    QCOMPARE(::ioctl(other, TIOCGEXCL, &excl), 0);
    QCOMPARE(excl, 1);
    ::ioctl(other, TIOCNXCL);
    ::close(other);
}

void TestDravikSerial::holdsThePortExclusively()
{
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    const int other = ::open(pty.slave.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (other < 0) {
        QCOMPARE(errno, EBUSY); // not root: TIOCEXCL refuses the open itself
    } else {
        int excl = 0;
        QCOMPARE(::ioctl(other, TIOCGEXCL, &excl), 0);
        QCOMPARE(excl, 1);
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), -1);
        QCOMPARE(errno, EWOULDBLOCK);
        QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
        // Closing lets go of both.
        QCOMPARE(::ioctl(other, TIOCGEXCL, &excl), 0);
        QCOMPARE(excl, 0);
        QCOMPARE(::flock(other, LOCK_EX | LOCK_NB), 0);
        ::close(other);
    }
    lib.CloseComm(pty.slave.constData());
}

void TestDravikSerial::asAnUnprivilegedUser()
{
    // Optional: TIOCEXCL as the kernel enforces it (it does not stop root), and
    // the permission message, with the library in a process of user 65534.
    if (::geteuid() != 0)
        QSKIP("needs root to switch users");
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        QSKIP("setpriv (util-linux) not installed");
    Pty pty;
    QVERIFY(pty.ok());
    auto runHelper = [&](QStringList &out) {
        QProcess p;
        p.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                          QStringLiteral(DRAVIK_OPEN_HELPER), QString::fromLatin1(pty.slave), QStringLiteral("9600")});
        if (!p.waitForFinished(20000))
            return false;
        out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && out.size() >= 2;
    };
    QCOMPARE(::chown(pty.slave.constData(), 65534, 65534), 0);
    QCOMPARE(::chmod(pty.slave.constData(), 0600), 0);
    QStringList out;
    if (!runHelper(out))
        QSKIP(qPrintable(QStringLiteral("user 65534 cannot run the helper here: ") + out.join(QLatin1Char(' '))));
    QCOMPARE(out.at(0), QStringLiteral("1")); // its own port: opens

    const int holder = ::open(pty.slave.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(holder >= 0);
    QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
    QVERIFY(runHelper(out));
    QCOMPARE(out.at(0), QStringLiteral("-1")); // held by another program
    QVERIFY2(out.at(1).contains(QLatin1String("in use")), qPrintable(out.at(1)));
    ::ioctl(holder, TIOCNXCL);
    ::close(holder);

    QCOMPARE(::chown(pty.slave.constData(), 0, 0), 0);
    QVERIFY(runHelper(out));
    QCOMPARE(out.at(0), QStringLiteral("0")); // no permission: 0, naming dialout
    QVERIFY2(out.at(1).contains(QLatin1String("permission denied")) && out.at(1).contains(QLatin1String("dialout")),
             qPrintable(out.at(1)));
}

void TestDravikSerial::receivesWithoutWaiting()
{
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    unsigned char buf[64];
    QCOMPARE(lib.GetCommRecvData(pty.slave.constData(), buf, sizeof buf), 0);
    QCOMPARE(::write(pty.master, "status\x10\x04", 8), ssize_t(8));
    QByteArray got;
    QElapsedTimer t;
    t.start();
    while (got.size() < 8 && t.elapsed() < 3000) {
        const int n = lib.GetCommRecvData(pty.slave.constData(), buf, sizeof buf);
        QVERIFY(n >= 0);
        got.append(reinterpret_cast<const char *>(buf), n);
        if (n == 0)
            QTest::qSleep(5);
    }
    QCOMPARE(got, QByteArray("status\x10\x04"));
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
    QCOMPARE(lib.GetCommRecvData(pty.slave.constData(), buf, sizeof buf), -1);
}

void TestDravikSerial::reopenChangesTheRate()
{
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 19200), 1); // already open: new rate
    const int look = ::open(pty.slave.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (look >= 0) { // root only (TIOCEXCL)
        termios tio{};
        QCOMPARE(::tcgetattr(look, &tio), 0);
        QCOMPARE(::cfgetospeed(&tio), speed_t(B19200));
        QCOMPARE(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
        QVERIFY(tio.c_cflag & CLOCAL);
        QCOMPARE(tio.c_iflag & (IXON | IXOFF | IXANY), tcflag_t(0));
        QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
        ::close(look);
    }
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::unsupportedRate()
{
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 12345), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("baud")), qPrintable(lib.lastError()));
}

void TestDravikSerial::notASerialPort()
{
    QTemporaryFile f;
    QVERIFY(f.open());
    QCOMPARE(lib.OpenComm(QFile::encodeName(f.fileName()).constData(), 9600), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("not a serial port")), qPrintable(lib.lastError()));
}

void TestDravikSerial::listsNoPseudoTerminals()
{
    Pty pty;
    QVERIFY(pty.ok());
    const QStringList ports = DravikLib::lines(lib.GetSystemSerial());
    qInfo("serial ports here: %s", qPrintable(ports.join(QLatin1Char(' '))));
    for (const QString &p : ports) {
        QVERIFY2(p.startsWith(QLatin1String("/dev/tty")), qPrintable(p));
        QVERIFY(!p.startsWith(QLatin1String("/dev/pts")));
    }
    QVERIFY(!ports.contains(QString::fromLatin1(pty.slave)));
}

QTEST_GUILESS_MAIN(TestDravikSerial)
#include "tst_dravik_serial.moc"
