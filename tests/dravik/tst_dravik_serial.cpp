// Serial ports through the real library, on pseudo-terminal pairs made here
// (openpty): the library opens the slave side by its path; a reader thread of
// the test plays the printer on the master side. /dev/ttyS0 (this machine's
// console) is never touched. Virtual printers are announced in a folder of
// the test's own (XDG_RUNTIME_DIR).
#include "dravik_lib.h"
#include "line_speed.h"
#include "time_bounds.h"
#include "timeouts.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <atomic>
#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal pair: the master stays with the test, the slave is left
// to be opened by path.
struct Pty
{
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
        : pty_(pty)
        , want_(want)
        , closeAfter_(closeAfter)
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

// A printer that answers: reads the request (its length known) on the master
// side, then after delayMs writes the answer.
class Responder
{
public:
    Responder(Pty &pty, qsizetype requestLength, const QByteArray &answer, int delayMs)
    {
        thread_ = std::thread([&pty, requestLength, answer, delayMs, this] {
            QElapsedTimer t;
            t.start();
            char buf[256];
            while (request_.size() < requestLength && t.elapsed() < 5000) {
                pollfd p{pty.master, POLLIN, 0};
                ::poll(&p, 1, 20);
                const ssize_t n = ::read(pty.master, buf, sizeof buf);
                if (n > 0)
                    request_.append(buf, n);
            }
            if (request_.size() < requestLength || answer.isEmpty())
                return;
            QThread::msleep(static_cast<unsigned long>(delayMs)); // the printer's own pace
            (void)::write(pty.master, answer.constData(), static_cast<size_t>(answer.size()));
        });
    }
    ~Responder() { join(); }
    QByteArray join()
    {
        if (thread_.joinable())
            thread_.join();
        return request_;
    }

private:
    QByteArray request_;
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
    void permissionAdvice_data();
    void permissionAdvice();
    void receivesWithoutWaiting();
    void reopenChangesTheRate_data();
    void reopenChangesTheRate();
    void reopenKeepsQueuedOutput();
    void reopenDuringASendHoldsUpNoOtherPort();
    void queryThroughTheOpenPort_data();
    void queryThroughTheOpenPort();
    void unsupportedRate();
    void notASerialPort_data();
    void notASerialPort();
    void opensThroughALink();
    void listsNoPseudoTerminals();
    void listsAnnouncedVirtualPrinters_data();
    void listsAnnouncedVirtualPrinters();

private:
    // Runs the open helper as user 65534 on path; false (with out) when it
    // cannot run here.
    bool openAsNobody(const QByteArray &path, QStringList &out);

    DravikLib lib;
    QTemporaryDir runtime_;
};

void TestDravikSerial::initTestCase()
{
    QString error;
    QVERIFY2(lib.load(error), qPrintable(error));
    qunsetenv("DRAVIK_TEST_ROOT");
    QVERIFY(runtime_.isValid());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
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
    QVERIFY(t.elapsed() < dravik::serialTimeoutMs(data.size(), 115200) + timebounds::lateMs);
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
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
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
    // Mid-write, or (when the pty took every byte before the reader left, as
    // on a slow run) while waiting for them to drain: either way a lost device.
    const bool named = why.contains(QLatin1String("failed after")) || why.contains(QLatin1String("to leave failed"));
    QVERIFY2(named && why.contains(QString::fromLatin1(pty.slave)), qPrintable(why));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_DEVICE_LOST);
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
    QVERIFY(ms <= limit + timebounds::lateMs);
    QVERIFY2(why.contains(QLatin1String("time-out")), qPrintable(why));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_TIMED_OUT);
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
    QVERIFY(t.elapsed() < dravik::serialTimeoutMs(data.size(), 9600)); // at once, not at the time-out
    QVERIFY2(lib.lastError().contains(QLatin1String("failed after 0 bytes")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_DEVICE_LOST);
    QCOMPARE(lib.GetCommRecvData(pty.slave.constData(), nullptr, 0), 0);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::missingDevice_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("full path") << QByteArray("/dev/ttyDRAVIKMISSING0") << QByteArray("/dev/ttyDRAVIKMISSING0");
    QTest::newRow("bare name") << QByteArray("ttyDRAVIKMISSING1") << QByteArray("/dev/ttyDRAVIKMISSING1");
    QTest::newRow("in a missing folder") << QByteArray("/dev/serial/by-id/dravik-missing")
                                         << QByteArray("/dev/serial/by-id/dravik-missing");
}

