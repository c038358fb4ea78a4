// `nemboport serve` against what once stalled it, flooded its log, closed a
// job before it printed or lost receipts: one heavy job while another
// connection asks the printer's status, a half-closed job waiting its turn,
// more senders than it has files for; and a printer found on several
// addresses and a serial port that follows its rate setting.
#include "serve_process.h"

#include "config_commands.h"
#include "logo_commands.h"
#include "maintenance_commands.h"
#include "raster.h"
#include "status_requests.h"

#include <QDir>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <atomic>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray bytesOf(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size()));
}

// A blocking TCP connection of the test's own.
struct Connection
{
    int fd = -1;
    Connection(const char *host, quint16 port)
    {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        ::inet_pton(AF_INET, host, &address.sin_addr);
        if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ~Connection()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool sendAll(const QByteArray &bytes) const
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::send(fd, bytes.constData() + done, std::size_t(bytes.size() - done), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += n;
        }
        return true;
    }
    // Bytes that arrive within ms (stops early once `want` arrived or the
    // other end closed, which sets closed).
    QByteArray receive(int ms, qsizetype want, bool *closed = nullptr) const
    {
        QByteArray got;
        QElapsedTimer t;
        t.start();
        while (got.size() < want && t.elapsed() < ms) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, int(qMax<qint64>(1, ms - t.elapsed()))) <= 0)
                break;
            char buffer[4096];
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                if (closed)
                    *closed = true;
                break;
            }
            got.append(buffer, qsizetype(n));
        }
        return got;
    }
};

QByteArray logOf(const ServeProcess &serve)
{
    QFile log(QDir(serve.outDir()).filePath(QStringLiteral("log.txt")));
    return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
}

QByteArray alternating(qsizetype size)
{
    QByteArray bytes(size, 'A');
    for (qsizetype i = 1; i < size; i += 2)
        bytes[i] = '\x01';
    return bytes;
}

QByteArray identityRequests(qsizetype size)
{
    QByteArray one;
    for (IdRequest r : {IdRequest::Firmware, IdRequest::Maker, IdRequest::Model, IdRequest::SerialNumber})
        one += bytesOf(idRequest(r));
    QByteArray bytes;
    while (bytes.size() < size)
        bytes += one;
    return bytes;
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator rng(29);
    rng.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

QByteArray logoPrintsAndCuts(int prints)
{
    QImage picture(200, 680, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < picture.height(); y += 3)
        for (int x = y % 7; x < picture.width(); x += 7)
            picture.setPixel(x, y, qRgb(0, 0, 0));
    QByteArray bytes = bytesOf(raster::downloadCommand({picture}).bytes);
    const QByteArray printAndCut =
        bytesOf(logo::testPrintCommand(logo::Alignment::Middle, 1).bytes) + bytesOf(fullCutCommand().bytes);
    for (int i = 0; i < prints; ++i)
        bytes += printAndCut;
    return bytes;
}

} // namespace

class TestServeHostile : public QObject
{
    Q_OBJECT

private slots:
    void aJobStallsNoOtherConnection_data();
    void aJobStallsNoOtherConnection();
    void aHalfClosedJobIsAnsweredAndPrintedBeforeItCloses();
    void moreSendersThanFilesLoseNoReceipt();
    void oneFindablePrinterOnSeveralAddresses();
    void theSerialRateFollowsABaudRateCommand();
    void aFolderNamedWithControlsIsShownEscaped();
};

void TestServeHostile::aJobStallsNoOtherConnection_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::newRow("1 MB of alternating text and unknown bytes") << alternating(1024 * 1024);
    QTest::newRow("2.2 MB of identity requests") << identityRequests(2200 * 1024);
    QTest::newRow("16 MB of random bytes") << randomBytes(16 * 1024 * 1024);
    QTest::newRow("a logo with 300 prints and cuts") << logoPrintsAndCuts(300);
}

