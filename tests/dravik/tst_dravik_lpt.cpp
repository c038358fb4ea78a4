// Raw printer ports through the real library, on stand-ins below
// DRAVIK_TEST_ROOT: a FIFO as /dev/lp0 (a printer that reads, stops reading,
// goes away, or was never there) and a pseudo-terminal nobody reads as
// /dev/usb/lp0.
#include "dravik_lib.h"
#include "time_bounds.h"
#include "timeouts.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cerrno>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

class TestDravikLpt : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void printerReceives17007Bytes();
    void printerStopsReading();
    void printerGoesAwayMidway();
    void noPrinterBehindThePort();
    void usbPrinterThatNeverReads();
    void missingPort();

private:
    QString fifoPath() const { return root_->filePath(QStringLiteral("dev/lp0")); }
    DravikLib lib;
    std::unique_ptr<QTemporaryDir> root_;
};

void TestDravikLpt::initTestCase()
{
    QString error;
    QVERIFY2(lib.load(error), qPrintable(error));
}

void TestDravikLpt::init()
{
    root_ = std::make_unique<QTemporaryDir>();
    QVERIFY(root_->isValid());
    QVERIFY(QDir().mkpath(root_->filePath(QStringLiteral("dev/usb"))));
    QCOMPARE(::mkfifo(QFile::encodeName(fifoPath()).constData(), 0600), 0);
    qputenv("DRAVIK_TEST_ROOT", QFile::encodeName(root_->path()));
    QCOMPARE(DravikLib::lines(lib.GetPrintDrivePortNames("LPT")), QStringList{QStringLiteral("LPT1:")});
}

void TestDravikLpt::cleanup()
{
    qunsetenv("DRAVIK_TEST_ROOT");
    root_.reset();
}