void TestDravikSerial::missingDevice()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, path);
    QCOMPARE(lib.OpenComm(name.constData(), 9600), -1);
    const QString why = lib.lastError();
    QVERIFY2(why.contains(QString::fromLatin1(path)) && why.contains(QLatin1String("does not exist")), qPrintable(why));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
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
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_BUSY);
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
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_BUSY);
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

bool TestDravikSerial::openAsNobody(const QByteArray &path, QStringList &out)
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (::geteuid() != 0 || setpriv.isEmpty()) {
        out = QStringList{QStringLiteral("needs root and setpriv (util-linux) to switch users")};
        return false;
    }
    QProcess p;
    p.start(setpriv,
            {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
             QStringLiteral(DRAVIK_OPEN_HELPER), QString::fromLatin1(path), QStringLiteral("9600")});
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished(5000);
        return false;
    }
    out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 && out.size() >= 3;
}

void TestDravikSerial::asAnUnprivilegedUser()
{
    // Optional: TIOCEXCL as the kernel enforces it (it does not stop root),
    // with the library in a process of user 65534.
    if (::geteuid() != 0)
        QSKIP("needs root to hand a port to user 65534");
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(::chown(pty.slave.constData(), 65534, 65534), 0);
    QCOMPARE(::chmod(pty.slave.constData(), 0600), 0);
    QStringList out;
    if (!openAsNobody(pty.slave, out))
        QSKIP(qPrintable(QStringLiteral("user 65534 cannot run the helper here: ") + out.join(QLatin1Char(' '))));
    QCOMPARE(out.at(0), QStringLiteral("1")); // its own port: opens
    QCOMPARE(out.at(2), QStringLiteral("0"));

    const int holder = ::open(pty.slave.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(holder >= 0);
    QCOMPARE(::ioctl(holder, TIOCEXCL), 0);
    QVERIFY(openAsNobody(pty.slave, out));
    QCOMPARE(out.at(0), QStringLiteral("-1")); // held by another program
    QVERIFY2(out.at(1).contains(QLatin1String("in use")), qPrintable(out.at(1)));
    QCOMPARE(out.at(2), QStringLiteral("2"));
    ::ioctl(holder, TIOCNXCL);
    ::close(holder);
}

void TestDravikSerial::permissionAdvice_data()
{
    // A port user 65534 may not open: the advice names the group that may
    // use it, or says that none may and points to the udev rule.
    QTest::addColumn<QByteArray>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QStringList>("never");

    const QStringList udev{QStringLiteral("no group may"), QStringLiteral("udev rule"),
                           QStringLiteral("dravik/README.md")};
    QTest::newRow("root:root 0600") << QByteArray("root") << 0600 << udev << QStringList{QStringLiteral("dialout")};
    QTest::newRow("root:dialout 0660") << QByteArray("dialout") << 0660
                                       << QStringList{QStringLiteral("group dialout"),
                                                      QStringLiteral("usermod -aG dialout")}
                                       << QStringList{QStringLiteral("udev")};
    QTest::newRow("root:lp 0660 names lp, not dialout")
        << QByteArray("lp") << 0660 << QStringList{QStringLiteral("group lp"), QStringLiteral("usermod -aG lp")}
        << QStringList{QStringLiteral("dialout"), QStringLiteral("udev")};
    QTest::newRow("root:lp 0620: the group may only write")
        << QByteArray("lp") << 0620 << udev << QStringList{QStringLiteral("usermod")};
}

void TestDravikSerial::permissionAdvice()
{
    QFETCH(QByteArray, group);
    QFETCH(int, mode);
    QFETCH(QStringList, says);
    QFETCH(QStringList, never);
    const ::group *g = ::getgrnam(group.constData());
    if (!g)
        QSKIP(qPrintable(QStringLiteral("no group ") + QString::fromLatin1(group) + QStringLiteral(" here")));
    const gid_t gid = g->gr_gid;
    if (::geteuid() != 0)
        QSKIP("needs root to give a port to root and another group");
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(::chown(pty.slave.constData(), 0, gid), 0);
    QCOMPARE(::chmod(pty.slave.constData(), static_cast<mode_t>(mode)), 0);
    QStringList out;
    if (!openAsNobody(pty.slave, out))
        QSKIP(qPrintable(QStringLiteral("user 65534 cannot run the helper here: ") + out.join(QLatin1Char(' '))));
    const QString why = out.at(1);
    qInfo("%s", qPrintable(why));
    QCOMPARE(out.at(0), QStringLiteral("0"));
    QCOMPARE(out.at(2), QStringLiteral("3"));
    QVERIFY2(why.startsWith(QLatin1String("permission denied")), qPrintable(why));
    for (const QString &s : says)
        QVERIFY2(why.contains(s), qPrintable(s + QStringLiteral(" missing in: ") + why));
    for (const QString &s : never)
        QVERIFY2(!why.contains(s), qPrintable(s + QStringLiteral(" should not be in: ") + why));
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

void TestDravikSerial::reopenChangesTheRate_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("then");
    QTest::newRow("rates termios names") << 9600 << 19200;
    // 128000 has no termios constant: it is set through termios2.
    QTest::newRow("to a rate termios does not name") << 9600 << 128000;
    QTest::newRow("from a rate termios does not name") << 128000 << 9600;
}

void TestDravikSerial::reopenChangesTheRate()
{
    QFETCH(int, first);
    QFETCH(int, then);
    Pty pty;
    QVERIFY(pty.ok());
    // The master reads the settings of its slave.
    QCOMPARE(lib.OpenComm(pty.slave.constData(), first), 1);
    QCOMPARE(line_speed::lineSpeed(pty.master), long(first));
    QCOMPARE(lib.OpenComm(pty.slave.constData(), then), 1); // already open: new rate
    QCOMPARE(line_speed::lineSpeed(pty.master), long(then));
    const QByteArray data("\x1b\x40rate\n", 7);
    Reader reader(pty, data.size(), 5000);
    QVERIFY2(lib.SendBufferToPrint("COM", pty.slave.constData(), nullptr, bytes(data), data.size()),
             qPrintable(lib.lastError()));
    QCOMPARE(reader.join(), data);
    const int look = ::open(pty.slave.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (look >= 0) { // root only (TIOCEXCL)
        termios tio{};
        QCOMPARE(::tcgetattr(look, &tio), 0);
        QCOMPARE(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
        QVERIFY(tio.c_cflag & CLOCAL);
        QCOMPARE(tio.c_iflag & (IXON | IXOFF | IXANY), tcflag_t(0));
        QCOMPARE(tio.c_oflag & OPOST, tcflag_t(0));
        ::close(look);
    }
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::reopenKeepsQueuedOutput()
{
    // Bytes a successful send left on their way (here: 10000 bytes in the
    // pty, which nobody has read yet and which fill its line buffer) are
    // still there after the port is closed and opened again; only stale input
    // goes.
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    const QByteArray data = everyByteBuffer(10000);
    QVERIFY2(lib.SendBufferToPrint("COM", pty.slave.constData(), nullptr, bytes(data), data.size()),
             qPrintable(lib.lastError()));
    QCOMPARE(::write(pty.master, "stale", 5), ssize_t(5));
    QTest::qSleep(50);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    Reader reader(pty, data.size(), 3000);
    const QByteArray got = reader.join();
    QCOMPARE(got.size(), data.size());
    QVERIFY(got == data);
    unsigned char buf[16];
    QCOMPARE(lib.GetCommRecvData(pty.slave.constData(), buf, sizeof buf), 0);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

namespace {

// True once the thread tid waits in a futex (on a lock), within timeoutMs.
bool waitsOnALock(pid_t tid, int timeoutMs)
{
    const QString file = QStringLiteral("/proc/self/task/%1/syscall").arg(tid);
    const QByteArray futex = QByteArray::number(SYS_futex) + ' ';
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QFile f(file);
        if (f.open(QIODevice::ReadOnly) && f.readAll().startsWith(futex))
            return true;
        QThread::msleep(5);
    }
    return false;
}

} // namespace

void TestDravikSerial::reopenDuringASendHoldsUpNoOtherPort()
{
    // A long send on one port (nobody reads it until the end), a reopen of
    // that port at a new rate waiting for the send, and a short send to an
    // unrelated port meanwhile: the short one does not wait for the long one.
    Pty busy, other;
    QVERIFY(busy.ok() && other.ok());
    QCOMPARE(lib.OpenComm(busy.slave.constData(), 9600), 1);
    QCOMPARE(lib.OpenComm(other.slave.constData(), 9600), 1);
    const QByteArray data = everyByteBuffer(65536);
    std::atomic<bool> longDone{false};
    int longOk = -1, reopened = -2;
    std::thread longSend([&] {
        longOk = lib.SendBufferToPrint("COM", busy.slave.constData(), nullptr, bytes(data), data.size());
        longDone = true;
    });
    // The send is under way once the pty holds what it can.
    QElapsedTimer t;
    t.start();
    int queued = 0;
    while (queued < 4096 && t.elapsed() < 5000) {
        ::ioctl(busy.master, FIONREAD, &queued);
        QThread::msleep(5);
    }
    std::atomic<pid_t> reopenTid{0};
    std::thread reopen([&] {
        reopenTid = static_cast<pid_t>(::syscall(SYS_gettid));
        reopened = lib.OpenComm(busy.slave.constData(), 19200);
    });
    while (reopenTid == 0)
        QThread::msleep(1);
    const bool reopenWaits = waitsOnALock(reopenTid, 30000);

    const QByteArray few("\x1b\x40"
                         "ab\n",
                         5);
    std::atomic<int> shortOk{-1};
    Reader otherReader(other, few.size(), 5000);
    std::thread shortSend(
        [&] { shortOk = lib.SendBufferToPrint("COM", other.slave.constData(), nullptr, bytes(few), few.size()); });
    // Nobody reads the busy port yet, so the long send cannot end before the
    // short one unless the short one waits for it.
    t.restart();
    while (shortOk < 0 && !longDone && t.elapsed() < 30000)
        QThread::msleep(2);
    const bool shortEndedFirst = shortOk >= 0 && !longDone;

    // Let the long send end (and everything with it), then judge.
    Reader busyReader(busy, data.size(), 20000);
    shortSend.join();
    longSend.join();
    reopen.join();
    QCOMPARE(busyReader.join().size(), data.size());
    QCOMPARE(otherReader.join(), few);
    QVERIFY(reopenWaits);
    QVERIFY(shortEndedFirst);
    QCOMPARE(shortOk.load(), 1);
    QCOMPARE(longOk, 1);
    QCOMPARE(reopened, 1);
    QCOMPARE(lib.CloseComm(busy.slave.constData()), 1);
    QCOMPARE(lib.CloseComm(other.slave.constData()), 1);
}

void TestDravikSerial::queryThroughTheOpenPort_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<int>("replySize");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("minMs");
    // A status byte at once (taken after 100 ms without another, well before
    // the long time-out); a longer answer than there is room for (taken as
    // soon as the room is full); an answer after the time-out (none within
    // it, and the call ends at its time-out); no answer at all; an identity
    // text, which ends at its NUL whatever follows it.
    const QByteArray status("\x10\x04\x01", 3); // real-time status: printer
    const QByteArray maker("\x1d\x49\x42", 3);  // the maker's name
    QTest::newRow("answers at once") << status << QByteArray("\x16", 1) << 0 << 16 << 20000 << QByteArray("\x16", 1)
                                     << 90;
    QTest::newRow("more than the room") << status << QByteArray("_ABCDEFGH\0", 10) << 0 << 4 << 20000
                                        << QByteArray("_ABC") << 0;
    QTest::newRow("answers late") << status << QByteArray("\x12", 1) << 4000 << 16 << 400 << QByteArray() << 380;
    QTest::newRow("never answers") << status << QByteArray() << 0 << 16 << 400 << QByteArray() << 380;
    QTest::newRow("an identity text ends at its NUL")
        << maker << QByteArray("_ACME\0TAIL", 10) << 0 << 80 << 20000 << QByteArray("_ACME\0", 6) << 0;
}

void TestDravikSerial::queryThroughTheOpenPort()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, delayMs);
    QFETCH(int, replySize);
    QFETCH(int, timeoutMs);
    QFETCH(QByteArray, expected);
    QFETCH(int, minMs);
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    // Input that came before the request is not its answer.
    QCOMPARE(::write(pty.master, "stale", 5), ssize_t(5));
    QFETCH(QByteArray, request);
    Responder printer(pty, request.size(), answer, delayMs);
    unsigned char reply[64] = {0};
    QElapsedTimer t;
    t.start();
    const int got =
        lib.QueryPrinter("COM", pty.slave.constData(), bytes(request), request.size(), reply, replySize, timeoutMs);
    const qint64 ms = t.elapsed();
    QCOMPARE(printer.join(), request);
    QVERIFY2(got >= 0, qPrintable(lib.lastError()));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(reply), got), expected);
    // An answer ends the wait before the time-out; without one the call ends
    // at it.
    const long long maxMs = expected.isEmpty() ? timeoutMs + timebounds::lateMs : timeoutMs;
    QVERIFY2(ms >= minMs && ms < maxMs, qPrintable(QString::number(ms)));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
}