void TestServeHostile::aJobStallsNoOtherConnection()
{
    QFETCH(QByteArray, job);
    ServeProcess serve;
    const quint16 port = privatecups::freePort();
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(port)},
                         QStringLiteral("listening on"), error),
             qPrintable(error));

    // The job's sender writes it all, half-closes and reads what comes back
    // until the server closes; meanwhile a second connection asks the
    // printer's status again and again.
    Connection sender("127.0.0.1", port);
    QVERIFY(sender.fd >= 0);
    QVERIFY(sender.sendAll(job.left(1)));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(serve).contains("tcp#1 connected"), 5000);
    std::atomic<bool> sent{false};
    std::atomic<bool> closed{false};
    std::thread writer([&] {
        sent = sender.sendAll(job.mid(1));
        ::shutdown(sender.fd, SHUT_WR);
    });
    std::thread reader([&] {
        char buffer[65536];
        while (::recv(sender.fd, buffer, sizeof buffer, 0) > 0) {
        }
        closed = true;
    });
    // A failed check returns at once: the threads still end and are joined.
    const auto joined = qScopeGuard([&] {
        ::shutdown(sender.fd, SHUT_RDWR);
        if (writer.joinable())
            writer.join();
        if (reader.joinable())
            reader.join();
    });
    Connection asker("127.0.0.1", port);
    QVERIFY(asker.fd >= 0);
    const QByteArray request = bytesOf(statusRequest(StatusRequest::Printer));
    qint64 slowest = 0;
    int asked = 0;
    QElapsedTimer whole;
    whole.start();
    while (!closed && whole.elapsed() < 120000) {
        QElapsedTimer t;
        t.start();
        QVERIFY(asker.sendAll(request));
        const QByteArray answer = asker.receive(10000, 1);
        QCOMPARE(answer.size(), 1);
        slowest = qMax(slowest, t.elapsed());
        ++asked;
        QTest::qWait(20); // lets the server's output be read: a full pipe would hold it still
    }
    writer.join();
    reader.join();
    QVERIFY(sent);
    QVERIFY(closed);
    const QByteArray log = logOf(serve);
    qInfo("%d status answers while the job ran %.2f s, the slowest after %lld ms; the log has %lld lines (%lld bytes) "
          "for %lld KB",
          asked, whole.elapsed() / 1000.0, slowest, qlonglong(log.count('\n')), qlonglong(log.size()),
          qlonglong(job.size() / 1024));
    // A generous bound: a slice is 10 ms and answers come within tens of
    // them, but a loaded machine is slower; a job held whole stalled answers
    // for 2.8 to 7.6 s.
    QVERIFY2(slowest < 2000, qPrintable(QStringLiteral("an answer took %1 ms").arg(slowest)));
    QVERIFY(log.contains(QStringLiteral("tcp#1 closed after %1 bytes").arg(job.size()).toUtf8()));
    // A few lines a kilobyte, whatever the job holds.
    QVERIFY2(log.count('\n') <= 5 * (job.size() / 1024) + 200, qPrintable(QString::number(log.count('\n'))));
    QVERIFY(serve.stop());
}

void TestServeHostile::aHalfClosedJobIsAnsweredAndPrintedBeforeItCloses()
{
    ServeProcess serve;
    const quint16 port = privatecups::freePort();
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(port)},
                         QStringLiteral("listening on"), error),
             qPrintable(error));
    // A first job holds the printer; a second sends its receipt with a
    // status request at its end and half-closes, as a print server's
    // backend does, then waits for the printer to close.
    auto holder = std::make_unique<Connection>("127.0.0.1", port);
    QVERIFY(holder->sendAll("first job\n"));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(serve).contains("tcp#1 connected"), 5000);
    Connection job("127.0.0.1", port);
    QVERIFY(job.sendAll(QByteArray("second job\n") + bytesOf(fullCutCommand().bytes) +
                        bytesOf(statusRequest(StatusRequest::Printer))));
    QCOMPARE(::shutdown(job.fd, SHUT_WR), 0);
    bool closed = false;
    QCOMPARE(job.receive(500, 1, &closed), QByteArray());
    QVERIFY2(!closed, "closed while it still waited its turn");

    holder.reset();
    const QByteArray answer = job.receive(10000, 2, &closed);
    QCOMPARE(answer.size(), 1);
    QVERIFY(closed);
    // By the time it closed, its receipt was printed and logged.
    const QByteArray log = logOf(serve);
    const qsizetype receipt = log.indexOf("tcp#2 receipt ");
    QVERIFY2(receipt > 0 && receipt < log.indexOf("tcp#2 closed after"), log.constData());
    QVERIFY(log.contains("tcp#2 3 bytes: DLE EOT"));
    QVERIFY(serve.stop());
}

void TestServeHostile::moreSendersThanFilesLoseNoReceipt()
{
    // ulimit -n 1024 and 1500 senders at once, each with one receipt.
    constexpr int kSenders = 1500;
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    if (files.rlim_max != RLIM_INFINITY && files.rlim_max < rlim_t(kSenders + 100))
        QSKIP("this test's own open-file limit is below its senders");
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    ServeProcess serve;
    serve.setFileLimit(1024);
    const quint16 port = privatecups::freePort();
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(port),
                          QStringLiteral("--max-receipts"), QStringLiteral("0")},
                         QStringLiteral("listening on"), error),
             qPrintable(error));
    // A first job holds the printer, so every other connection waits.
    auto holder = std::make_unique<Connection>("127.0.0.1", port);
    QVERIFY(holder->sendAll("holding the printer\n"));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(serve).contains("tcp#1 connected"), 5000);
    std::vector<std::unique_ptr<Connection>> senders;
    const QByteArray receipt = QByteArray("a receipt\n") + bytesOf(fullCutCommand().bytes);
    for (int i = 0; i < kSenders; ++i) {
        senders.push_back(std::make_unique<Connection>("127.0.0.1", port));
        // A refused one may be closed before its bytes go.
        if (senders.back()->fd >= 0 && senders.back()->sendAll(receipt))
            ::shutdown(senders.back()->fd, SHUT_WR);
    }
    const auto refused = [&] { return logOf(serve).count("refused the connection"); };
    QTRY_VERIFY_WITH_TIMEOUT(refused() + logOf(serve).count("connected from") == kSenders + 1, 60000);
    holder.reset();
    const auto accounted = [&] { return logOf(serve).count("closed after") + refused(); };
    QTRY_COMPARE_WITH_TIMEOUT(accounted(), kSenders + 1, 120000);
    QVERIFY(serve.stop());
    const QByteArray log = logOf(serve);
    const qsizetype printed = log.count("closed after");
    const QStringList receipts = QDir(serve.outDir()).entryList({QStringLiteral("receipt-*.png")}, QDir::Files);
    qInfo("%lld printed, %lld refused, %lld receipts", qlonglong(printed), qlonglong(refused()),
          qlonglong(receipts.size()));
    QVERIFY(log.contains("the open-file limit lets"));
    // Room for as many as the limit lets in, no more.
    QVERIFY(refused() > 0 && printed > kSenders / 2);
    QVERIFY2(!log.contains("Too many open files"), log.right(3000).constData());
    QCOMPARE(receipts.size(), printed);
    QCOMPARE(serve.state().value("cuts").toInt(), int(printed) - 1); // the first job has no cut
}