void TestDravikLpt::printerReceives17007Bytes()
{
    const int reader = ::open(QFile::encodeName(fifoPath()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);
    const QByteArray data = everyByteBuffer();
    QByteArray got;
    std::thread t([&] {
        QElapsedTimer timer;
        timer.start();
        char buf[4096];
        while (got.size() < data.size() && timer.elapsed() < 20000) {
            pollfd p{reader, POLLIN, 0};
            ::poll(&p, 1, 20);
            const ssize_t n = ::read(reader, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
            else
                ::usleep(2000); // 0 before the writer comes: no EOF yet
        }
    });
    // The program strips the ":" and sends to "LPT1".
    const bool ok = lib.SendBufferToPrint("LPT", "LPT1", "NV logo", bytes(data), data.size());
    const QString why = lib.lastError();
    t.join();
    ::close(reader);
    QVERIFY2(ok, qPrintable(why));
    QCOMPARE(got.size(), data.size());
    QVERIFY(got == data);
}

void TestDravikLpt::printerStopsReading()
{
    // A reader that holds the FIFO open and takes nothing; the FIFO holds at
    // most one page.
    const int reader = ::open(QFile::encodeName(fifoPath()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);
    QVERIFY(::fcntl(reader, F_SETPIPE_SZ, 4096) >= 4096);
    const QByteArray data = everyByteBuffer();
    const long long limit = dravik::lptTimeoutMs(data.size());
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.SendBufferToPrint("LPT", "LPT1", nullptr, bytes(data), data.size()), 0);
    const qint64 ms = t.elapsed();
    const QString why = lib.lastError();
    ::close(reader);
    qInfo("time-out %lld ms, failed after %lld ms: %s", limit, static_cast<long long>(ms), qPrintable(why));
    QVERIFY(ms >= limit - 50);
    QVERIFY(ms <= limit + timebounds::lateMs);
    QVERIFY2(why.contains(QLatin1String("time-out")) && why.contains(QLatin1String("LPT1")), qPrintable(why));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_TIMED_OUT);
}

void TestDravikLpt::printerGoesAwayMidway()
{
    // Reads one page, then closes: the next write gets EPIPE (and SIGPIPE,
    // which must not end this program).
    const int reader = ::open(QFile::encodeName(fifoPath()).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    QVERIFY(reader >= 0);
    QVERIFY(::fcntl(reader, F_SETPIPE_SZ, 4096) >= 4096);
    std::thread t([&] {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        char buf[1000];
        while (got.size() < 1000 && timer.elapsed() < 5000) {
            const ssize_t n = ::read(reader, buf, static_cast<size_t>(1000 - got.size()));
            if (n > 0)
                got.append(buf, n);
            else
                ::usleep(2000);
        }
        ::close(reader);
    });
    const QByteArray data = everyByteBuffer();
    QElapsedTimer timer;
    timer.start();
    const int ok = lib.SendBufferToPrint("LPT", "LPT1:", nullptr, bytes(data), data.size());
    const qint64 ms = timer.elapsed();
    const QString why = lib.lastError();
    t.join();
    QCOMPARE(ok, 0);
    QVERIFY(ms < dravik::lptTimeoutMs(data.size()));
    QVERIFY2(why.contains(QLatin1String("Broken pipe")), qPrintable(why));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_DEVICE_LOST);
}

void TestDravikLpt::noPrinterBehindThePort()
{
    // Nobody has the FIFO open: opening it for writing gives ENXIO, as a
    // device node without its printer does.
    const QByteArray data = everyByteBuffer();
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.SendBufferToPrint("LPT", "LPT1", nullptr, bytes(data), data.size()), 0);
    QVERIFY(t.elapsed() < dravik::lptTimeoutMs(data.size())); // at once, not at the time-out
    QVERIFY2(lib.lastError().contains(QLatin1String("no printer behind it")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_DEVICE_LOST);
}

void TestDravikLpt::usbPrinterThatNeverReads()
{
    int master = -1, slave = -1;
    char name[256] = {0};
    QCOMPARE(openpty(&master, &slave, name, nullptr, nullptr), 0);
    ::close(slave);
    const QString usb = root_->filePath(QStringLiteral("dev/usb/lp0"));
    QVERIFY(QFile::link(QString::fromLatin1(name), usb));
    // lp0 (the FIFO) is LPT1:, so the USB printer is LPT2:.
    QCOMPARE(DravikLib::lines(lib.GetPrintDrivePortNames("LPT")),
             (QStringList{QStringLiteral("LPT1:"), QStringLiteral("LPT2:")}));
    const QByteArray data = everyByteBuffer();
    const long long limit = dravik::lptTimeoutMs(data.size());
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.SendBufferToPrint("LPT", "LPT2", nullptr, bytes(data), data.size()), 0);
    const qint64 ms = t.elapsed();
    const QString why = lib.lastError();
    ::close(master);
    qInfo("time-out %lld ms, failed after %lld ms: %s", limit, static_cast<long long>(ms), qPrintable(why));
    QVERIFY(ms >= limit - 50);
    QVERIFY(ms <= limit + timebounds::lateMs);
    QVERIFY2(why.contains(QLatin1String("time-out")) && why.contains(QLatin1String("LPT2")), qPrintable(why));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_TIMED_OUT);
}

void TestDravikLpt::missingPort()
{
    QVERIFY(QFile::remove(fifoPath()));
    QCOMPARE(DravikLib::lines(lib.GetPrintDrivePortNames("LPT")), QStringList());
    QCOMPARE(lib.SendBufferToPrint("LPT", "LPT1", nullptr, bytes("x"), 1), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("no raw printer port LPT1")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
    // A full path that does not exist.
    const QByteArray missing = QFile::encodeName(root_->filePath(QStringLiteral("dev/usb/lp7")));
    QCOMPARE(lib.SendBufferToPrint("LPT", missing.constData(), nullptr, bytes("x"), 1), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("does not exist")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
}

QTEST_GUILESS_MAIN(TestDravikLpt)
#include "tst_dravik_lpt.moc"