void TestDravikSerial::unsupportedRate()
{
    Pty pty;
    QVERIFY(pty.ok());
    for (int rate : {line_speed::kSlowest - 1, line_speed::kFastest + 1}) {
        QCOMPARE(lib.OpenComm(pty.slave.constData(), rate), 0);
        QVERIFY2(lib.lastError().contains(QLatin1String("baud")), qPrintable(lib.lastError()));
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    }
}

void TestDravikSerial::notASerialPort_data()
{
    // In a scratch folder: "file" (a plain file), "fifo", "folder", "link"
    // (to the plain file); %1 is the folder.
    QTest::addColumn<QString>("name");
    QTest::newRow("a plain file") << "%1/file";
    QTest::newRow("a FIFO") << "%1/fifo";
    QTest::newRow("a folder") << "%1/folder";
    QTest::newRow("a link to a plain file") << "%1/link";
    QTest::newRow("a device that is no terminal") << "/dev/null";
    QTest::newRow("a name through ..") << "../%1/file";
}

void TestDravikSerial::notASerialPort()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile f(dir.filePath(QStringLiteral("file")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("keep");
    f.close();
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("fifo"))).constData(), 0600), 0);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QVERIFY(QFile::link(f.fileName(), dir.filePath(QStringLiteral("link"))));
    QString resolved = name;
    if (name.contains(QLatin1String("%1")))
        resolved = name.startsWith(QLatin1String("../")) ? name.arg(dir.path().mid(1)) : name.arg(dir.path());
    const QByteArray n = resolved.toUtf8();

    QCOMPARE(lib.OpenComm(n.constData(), 9600), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("not a serial port")) ||
                 lib.lastError().contains(QLatin1String("..")),
             qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);

    // With a port open, a send naming such a thing is refused instead of
    // going to the open port.
    Pty pty;
    QVERIFY(pty.ok());
    QCOMPARE(lib.OpenComm(pty.slave.constData(), 9600), 1);
    QCOMPARE(lib.SendBufferToPrint("COM", n.constData(), nullptr, bytes("x"), 1),
             name == QLatin1String("/dev/null") ? 1 : 0);
    if (name != QLatin1String("/dev/null")) // a device: the open port takes it
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_INVALID_ARGUMENT);
    QCOMPARE(lib.CloseComm(pty.slave.constData()), 1);
    QFile back(f.fileName());
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), QByteArray("keep"));
}