void TestServeHostile::oneFindablePrinterOnSeveralAddresses()
{
    ServeProcess serve;
    const quint16 port = privatecups::freePort();
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--tcp"), QStringLiteral("127.0.0.2:%1").arg(port), QStringLiteral("--tcp"),
                          QStringLiteral("127.0.0.3:%1").arg(port), QStringLiteral("--maker"),
                          QStringLiteral("Counter Co"), QStringLiteral("--serial-number"), QStringLiteral("SN-42")},
                         QStringLiteral("Ctrl+C ends"), error),
             qPrintable(error));
    for (const char *host : {"127.0.0.2", "127.0.0.3"}) {
        QVERIFY(serve.output().contains(QStringLiteral("socket://%1:%2").arg(QLatin1String(host)).arg(port)));
        Connection asker(host, port);
        QVERIFY2(asker.fd >= 0, host);
        QVERIFY(asker.sendAll(bytesOf(idRequest(IdRequest::Maker)) + bytesOf(idRequest(IdRequest::SerialNumber))));
        const QByteArray answers = asker.receive(5000, 14);
        QVERIFY2(answers.contains("Counter Co") && answers.contains("SN-42"), answers.constData());
    }
    QVERIFY(serve.stop());
}

void TestServeHostile::theSerialRateFollowsABaudRateCommand()
{
    ServeProcess serve;
    QTemporaryDir linkDir;
    const QString link = linkDir.filePath(QStringLiteral("printer"));
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--pty"), link, QStringLiteral("--baud"), QStringLiteral("19200")},
                         QStringLiteral("announced as"), error),
             qPrintable(error));
    QCOMPARE(serve.state().value("baudRate").toInt(), 19200);
    const int fd = ::open(QFile::encodeName(link).constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    const auto setRate = [fd](speed_t speed) {
        termios t{};
        ::tcgetattr(fd, &t);
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed);
        return ::tcsetattr(fd, TCSANOW, &t) == 0;
    };
    QVERIFY(setRate(B19200));
    const Bytes command = baudRateCommand(InstructionSet::New, 9600).bytes;
    QCOMPARE(::write(fd, command.data(), command.size()), ssize_t(command.size()));
    // Its page printed at the old rate, the port reads at the new one.
    QTRY_VERIFY_WITH_TIMEOUT(logOf(serve).contains("its serial port now runs at 9600 baud"), 10000);
    QVERIFY(serve.waitForState([](const QJsonObject &s) { return s.value("baudRate").toInt() == 9600; }, 5000));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(serve).contains("pty#1 quiet after"), 10000);
    QVERIFY(!logOf(serve).contains("garbled"));

    QVERIFY(setRate(B9600));
    const Bytes request = statusRequest(StatusRequest::Printer);
    QCOMPARE(::write(fd, request.data(), request.size()), ssize_t(request.size()));
    pollfd p{fd, POLLIN, 0};
    QCOMPARE(::poll(&p, 1, 5000), 1);
    char answer = 0;
    QCOMPARE(::read(fd, &answer, 1), ssize_t(1));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(serve).contains("pty#2 3 bytes: DLE EOT: ask the printer status"), 5000);
    QVERIFY(!logOf(serve).contains("garbled"));
    ::close(fd);
    QVERIFY(serve.stop());
}

void TestServeHostile::aFolderNamedWithControlsIsShownEscaped()
{
    QTemporaryDir base;
    const QString out = base.filePath(QStringLiteral("out\x1b[2J"));
    ServeProcess serve;
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--pty"), QStringLiteral("--out"), out}, QStringLiteral("Ctrl+C ends"), error),
             qPrintable(error));
    QVERIFY(serve.stop());
    QVERIFY2(serve.output().contains(QLatin1String("out\\x1b[2J/state.json")), qPrintable(serve.output()));
    QVERIFY(!serve.output().contains(QLatin1Char('\x1b')));
}

QTEST_GUILESS_MAIN(TestServeHostile)
#include "tst_serve_hostile.moc"