void TestDravikSerial::opensThroughALink()
{
    // A symbolic link to a terminal (as /dev/serial/by-id/... are) is fine.
    Pty pty;
    QVERIFY(pty.ok());
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray link = QFile::encodeName(dir.filePath(QStringLiteral("printer")));
    QVERIFY(QFile::link(QString::fromLatin1(pty.slave), QString::fromLocal8Bit(link)));
    QCOMPARE(lib.OpenComm(link.constData(), 9600), 1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    const QByteArray data("\x1b\x40");
    Reader reader(pty, data.size(), 3000);
    QVERIFY2(lib.SendBufferToPrint("COM", link.constData(), nullptr, bytes(data), data.size()),
             qPrintable(lib.lastError()));
    QCOMPARE(reader.join(), data);
    QCOMPARE(lib.CloseComm(link.constData()), 1);
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

void TestDravikSerial::listsAnnouncedVirtualPrinters_data()
{
    // Entries of the announcement folder: "live:NAME" links to a pty's device
    // end with its lock held (a running server), "orphan:NAME" the same with
    // nobody holding the lock (a killed server's link, its pty number free for
    // another terminal), "stale:NAME" to a path that is gone, "file:NAME" to a plain file,
    // "plain:NAME" is a plain file itself. "open" makes the folder writable
    // by everybody (then nothing in it counts).
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("no folder") << QStringList() << QStringList();
    QTest::newRow("one live printer") << QStringList{"live:receipt80"} << QStringList{"receipt80"};
    QTest::newRow("stale links and other files are skipped")
        << QStringList{"stale:gone", "live:b-printer", "file:notes", "plain:readme", "orphan:killed", "live:a-printer"}
        << QStringList{"a-printer", "b-printer"};
    QTest::newRow("any name, sorted by bytes") << QStringList{"live:zeta", "live:Alpha", "live:.hidden", "live:9"}
                                               << QStringList{".hidden", "9", "Alpha", "zeta"};
    QTest::newRow("a folder everybody may write to") << QStringList{"live:receipt80", "open"} << QStringList();
}

void TestDravikSerial::listsAnnouncedVirtualPrinters()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, listed);
    QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    const QString folder = runtime.filePath(QStringLiteral("nemboport/printers"));
    std::vector<std::unique_ptr<Pty>> ptys;
    std::vector<std::unique_ptr<QFile>> locks;
    for (const QString &e : entries) {
        QVERIFY(QDir().mkpath(folder));
        const QString kind = e.section(QLatin1Char(':'), 0, 0);
        const QString path = folder + QLatin1Char('/') + e.section(QLatin1Char(':'), 1);
        if (kind == QLatin1String("live") || kind == QLatin1String("orphan")) {
            ptys.push_back(std::make_unique<Pty>());
            QVERIFY(ptys.back()->ok());
            QVERIFY(QFile::link(QString::fromLatin1(ptys.back()->slave), path));
            locks.push_back(std::make_unique<QFile>(path + QStringLiteral(".lock")));
            QVERIFY(locks.back()->open(QIODevice::WriteOnly));
            if (kind == QLatin1String("live"))
                QCOMPARE(::flock(locks.back()->handle(), LOCK_EX | LOCK_NB), 0);
        } else if (kind == QLatin1String("stale")) {
            QVERIFY(QFile::link(runtime.filePath(QStringLiteral("pts-gone")), path));
        } else if (kind == QLatin1String("file") || kind == QLatin1String("plain")) {
            QFile f(kind == QLatin1String("file") ? runtime.filePath(QStringLiteral("target.txt")) : path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (kind == QLatin1String("file"))
                QVERIFY(QFile::link(f.fileName(), path));
        } else if (kind == QLatin1String("open")) {
            QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
        }
    }
    QStringList expected;
    for (const QString &n : listed)
        expected << folder + QLatin1Char('/') + n;

    // The real ports come first, the announced ones after them (the real
    // ones read with an empty folder: a printer the user runs is no entry).
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    QTemporaryDir empty;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(empty.path()));
    const QStringList real = DravikLib::lines(lib.GetSystemSerial());
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QStringList got = DravikLib::lines(lib.GetSystemSerial());
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    // Nor does a killed printer's link open, though named directly.
    for (const QString &e : entries)
        if (e.startsWith(QLatin1String("orphan:")))
            QCOMPARE(lib.OpenComm(QFile::encodeName(folder + QLatin1Char('/') + e.mid(7)).constData(), 9600), -1);
    qputenv("XDG_RUNTIME_DIR", saved);
    QCOMPARE(got, real + expected);
    // An announced port opens like any serial port.
    if (!expected.isEmpty()) {
        QCOMPARE(lib.OpenComm(expected.first().toUtf8().constData(), 9600), 1);
        QCOMPARE(lib.CloseComm(expected.first().toUtf8().constData()), 1);
    }
}

QTEST_GUILESS_MAIN(TestDravikSerial)
#include "tst_dravik_serial.moc"
