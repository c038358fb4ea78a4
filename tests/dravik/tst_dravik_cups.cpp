// Print queues through the real library, against a CUPS server of the test's
// own: cupsd with its own configuration, spool and logs under a 0755 temporary
// folder, listening on its own socket and on a free loopback port, with raw
// queues whose device is a socket listener of the test
// (socket://127.0.0.1:PORT, CUPS' AppSocket backend). CUPS_SERVER points the
// library at it. A missing cupsd is a failure, not a skip.
#include "dravik_lib.h"

#include "cups_test_server.h"
#include "time_bounds.h"
#include "timeouts.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstring>
#include <mutex>

#include <cups/cups.h>
#include <pty.h>

using privatecups::freePort;
using privatecups::SocketPrinter;

namespace {

const char *kQueueA = "NbRawA";
const char *kQueueB = "NbRawB"; // the server's default
const char *kQueueOffline = "NbOffline";

// A server that goes away in the middle of a request: it accepts the
// connection and closes it, at once or after reading the request, or after
// answering the first request (a queue look-up: the queue exists and takes
// jobs) so that the next one (creating the job) finds it gone.
class VanishingServer
{
public:
    enum Mode {
        CloseAtOnce,
        ReadThenClose,
        AnswerLookUpThenClose
    };
    bool start(Mode mode)
    {
        mode_ = mode;
        if (!privatecups::listenOnLoopback(fd_, port_))
            return false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~VanishingServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    QByteArray address() const { return "127.0.0.1:" + QByteArray::number(port_); }
    int connections() const { return connections_; }

private:
    void run()
    {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0)
                continue;
            ++connections_;
            if (mode_ == ReadThenClose) {
                char buf[4096];
                pollfd q{c, POLLIN, 0};
                if (::poll(&q, 1, 2000) > 0)
                    (void)::read(c, buf, sizeof buf);
            } else if (mode_ == AnswerLookUpThenClose && connections_ == 1) {
                answerOneRequest(c);
            }
            ::close(c);
        }
    }

    // Reads one HTTP request (saying "100 Continue" when asked) and answers
    // it with a successful IPP response describing an accepting queue.
    static void answerOneRequest(int c)
    {
        QByteArray in;
        char buf[4096];
        auto readMore = [&] {
            pollfd q{c, POLLIN, 0};
            if (::poll(&q, 1, 2000) <= 0)
                return false;
            const ssize_t n = ::read(c, buf, sizeof buf);
            if (n <= 0)
                return false;
            in.append(buf, n);
            return true;
        };
        while (!in.contains("\r\n\r\n"))
            if (!readMore())
                return;
        const qsizetype bodyAt = in.indexOf("\r\n\r\n") + 4;
        const QByteArray head = in.left(bodyAt).toLower();
        qsizetype length = 0;
        const qsizetype cl = head.indexOf("content-length:");
        if (cl >= 0)
            length = head.mid(cl + 15, head.indexOf('\r', cl) - cl - 15).trimmed().toLongLong();
        if (head.contains("expect: 100-continue")) {
            const QByteArray go("HTTP/1.1 100 Continue\r\n\r\n");
            (void)::write(c, go.constData(), go.size());
        }
        while (in.size() < bodyAt + qMax<qsizetype>(length, 8))
            if (!readMore())
                return;
        auto attribute = [](char tag, const QByteArray &name, const QByteArray &value) {
            QByteArray a(1, tag);
            a += char(name.size() >> 8);
            a += char(name.size() & 0xFF);
            a += name;
            a += char(value.size() >> 8);
            a += char(value.size() & 0xFF);
            a += value;
            return a;
        };
        QByteArray ipp("\x02\x00\x00\x00", 4); // version 2.0, successful-ok
        ipp += in.mid(bodyAt + 4, 4);          // the request's id
        ipp += '\x01';
        ipp += attribute('\x47', "attributes-charset", "utf-8");
        ipp += attribute('\x48', "attributes-natural-language", "en");
        ipp += '\x04';
        ipp += attribute('\x42', "printer-name", kQueueA);
        ipp += attribute('\x22', "printer-is-accepting-jobs", QByteArray("\x01", 1));
        ipp += '\x03';
        const QByteArray out =
            "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: " + QByteArray::number(ipp.size()) +
            "\r\n\r\n" + ipp;
        (void)::write(c, out.constData(), out.size());
        QTest::qSleep(100); // the answer is read before the connection goes
    }

    Mode mode_ = CloseAtOnce;
    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// A server that takes connections and never finishes an answer: it says
// nothing at all, or after reading the request drips the start of an answer,
// one byte a second.
class SilentServer
{
public:
    enum Mode {
        Silent,
        Drip
    };
    bool start(Mode mode)
    {
        mode_ = mode;
        if (!privatecups::listenOnLoopback(fd_, port_))
            return false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~SilentServer()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (int c : clients_)
            ::close(c);
        if (fd_ >= 0)
            ::close(fd_);
    }
    QByteArray address() const { return "127.0.0.1:" + QByteArray::number(port_); }
    int connections() const { return connections_; }

private:
    void run()
    {
        const QByteArray answer("HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: 100\r\n\r\n");
        QElapsedTimer sinceDrip;
        sinceDrip.start();
        qsizetype dripped = 0;
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (c >= 0) {
                    clients_.push_back(c);
                    ++connections_;
                }
            }
            char buf[4096];
            for (int c : clients_)
                while (::read(c, buf, sizeof buf) > 0) {
                }
            if (mode_ == Drip && !clients_.empty() && sinceDrip.elapsed() >= 1000 && dripped < answer.size()) {
                (void)::write(clients_.back(), answer.constData() + dripped, 1);
                ++dripped;
                sinceDrip.restart();
            }
        }
    }

    Mode mode_ = Silent;
    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::vector<int> clients_;
    std::thread thread_;
};

} // namespace

class TestDravikCups : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void listsTheQueuesDefaultFirst_data();
    void listsTheQueuesDefaultFirst();
    void sendsOneRawJobTitledByDocName_data();
    void sendsOneRawJobTitledByDocName();
    void noDocNameStillPrints();
    void emptyQueueNameMeansTheDefault();
    void classTakesTheJob();
    void unknownQueueFails();
    void rejectingQueueFails();
    void offlinePrinterIsNotASubmitError();
    void noServerMeansEmptyListAndAFailedSend_data();
    void noServerMeansEmptyListAndAFailedSend();
    void serverGoingAwayIsNotAnUnknownQueue_data();
    void serverGoingAwayIsNotAnUnknownQueue();
    void serverThatDoesNotAnswer_data();
    void serverThatDoesNotAnswer();
    void followsAJobToThePrinter();
    void offlinePrinterJobWaitsAndIsWithdrawn();
    void pausedQueueJobWaits();
    void queryThroughTheQueuesDevice_data();
    void queryThroughTheQueuesDevice();
    void queryWhileTheQueuePrintsIsBusy();
    void queueStatesSayWhatTheServerSays_data();
    void queueStatesSayWhatTheServerSays();
    void makesARawQueueForADevice();
    void queueNamesTheServerWouldNotTake_data();
    void queueNamesTheServerWouldNotTake();
    void usbPrintersAndTheQueuesLeadingThere();
    void printServerDevicesWithinTheirBound();
    void aJobBeingHandedOnIsStoppedNeverWithdrawn();
    void aWithdrawnJobNeverReachedThePrinter();
    void sentJobsFollowedTogether();
    void aKeptConnectionOutlivesNoServerRestart();

private:
    bool run(const QString &program, const QStringList &args, QString &output)
    {
        return server_.run(program, args, output);
    }
    void useServer(const QByteArray &server) { qputenv("CUPS_SERVER", server); }
    QByteArray socketServer() const { return server_.socketServer(); }
    QByteArray tcpServer() const { return server_.tcpServer(); }
    cups_job_t newestJob(const char *queue, int &count);

    DravikLib lib;
    // Under /tmp whatever TMPDIR says: every folder above the spool must be
    // 0755, and the socket path must stay short.
    QTemporaryDir dir_{QStringLiteral("/tmp/tst_dravik_cups-XXXXXX")};
    privatecups::Server server_{dir_.path()};
    SocketPrinter printer_;
};

void TestDravikCups::initTestCase()
{
    QString error;
    QVERIFY2(lib.load(error), qPrintable(error));

    QVERIFY(dir_.isValid());
    QElapsedTimer t;
    t.start();
    const QString failed = server_.start();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    qInfo("cupsd answers after %lld ms on %s and %s", static_cast<long long>(t.elapsed()), socketServer().constData(),
          tcpServer().constData());

    // A server without queues: the empty list, and no failure.
    useServer(socketServer());
    QCOMPARE(QByteArray(lib.GetPrintDriveNames()), QByteArray());
    QCOMPARE(lib.lastError(), QString());
    QCOMPARE(QByteArray(lib.GetPrintDriveStates()), QByteArray());
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);

    QVERIFY(printer_.start());
    const QString uri = QStringLiteral("socket://127.0.0.1:%1").arg(printer_.port());
    QString out;
    QVERIFY2(server_.addRawQueue(QLatin1String(kQueueA), uri, out), qPrintable(out));
    QVERIFY2(server_.addRawQueue(QLatin1String(kQueueB), uri, out), qPrintable(out));
    QVERIFY2(run(server_.lpadmin(), {QStringLiteral("-d"), QLatin1String(kQueueB)}, out), qPrintable(out));
    // A printer that is switched off: nothing listens on its port.
    QVERIFY2(
        server_.addRawQueue(QLatin1String(kQueueOffline), QStringLiteral("socket://127.0.0.1:%1").arg(freePort()), out),
        qPrintable(out));
}

void TestDravikCups::cleanupTestCase()
{
    server_.stop();
    qunsetenv("CUPS_SERVER");
}

void TestDravikCups::cleanup()
{
    if (QTest::currentTestFailed())
        qInfo("cupsd error_log (last lines):\n%s", qPrintable(server_.errorLogTail(40)));
}

cups_job_t TestDravikCups::newestJob(const char *queue, int &count)
{
    cups_job_t newest{};
    count = 0;
    http_t *http =
        httpConnect2(socketServer().constData(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr);
    if (!http)
        return newest;
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(http, &jobs, queue, 0, CUPS_WHICHJOBS_ALL);
    for (int i = 0; i < n; ++i)
        if (jobs[i].id > newest.id)
            newest = jobs[i];
    count = n;
    // Keep the texts past cupsFreeJobs.
    static thread_local QByteArray title, format;
    title = newest.title ? QByteArray(newest.title) : QByteArray();
    format = newest.format ? QByteArray(newest.format) : QByteArray();
    newest.title = const_cast<char *>(title.constData());
    newest.format = const_cast<char *>(format.constData());
    newest.dest = nullptr;
    newest.user = nullptr;
    cupsFreeJobs(n, jobs);
    httpClose(http);
    return newest;
}

void TestDravikCups::listsTheQueuesDefaultFirst_data()
{
    QTest::addColumn<bool>("overTcp");
    QTest::newRow("own socket") << false;
    QTest::newRow("loopback port") << true;
}

void TestDravikCups::listsTheQueuesDefaultFirst()
{
    QFETCH(bool, overTcp);
    useServer(overTcp ? tcpServer() : socketServer());
    const QStringList queues = DravikLib::lines(lib.GetPrintDriveNames());
    QCOMPARE(queues, (QStringList{QLatin1String(kQueueB), QLatin1String(kQueueOffline), QLatin1String(kQueueA)}));
    QCOMPARE(lib.lastError(), QString());
}

void TestDravikCups::sendsOneRawJobTitledByDocName_data()
{
    QTest::addColumn<bool>("overTcp");
    QTest::newRow("own socket") << false;
    QTest::newRow("loopback port") << true;
}

void TestDravikCups::sendsOneRawJobTitledByDocName()
{
    QFETCH(bool, overTcp);
    useServer(overTcp ? tcpServer() : socketServer());
    const QByteArray data = everyByteBuffer();
    const QByteArray title = overTcp ? "NV Logo Download (tcp)" : "NV Logo Download (socket)";
    const int before = printer_.jobs().size();
    QElapsedTimer t;
    t.start();
    QVERIFY2(lib.SendBufferToPrint("DRIVE", kQueueA, title.constData(), bytes(data), data.size()),
             qPrintable(lib.lastError()));
    qInfo("submitted in %lld ms", static_cast<long long>(t.elapsed()));
    QCOMPARE(lib.lastError(), QString());
    QVERIFY2(printer_.waitForJobs(before + 1, 60000), "the socket printer received no job");
    qInfo("printed after %lld ms", static_cast<long long>(t.elapsed()));
    const QByteArray got = printer_.jobs().at(before);
    QCOMPARE(got.size(), data.size());
    QVERIFY(got == data); // byte-identical: no filter touched it

    // One job, titled with the document name, raw, completed.
    int count = 0;
    cups_job_t job{};
    t.restart();
    do {
        job = newestJob(kQueueA, count);
        if (job.state == IPP_JSTATE_COMPLETED)
            break;
        QTest::qSleep(50);
    } while (t.elapsed() < 30000);
    QVERIFY(count >= 1);
    QCOMPARE(QByteArray(job.title), title);
    QCOMPARE(QByteArray(job.format), QByteArray(CUPS_FORMAT_RAW));
    QCOMPARE(int(job.state), int(IPP_JSTATE_COMPLETED));
}

void TestDravikCups::noDocNameStillPrints()
{
    useServer(socketServer());
    const QByteArray data("\x1b\x40no title\n");
    const int before = printer_.jobs().size();
    QVERIFY2(lib.SendBufferToPrint("DRIVE", kQueueA, nullptr, bytes(data), data.size()), qPrintable(lib.lastError()));
    QVERIFY(printer_.waitForJobs(before + 1, 60000));
    QCOMPARE(printer_.jobs().at(before), data);
    int count = 0;
    const cups_job_t job = newestJob(kQueueA, count);
    qInfo("job-name without a document name: \"%s\"", job.title);
    QVERIFY(job.title && *job.title);
}

void TestDravikCups::emptyQueueNameMeansTheDefault()
{
    useServer(socketServer());
    int countBefore = 0;
    newestJob(kQueueB, countBefore);
    const QByteArray data("\x1b\x40 default\n");
    const int before = printer_.jobs().size();
    QVERIFY2(lib.SendBufferToPrint("DRIVE", "", "to the default", bytes(data), data.size()),
             qPrintable(lib.lastError()));
    QVERIFY(printer_.waitForJobs(before + 1, 60000));
    int count = 0;
    const cups_job_t job = newestJob(kQueueB, count);
    QCOMPARE(count, countBefore + 1);
    QCOMPARE(QByteArray(job.title), QByteArray("to the default"));
}

void TestDravikCups::classTakesTheJob()
{
    // A class is a queue too; its jobs go to the class, which hands them on.
    useServer(socketServer());
    const QString klass = QStringLiteral("NbClass");
    const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")};
    const QString accept = QStandardPaths::findExecutable(QStringLiteral("cupsaccept"), sbin);
    const QString enable = QStandardPaths::findExecutable(QStringLiteral("cupsenable"), sbin);
    QString out;
    QVERIFY2(run(server_.lpadmin(), {QStringLiteral("-p"), QLatin1String(kQueueA), QStringLiteral("-c"), klass}, out),
             qPrintable(out));
    QVERIFY2(run(accept, {klass}, out) && run(enable, {klass}, out), qPrintable(out));
    const QByteArray data("\x1b\x40 class\n");
    const int before = printer_.jobs().size();
    const int ok = lib.SendBufferToPrint("DRIVE", "NbClass", "to the class", bytes(data), data.size());
    const QString why = lib.lastError();
    const bool printed = ok && printer_.waitForJobs(before + 1, 60000);
    QVERIFY2(run(server_.lpadmin(), {QStringLiteral("-x"), klass}, out), qPrintable(out));
    QVERIFY2(ok, qPrintable(why));
    QVERIFY(printed);
    QCOMPARE(printer_.jobs().at(before), data);
}

void TestDravikCups::unknownQueueFails()
{
    useServer(tcpServer());
    QCOMPARE(lib.SendBufferToPrint("DRIVE", "NoSuchQueue", "x", bytes("x"), 1), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("no print queue named \"NoSuchQueue\"")),
             qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NOT_FOUND);
}

void TestDravikCups::rejectingQueueFails()
{
    useServer(socketServer());
    const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")};
    const QString reject = QStandardPaths::findExecutable(QStringLiteral("cupsreject"), sbin);
    const QString accept = QStandardPaths::findExecutable(QStringLiteral("cupsaccept"), sbin);
    QVERIFY2(!reject.isEmpty() && !accept.isEmpty(), "cupsreject/cupsaccept (cups-client) missing");
    QString out;
    QVERIFY2(run(reject, {QLatin1String(kQueueA)}, out), qPrintable(out));
    const int ok = lib.SendBufferToPrint("DRIVE", kQueueA, "x", bytes("x"), 1);
    const QString why = lib.lastError();
    const int code = lib.lastCode();
    QVERIFY2(run(accept, {QLatin1String(kQueueA)}, out), qPrintable(out));
    QCOMPARE(ok, 0);
    QVERIFY2(why.contains(QLatin1String("not accepting jobs")), qPrintable(why));
    QCOMPARE(code, DRAVIK_ERROR_QUEUE_REFUSED);
}

void TestDravikCups::offlinePrinterIsNotASubmitError()
{
    // CUPS takes the job and keeps retrying the printer: the send succeeded.
    useServer(socketServer());
    QElapsedTimer t;
    t.start();
    QVERIFY2(lib.SendBufferToPrint("DRIVE", kQueueOffline, "offline", bytes("x"), 1), qPrintable(lib.lastError()));
    // It does not wait for the printer: that would take the send's whole bound.
    QVERIFY(t.elapsed() < dravik::cupsSendTimeoutMs(1));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
}

void TestDravikCups::noServerMeansEmptyListAndAFailedSend_data()
{
    QTest::addColumn<QByteArray>("server");
    QTest::newRow("no socket") << QFile::encodeName(dir_.filePath(QStringLiteral("absent.sock")));
    QTest::newRow("closed loopback port") << QByteArray("127.0.0.1:" + QByteArray::number(freePort()));
}

void TestDravikCups::noServerMeansEmptyListAndAFailedSend()
{
    QFETCH(QByteArray, server);
    useServer(server);
    QElapsedTimer t;
    t.start();
    const char *list = lib.GetPrintDriveNames();
    QVERIFY(list);
    QCOMPARE(QByteArray(list), QByteArray());
    // Refused at once: never the wait for a server that is slow to answer.
    QVERIFY(t.elapsed() < dravik::cupsConnectTimeoutMs);
    QVERIFY2(lib.lastError().contains(QLatin1String("no CUPS server answers")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
    t.restart();
    QCOMPARE(QByteArray(lib.GetPrintDriveStates()), QByteArray());
    QVERIFY(t.elapsed() < dravik::cupsConnectTimeoutMs);
    QVERIFY2(lib.lastError().contains(QLatin1String("no CUPS server answers")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
    t.restart();
    QCOMPARE(lib.SendBufferToPrint("DRIVE", kQueueA, "x", bytes("x"), 1), 0);
    QVERIFY(t.elapsed() < dravik::cupsConnectTimeoutMs);
    const QString why = lib.lastError();
    QVERIFY2(why.contains(QLatin1String("no CUPS server answers")), qPrintable(why));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
    qInfo("%s", qPrintable(why));
    // And the real server again, in the same process.
    useServer(socketServer());
    QVERIFY(DravikLib::lines(lib.GetPrintDriveNames()).contains(QLatin1String(kQueueA)));
}

void TestDravikCups::serverGoingAwayIsNotAnUnknownQueue_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("queue"); // "" is the server's default
    QTest::addColumn<QString>("during");
    QTest::newRow("closes at once") << int(VanishingServer::CloseAtOnce) << QByteArray(kQueueA)
                                    << QStringLiteral("look-up of print queue");
    QTest::newRow("reads the request, then closes")
        << int(VanishingServer::ReadThenClose) << QByteArray(kQueueA) << QStringLiteral("look-up of print queue");
    QTest::newRow("the default queue, closes at once")
        << int(VanishingServer::CloseAtOnce) << QByteArray() << QStringLiteral("look-up of its default queue");
    QTest::newRow("between look-up and job")
        << int(VanishingServer::AnswerLookUpThenClose) << QByteArray(kQueueA) << QStringLiteral("creation of a job");
}

void TestDravikCups::serverGoingAwayIsNotAnUnknownQueue()
{
    // The connection is made, then the server is gone before it answers: that
    // is the server going away, not a queue that does not exist.
    QFETCH(int, mode);
    QFETCH(QByteArray, queue);
    QFETCH(QString, during);
    VanishingServer server;
    QVERIFY(server.start(VanishingServer::Mode(mode)));
    useServer(server.address());
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.SendBufferToPrint("DRIVE", queue.constData(), "x", bytes("x"), 1), 0);
    const QString why = lib.lastError();
    qInfo("after %lld ms: %s", static_cast<long long>(t.elapsed()), qPrintable(why));
    QVERIFY(t.elapsed() < 15000);
    QVERIFY(server.connections() >= 1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
    QVERIFY2(why.contains(QLatin1String("went away")) && why.contains(during) &&
                 !why.contains(QLatin1String("no print queue")),
             qPrintable(why));

    QCOMPARE(QByteArray(lib.GetPrintDriveNames()), QByteArray());
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
    useServer(socketServer());
}

void TestDravikCups::serverThatDoesNotAnswer_data()
{
    QTest::addColumn<int>("mode");
    QTest::newRow("accepts, never answers") << int(SilentServer::Silent);
    QTest::newRow("drips a byte a second") << int(SilentServer::Drip);
}

void TestDravikCups::serverThatDoesNotAnswer()
{
    // The listing gives up after its overall bound, whatever each read does;
    // a send after its own.
    QFETCH(int, mode);
    SilentServer server;
    QVERIFY(server.start(SilentServer::Mode(mode)));
    useServer(server.address());
    QElapsedTimer t;
    t.start();
    QCOMPARE(QByteArray(lib.GetPrintDriveNames()), QByteArray());
    const qint64 listMs = t.elapsed();
    const QString why = lib.lastError();
    qInfo("listing failed after %lld ms: %s", static_cast<long long>(listMs), qPrintable(why));
    QVERIFY(server.connections() >= 1);
    QVERIFY(listMs < dravik::cupsListTimeoutMs + timebounds::lateMs);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
    QVERIFY2(why.contains(QLatin1String("the print server did not answer")), qPrintable(why));
    if (mode == SilentServer::Silent) {
        t.restart();
        QCOMPARE(lib.SendBufferToPrint("DRIVE", kQueueA, "x", bytes("x"), 1), 0);
        const qint64 sendMs = t.elapsed();
        qInfo("send failed after %lld ms: %s", static_cast<long long>(sendMs), qPrintable(lib.lastError()));
        QVERIFY(sendMs < dravik::cupsSendTimeoutMs(1) + timebounds::lateMs);
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
        QVERIFY2(lib.lastError().contains(QLatin1String("the print server did not answer")),
                 qPrintable(lib.lastError()));
        t.restart();
        QCOMPARE(QByteArray(lib.GetPrintDriveStates()), QByteArray());
        QVERIFY(t.elapsed() < dravik::cupsListTimeoutMs + timebounds::lateMs);
        QCOMPARE(lib.lastCode(), DRAVIK_ERROR_SERVER_UNREACHABLE);
        QVERIFY2(lib.lastError().contains(QLatin1String("the print server did not answer")),
                 qPrintable(lib.lastError()));
    }
    // A listing that works again clears the failure.
    useServer(socketServer());
    QVERIFY(DravikLib::lines(lib.GetPrintDriveNames()).contains(QLatin1String(kQueueA)));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    QCOMPARE(lib.lastError(), QString());
}

void TestDravikCups::followsAJobToThePrinter()
{
    useServer(socketServer());
    const int before = printer_.jobs().size();
    const QByteArray data("\x1b\x40"
                          "followed\n");
    QVERIFY2(lib.SendBufferToPrint("DRIVE", kQueueA, "followed", bytes(data), data.size()),
             qPrintable(lib.lastError()));
    QCOMPARE(lib.FollowLastJob(15000), 1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    QVERIFY(printer_.waitForJobs(before + 1, 5000));
    QCOMPARE(printer_.jobs().last(), data);
    // A send on another path leaves nothing to follow.
    QCOMPARE(lib.SendBufferToPrint("LPT", "/nonexistent/lp0", nullptr, bytes(data), data.size()), 0);
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.FollowLastJob(5000), 1);
    QVERIFY(t.elapsed() < 5000); // at once, not after the wait it was given
    QCOMPARE(lib.CancelLastJob(), 1);
}

void TestDravikCups::offlinePrinterJobWaitsAndIsWithdrawn()
{
    // The printer is switched off (nothing listens on its port): the job
    // waits, connecting; withdrawn, it never reaches the printer once it is
    // switched on.
    useServer(socketServer());
    const quint16 port = freePort();
    QString out;
    QVERIFY2(server_.addRawQueue(QStringLiteral("NbLater"), QStringLiteral("socket://127.0.0.1:%1").arg(port), out),
             qPrintable(out));
    QVERIFY2(lib.SendBufferToPrint("DRIVE", "NbLater", "withdrawn", bytes("never"), 5), qPrintable(lib.lastError()));
    QElapsedTimer t;
    t.start();
    QCOMPARE(lib.FollowLastJob(2000), 0);
    const qint64 ms = t.elapsed();
    const QString why = lib.lastError();
    qInfo("after %lld ms: %s", static_cast<long long>(ms), qPrintable(why));
    // It waits the time asked (the job is still waiting), and no longer than
    // its bound with the server's grace.
    QVERIFY(ms >= 1900);
    QVERIFY(ms < 2000 + dravik::cupsFollowGraceMs + timebounds::lateMs);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_WAITING_IN_QUEUE);
    QVERIFY2(why.contains(QLatin1String("NbLater")) &&
                 (why.contains(QLatin1String("connecting")) || why.contains(QLatin1String("off-line"))),
             qPrintable(why));
    QCOMPARE(lib.CancelLastJob(), 1);
    QCOMPARE(lib.FollowLastJob(1000), -1);
    QVERIFY2(lib.lastError().contains(QLatin1String("cancelled")), qPrintable(lib.lastError()));

    // The printer comes back: nothing arrives (the queue retries every second).
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
    QCOMPARE(::listen(fd, 4), 0);
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, 3000);
    ::close(fd);
    QCOMPARE(ready, 0);
}

void TestDravikCups::pausedQueueJobWaits()
{
    useServer(socketServer());
    const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")};
    const QString disable = QStandardPaths::findExecutable(QStringLiteral("cupsdisable"), sbin);
    const QString enable = QStandardPaths::findExecutable(QStringLiteral("cupsenable"), sbin);
    QVERIFY2(!disable.isEmpty() && !enable.isEmpty(), "cupsdisable/cupsenable (cups-client) missing");
    QString out;
    QVERIFY2(run(disable, {QLatin1String(kQueueA)}, out), qPrintable(out));
    const bool sent = lib.SendBufferToPrint("DRIVE", kQueueA, "paused", bytes("paused"), 6);
    const int followed = lib.FollowLastJob(1000);
    const QString why = lib.lastError();
    const int code = lib.lastCode();
    const int withdrawn = lib.CancelLastJob();
    QVERIFY2(run(enable, {QLatin1String(kQueueA)}, out), qPrintable(out));
    QVERIFY(sent);
    qInfo("%s", qPrintable(why));
    QCOMPARE(followed, 0);
    QCOMPARE(code, DRAVIK_ERROR_WAITING_IN_QUEUE);
    QVERIFY2(why.contains(QLatin1String("paused")), qPrintable(why));
    QCOMPARE(withdrawn, 1);
}

void TestDravikCups::queryThroughTheQueuesDevice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QByteArray>("answer"); // what the printer says; empty: nothing
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says"); // the end of the reason; empty: none expected
    const int none = DRAVIK_ERROR_NONE, noAnswers = DRAVIK_ERROR_NO_ANSWERS;
    QTest::newRow("socket://") << "socket" << QByteArray("\x16", 1) << 1 << none << QString();
    QTest::newRow("socket:// by host name") << "socket-name" << QByteArray("\x16", 1) << 1 << none << QString();
    QTest::newRow("socket:// that never answers") << "socket" << QByteArray() << 0 << none << QString();
    QTest::newRow("serial:") << "serial" << QByteArray("\x12", 1) << 1 << none << QString();
    QTest::newRow("serial: at a rate termios names no constant for")
        << "serial-128000" << QByteArray("\x12", 1) << 1 << none << QString();
    QTest::newRow("usb://") << "usb" << QByteArray("\x16", 1) << 1 << none << QString();
    // The print server's own view comes with it, for the program to show.
    QTest::newRow("ipp://: no answers") << "ipp" << QByteArray() << -1 << noAnswers
                                        << "carries no answers; the print server says: idle, accepting jobs";
    QTest::newRow("ipp://, paused and rejecting: no answers")
        << "ipp-stopped" << QByteArray() << -1 << noAnswers
        << "carries no answers; the print server says: paused (cupsenable %1 resumes it), not accepting jobs "
           "(cupsaccept %1) (\"out of order\")";
}

void TestDravikCups::queryThroughTheQueuesDevice()
{
    // The request goes straight to the queue's device, never as a job.
    QFETCH(QString, device);
    QFETCH(QByteArray, answer);
    QFETCH(int, result);
    QFETCH(int, code);
    QFETCH(QString, says);
    useServer(socketServer());
    const QByteArray request("\x10\x04\x01", 3);
    int end = -1;       // the printer's end: a pty master or a TCP connection
    int listening = -1; // the TCP printer's listening socket
    QString uri;
    QTemporaryDir root;
    QVERIFY(root.isValid());
    if (device.startsWith(QLatin1String("socket"))) {
        quint16 port = 0;
        QVERIFY(privatecups::listenOnLoopback(listening, port));
        uri = QStringLiteral("socket://%1:%2")
                  .arg(device == QLatin1String("socket") ? "127.0.0.1" : "localhost")
                  .arg(port);
    } else if (device.startsWith(QLatin1String("serial")) || device == QLatin1String("usb")) {
        int slave = -1;
        char name[256] = {0};
        QCOMPARE(::openpty(&end, &slave, name, nullptr, nullptr), 0);
        ::close(slave);
        if (device.startsWith(QLatin1String("serial"))) {
            uri = QStringLiteral("serial:%1?baud=%2")
                      .arg(QString::fromLatin1(name))
                      .arg(device == QLatin1String("serial") ? 19200 : 128000);
        } else {
            // A USB printer the kernel's driver holds, on stand-ins: its
            // IEEE 1284 ID in sysfs and a pseudo-terminal as /dev/usb/lp0.
            QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("sys/class/usbmisc/lp0/device"))));
            QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("dev/usb"))));
            QFile id(root.filePath(QStringLiteral("sys/class/usbmisc/lp0/device/ieee1284_id")));
            QVERIFY(id.open(QIODevice::WriteOnly));
            id.write("MFG:Acme;CMD:ESC/POS;MDL:TM 1;SN:42;\n");
            id.close();
            QVERIFY(QFile::link(QString::fromLatin1(name), root.filePath(QStringLiteral("dev/usb/lp0"))));
            uri = QStringLiteral("usb://Acme/TM%201?serial=42");
        }
    } else {
        uri = QStringLiteral("ipp://127.0.0.1:%1/printers/none").arg(freePort());
    }
    static int made = 0;
    const QString queue = QStringLiteral("NbAsk%1").arg(++made);
    QString out;
    if (!server_.addRawQueue(queue, uri, out))
        QSKIP(qPrintable(QStringLiteral("this print server takes no %1 queue: %2").arg(uri, out)));
    if (device == QLatin1String("ipp-stopped")) {
        const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")};
        for (const char *command : {"cupsdisable", "cupsreject"}) {
            const QString program = QStandardPaths::findExecutable(QLatin1String(command), sbin);
            QVERIFY2(!program.isEmpty(), command);
            QVERIFY2(run(program, {QStringLiteral("-r"), QStringLiteral("out of order"), queue}, out), qPrintable(out));
        }
    }
    std::thread printer([&] {
        int fd = end;
        if (listening >= 0) {
            pollfd p{listening, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                return;
            fd = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (fd < 0)
            return;
        QByteArray got;
        char buf[64];
        QElapsedTimer t;
        t.start();
        while (got.size() < request.size() && t.elapsed() < 5000) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, n);
                else if (n == 0)
                    break;
            }
        }
        if (got == request && !answer.isEmpty())
            (void)::write(fd, answer.constData(), static_cast<size_t>(answer.size()));
        if (listening >= 0) {
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, 3000); // until the library hangs up
            ::close(fd);
        }
    });
    if (device == QLatin1String("usb"))
        qputenv("DRAVIK_TEST_ROOT", QFile::encodeName(root.path()));
    unsigned char reply[16] = {0};
    QElapsedTimer t;
    t.start();
    const int got =
        lib.QueryPrinter("DRIVE", queue.toUtf8().constData(), bytes(request), request.size(), reply, sizeof reply, 500);
    const qint64 ms = t.elapsed();
    const QString why = lib.lastError();
    const int gotCode = lib.lastCode();
    qunsetenv("DRAVIK_TEST_ROOT");
    if (device == QLatin1String("ipp") || got < 0)
        ::shutdown(listening, SHUT_RDWR);
    printer.join();
    if (end >= 0)
        ::close(end);
    if (listening >= 0)
        ::close(listening);
    qInfo("%s: %d after %lld ms %s", qPrintable(uri), got, static_cast<long long>(ms), qPrintable(why));
    QCOMPARE(got, result);
    QCOMPARE(gotCode, code);
    if (!says.isEmpty())
        QVERIFY2(why.endsWith(says.contains(QLatin1String("%1")) ? says.arg(queue) : says), qPrintable(why));
    if (result > 0)
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(reply), got), answer);
    // Within the answer's time: a refused or silent device is never waited on
    // for a whole connect bound.
    QVERIFY(ms < 500 + dravik::cupsConnectTimeoutMs);
    int jobs = -1;
    newestJob(queue.toUtf8().constData(), jobs);
    QCOMPARE(jobs, 0);
}

void TestDravikCups::queryWhileTheQueuePrintsIsBusy()
{
    // A printer that takes the job's connection and holds it: the queue is
    // printing, and a request would come between the job's bytes.
    useServer(socketServer());
    int listening = -1;
    quint16 port = 0;
    QVERIFY(privatecups::listenOnLoopback(listening, port));
    QString out;
    QVERIFY2(server_.addRawQueue(QStringLiteral("NbHeld"), QStringLiteral("socket://127.0.0.1:%1").arg(port), out),
             qPrintable(out));
    std::atomic<bool> stop{false};
    std::thread printer([&] {
        std::vector<int> held;
        while (!stop) {
            pollfd p{listening, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const int c = ::accept4(listening, nullptr, nullptr, SOCK_CLOEXEC);
                if (c >= 0)
                    held.push_back(c);
            }
        }
        for (int c : held)
            ::close(c);
    });
    QVERIFY2(lib.SendBufferToPrint("DRIVE", "NbHeld", "held", bytes("held"), 4), qPrintable(lib.lastError()));
    const QByteArray request("\x10\x04\x01", 3);
    unsigned char reply[4];
    int got = 0;
    QElapsedTimer t;
    t.start();
    while (got >= 0 && t.elapsed() < 10000)
        got = lib.QueryPrinter("DRIVE", "NbHeld", bytes(request), request.size(), reply, sizeof reply, 100);
    const QString why = lib.lastError();
    const int code = lib.lastCode();
    // The printer holds the job: it is stopped, not withdrawn.
    QCOMPARE(lib.CancelLastJob(), 0);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_STOPPED_WHILE_PRINTING);
    stop = true;
    printer.join();
    ::close(listening);
    QCOMPARE(got, -1);
    QCOMPARE(code, DRAVIK_ERROR_BUSY);
    QVERIFY2(why.contains(QLatin1String("printing a job")), qPrintable(why));
}

void TestDravikCups::queueStatesSayWhatTheServerSays_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<QString>("command"); // run on the queue first; empty: none
    QTest::addColumn<QString>("why");     // its -r reason
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("accepting");
    QTest::addColumn<QString>("reason"); // one of the reasons; empty: none at all
    QTest::addColumn<QString>("message");
    QTest::newRow("idle") << "NbIdle" << QString() << QString() << "idle"
                          << "1" << QString() << QString();
    QTest::newRow("paused, a message with a tab and a line break") << "NbPaused"
                                                                   << "cupsdisable"
                                                                   << "cover\topen\nat the till"
                                                                   << "stopped"
                                                                   << "1"
                                                                   << "paused"
                                                                   << "cover open at the till";
    QTest::newRow("rejecting") << "NbRejecting"
                               << "cupsreject"
                               << "moved to the bar"
                               << "idle"
                               << "0" << QString() << "moved to the bar";
    QTest::newRow("unusual characters in the name")
        << QString::fromUtf8("Kasse-2_K\u00fcche+Bar@1.OG") << QString() << QString() << "idle"
        << "1" << QString() << QString();
}

void TestDravikCups::queueStatesSayWhatTheServerSays()
{
    QFETCH(QString, queue);
    QFETCH(QString, command);
    QFETCH(QString, why);
    QFETCH(QString, state);
    QFETCH(QString, accepting);
    QFETCH(QString, reason);
    QFETCH(QString, message);
    useServer(socketServer());
    QString out;
    if (!server_.addRawQueue(queue, QStringLiteral("socket://127.0.0.1:%1").arg(printer_.port()), out))
        QSKIP(qPrintable(QStringLiteral("this print server takes no queue named %1: %2").arg(queue, out)));
    if (!command.isEmpty()) {
        const QString program =
            QStandardPaths::findExecutable(command, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
        QVERIFY2(!program.isEmpty(), qPrintable(command + QLatin1String(" (cups-client) missing")));
        QVERIFY2(run(program, {QStringLiteral("-r"), why, queue}, out), qPrintable(out));
    }
    const QStringList lines = DravikLib::lines(lib.GetPrintDriveStates());
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    QString out2;
    QVERIFY2(run(server_.lpadmin(), {QStringLiteral("-x"), queue}, out2), qPrintable(out2));
    // The same queues in the same order as the names list.
    QStringList names;
    QStringList line;
    for (const QString &l : lines) {
        const QStringList fields = l.split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 5);
        names << fields[0];
        if (fields[0] == queue)
            line = fields;
    }
    QVERIFY2(!line.isEmpty(), qPrintable(lines.join(QLatin1Char('\n'))));
    qInfo("%s", qPrintable(line.join(QLatin1String(" | "))));
    QCOMPARE(line[1], state);
    QCOMPARE(line[2], accepting);
    const QStringList reasons = line[3].isEmpty() ? QStringList() : line[3].split(QLatin1Char(','));
    QVERIFY(!reasons.contains(QLatin1String("none")));
    if (reason.isEmpty())
        QCOMPARE(reasons, QStringList());
    else
        QVERIFY2(reasons.contains(reason), qPrintable(line[3]));
    if (!message.isEmpty())
        QCOMPARE(line[4], message);
    names.removeAll(queue);
    QCOMPARE(names, DravikLib::lines(lib.GetPrintDriveNames()));
}

void TestDravikCups::makesARawQueueForADevice()
{
    useServer(socketServer());
    const QByteArray uri = "socket://127.0.0.1:" + QByteArray::number(printer_.port());
    QCOMPARE(lib.AddPrintQueue("NbMade", uri.constData(), 0), 1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    QVERIFY(DravikLib::lines(lib.GetPrintDriveNames()).contains(QStringLiteral("NbMade")));
    // Enabled and accepting jobs, and its device told with where it leads.
    QVERIFY(DravikLib::lines(lib.GetPrintDriveStates()).contains(QStringLiteral("NbMade\tidle\t1\t\t")));
    const QString link = QStringLiteral("127.0.0.1:%1").arg(printer_.port());
    QVERIFY(DravikLib::lines(lib.GetPrintDriveDevices())
                .contains(QStringLiteral("NbMade\t%1\t%2").arg(QString::fromLatin1(uri), link)));
    // Raw: the bytes reach the printer as they are.
    const int before = printer_.jobs().size();
    const QByteArray data("\x1b\x40\x1d\x56\x00", 5);
    QCOMPARE(lib.SendBufferToPrint("DRIVE", "NbMade", "raw", bytes(data), data.size()), 1);
    QVERIFY(printer_.waitForJobs(before + 1, 30000));
    QCOMPARE(printer_.jobs().last(), data);

    // A name that exists is left alone, unless it is to be replaced.
    const QByteArray other = "socket://127.0.0.1:" + QByteArray::number(freePort());
    QCOMPARE(lib.AddPrintQueue("NbMade", other.constData(), 0), -1);
    QCOMPARE(lib.lastCode(), int(DRAVIK_ERROR_INVALID_ARGUMENT));
    QVERIFY2(lib.lastError().contains(QLatin1String("exists already")), qPrintable(lib.lastError()));
    QCOMPARE(lib.AddPrintQueue(kQueueA, other.constData(), 0), -1);
    QCOMPARE(lib.AddPrintQueue("NbMade", other.constData(), 1), 1);
    QVERIFY(DravikLib::lines(lib.GetPrintDriveDevices())
                .contains(QStringLiteral("NbMade\t%1\t127.0.0.1:%2")
                              .arg(QString::fromLatin1(other))
                              .arg(other.mid(other.lastIndexOf(':') + 1).toInt())));
    QString out;
    QVERIFY2(run(server_.lpadmin(), {QStringLiteral("-x"), QStringLiteral("NbMade")}, out), qPrintable(out));
}

void TestDravikCups::queueNamesTheServerWouldNotTake_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("uri");
    QTest::addColumn<QString>("says");
    QTest::newRow("blank") << QByteArray("Nb Made") << QByteArray("socket://127.0.0.1:9") << "no blanks";
    QTest::newRow("slash") << QByteArray("Nb/Made") << QByteArray("socket://127.0.0.1:9") << "none of /";
    QTest::newRow("empty") << QByteArray() << QByteArray("socket://127.0.0.1:9") << "needs a name";
    QTest::newRow("too long") << QByteArray(128, 'n') << QByteArray("socket://127.0.0.1:9") << "at most 127 bytes";
    QTest::newRow("no uri") << QByteArray("NbNoUri") << QByteArray("nothing") << "it is no URI";
    // The server's own refusal: no backend of that scheme.
    QTest::newRow("unknown scheme") << QByteArray("NbNoScheme") << QByteArray("nosuchscheme://x")
                                    << "did not make print queue \"NbNoScheme\"";
}

void TestDravikCups::queueNamesTheServerWouldNotTake()
{
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, uri);
    QFETCH(QString, says);
    useServer(socketServer());
    QCOMPARE(lib.AddPrintQueue(name.constData(), uri.constData(), 0), 0);
    QCOMPARE(lib.lastCode(), int(DRAVIK_ERROR_INVALID_ARGUMENT));
    QVERIFY2(lib.lastError().contains(says), qPrintable(lib.lastError()));
    QVERIFY(!DravikLib::lines(lib.GetPrintDriveNames()).contains(QString::fromUtf8(name)));
}

void TestDravikCups::usbPrintersAndTheQueuesLeadingThere()
{
    // Stand-ins: lp0 a printer that told the kernel its ID, lp1 one that did not.
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("sys/class/usbmisc/lp0/device"))));
    QVERIFY(QDir().mkpath(root.filePath(QStringLiteral("dev/usb"))));
    QFile id(root.filePath(QStringLiteral("sys/class/usbmisc/lp0/device/ieee1284_id")));
    QVERIFY(id.open(QIODevice::WriteOnly));
    id.write("MFG:Acme;CMD:ESC/POS;MDL:TM 1;SN:42;\n");
    id.close();
    for (const char *name : {"dev/usb/lp0", "dev/usb/lp1"}) {
        QFile device(root.filePath(QLatin1String(name)));
        QVERIFY(device.open(QIODevice::WriteOnly));
    }
    qputenv("DRAVIK_TEST_ROOT", QFile::encodeName(root.path()));
    const QStringList usb = DravikLib::lines(lib.GetUsbPrinters());
    qunsetenv("DRAVIK_TEST_ROOT");
    const QString lp0 = root.filePath(QStringLiteral("dev/usb/lp0"));
    QCOMPARE(usb,
             (QStringList{lp0 + QStringLiteral("\tusb://Acme/TM%201?serial=42\tMFG:Acme;CMD:ESC/POS;MDL:TM 1;SN:42;"),
                          root.filePath(QStringLiteral("dev/usb/lp1")) + QStringLiteral("\t\t")}));

    // A queue made for that URI leads back to the device; a serial one to its port.
    useServer(socketServer());
    QString out;
    if (!server_.addRawQueue(QStringLiteral("NbUsb"), QStringLiteral("usb://Acme/TM%201?serial=42"), out))
        QSKIP(qPrintable(QStringLiteral("this print server takes no usb:// queue: %1").arg(out)));
    QVERIFY2(server_.addRawQueue(QStringLiteral("NbSerial"), QStringLiteral("serial:/dev/ttyS9?baud=9600"), out),
             qPrintable(out));
    qputenv("DRAVIK_TEST_ROOT", QFile::encodeName(root.path()));
    const QStringList devices = DravikLib::lines(lib.GetPrintDriveDevices());
    qunsetenv("DRAVIK_TEST_ROOT");
    QVERIFY2(devices.contains(QStringLiteral("NbUsb\tusb://Acme/TM%201?serial=42\t") + lp0),
             qPrintable(devices.join('\n')));
    QVERIFY(devices.contains(QStringLiteral("NbSerial\tserial:/dev/ttyS9?baud=9600\t/dev/ttyS9")));
    for (const char *queue : {"NbUsb", "NbSerial"})
        QVERIFY2(run(server_.lpadmin(), {QStringLiteral("-x"), QLatin1String(queue)}, out), qPrintable(out));
}

void TestDravikCups::printServerDevicesWithinTheirBound()
{
    // No USB printer here: whatever the backend finds, the call ends within
    // the backend's time and a little more, and every line has its fields.
    useServer(socketServer());
    QElapsedTimer t;
    t.start();
    const QStringList devices = DravikLib::lines(lib.GetPrintServerDevices("usb", 1));
    QVERIFY2(t.elapsed() < 1000 + dravik::cupsListTimeoutMs + timebounds::lateMs,
             qPrintable(QString::number(t.elapsed())));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
    for (const QString &line : devices) {
        QCOMPARE(line.count(QLatin1Char('\t')), 4);
        QVERIFY(line.startsWith(QLatin1String("usb:")));
    }
}

namespace {

// A printer that takes every connection, reads what comes and never closes
// one: its queue's job stays "processing" once the bytes went out.
class NeverClosingPrinter
{
public:
    bool start()
    {
        if (!privatecups::listenOnLoopback(fd_, port_))
            return false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~NeverClosingPrinter()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (int c : clients_)
            ::close(c);
        if (fd_ >= 0)
            ::close(fd_);
    }
    quint16 port() const { return port_; }
    QByteArray received()
    {
        std::lock_guard<std::mutex> l(mutex_);
        return got_;
    }

private:
    void run()
    {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 20) > 0) {
                const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (c >= 0)
                    clients_.push_back(c);
            }
            char buf[4096];
            for (int c : clients_) {
                ssize_t n;
                while ((n = ::read(c, buf, sizeof buf)) > 0) {
                    std::lock_guard<std::mutex> l(mutex_);
                    got_.append(buf, n);
                }
            }
        }
    }

    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::vector<int> clients_;
    std::thread thread_;
    std::mutex mutex_;
    QByteArray got_;
};

// The jobs of a queue the server has not finished with.
int unfinishedJobs(const QByteArray &server, const char *queue)
{
    http_t *http = httpConnect2(server.constData(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr);
    if (!http)
        return -1;
    cups_job_t *jobs = nullptr;
    const int n = cupsGetJobs2(http, &jobs, queue, 0, CUPS_WHICHJOBS_ACTIVE);
    cupsFreeJobs(n, jobs);
    httpClose(http);
    return n;
}

} // namespace

void TestDravikCups::aJobBeingHandedOnIsStoppedNeverWithdrawn()
{
    // The printer took the bytes and holds the connection: the job is still
    // "processing" when its wait is up.
    useServer(socketServer());
    NeverClosingPrinter printer;
    QVERIFY(printer.start());
    QString out;
    QVERIFY2(
        server_.addRawQueue(QStringLiteral("NbSink"), QStringLiteral("socket://127.0.0.1:%1").arg(printer.port()), out),
        qPrintable(out));
    const QByteArray payload("\x1d\x28\x4b darkness");
    QVERIFY2(lib.SendBufferToPrint("DRIVE", "NbSink", "held", bytes(payload), int(payload.size())),
             qPrintable(lib.lastError()));
    QElapsedTimer t;
    t.start();
    int followed = 0;
    do
        followed = lib.FollowLastJob(200);
    while (followed == 0 && !printer.received().contains("darkness") && t.elapsed() < 20000);
    QCOMPARE(followed, 0);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_WAITING_IN_QUEUE);
    QCOMPARE(lib.CancelLastJob(), 0);
    const QString why = lib.lastError();
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_STOPPED_WHILE_PRINTING);
    QVERIFY2(why.contains(QLatin1String("was stopped while printing: the printer may have received part or all of it")),
             qPrintable(why));
    QVERIFY(!why.contains(QLatin1String("withdrawn")));
    // Its fate read again says the same, and the printer did get the bytes.
    QCOMPARE(lib.FollowLastJob(0), -1);
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_STOPPED_WHILE_PRINTING);
    QVERIFY(printer.received().contains("darkness"));
    QVERIFY(run(server_.lpadmin(), {QStringLiteral("-x"), QStringLiteral("NbSink")}, out));
}

void TestDravikCups::aWithdrawnJobNeverReachedThePrinter()
{
    // Withdrawals raced against the server handing the jobs to a printer that
    // takes them at once: whatever the moment, a job called withdrawn never
    // reached the printer.
    useServer(socketServer());
    const int before = int(printer_.jobs().size());
    constexpr int kJobs = 24;
    QList<int> results;
    QList<int> codes;
    for (int i = 0; i < kJobs; ++i) {
        const QByteArray payload = "race-" + QByteArray::number(i) + ";";
        QVERIFY2(lib.SendBufferToPrint("DRIVE", kQueueA, "race", bytes(payload), int(payload.size())),
                 qPrintable(lib.lastError()));
        QThread::msleep(unsigned(i % 8));
        results << lib.CancelLastJob();
        codes << lib.lastCode();
    }
    // Every job ended; then what reached the printer.
    QElapsedTimer t;
    t.start();
    while (unfinishedJobs(socketServer(), kQueueA) != 0 && t.elapsed() < 30000)
        QThread::msleep(50);
    QCOMPARE(unfinishedJobs(socketServer(), kQueueA), 0);
    QThread::msleep(500); // the printer's own bookkeeping after the last close
    QByteArray received;
    for (const QByteArray &job : printer_.jobs().mid(before))
        received += job;
    int withdrawn = 0;
    for (int i = 0; i < kJobs; ++i) {
        const QByteArray payload = "race-" + QByteArray::number(i) + ";";
        qInfo("job %d: CancelLastJob %d, code %d, %s", i, results.at(i), codes.at(i),
              received.contains(payload) ? "received" : "not received");
        if (results.at(i) == 1) {
            ++withdrawn;
            QVERIFY2(!received.contains(payload), qPrintable(QStringLiteral("job %1 was called withdrawn").arg(i)));
        } else {
            QVERIFY(codes.at(i) == DRAVIK_ERROR_STOPPED_WHILE_PRINTING || codes.at(i) == DRAVIK_ERROR_OTHER);
        }
    }
    qInfo("%d of %d withdrawn", withdrawn, kJobs);
}

void TestDravikCups::sentJobsFollowedTogether()
{
    useServer(socketServer());
    QCOMPARE(lib.FollowSentJobs(1000), 0); // nothing sent since the last follow
    const int before = int(printer_.jobs().size());
    for (const char *text : {"one;", "two;", "three;"})
        QVERIFY2(lib.SendBufferToPrint("DRIVE", kQueueA, "together", bytes(text), int(std::strlen(text))),
                 qPrintable(lib.lastError()));
    QCOMPARE(lib.FollowSentJobs(20000), 3);
    QVERIFY(printer_.waitForJobs(before + 3, 10000));
    QCOMPARE(printer_.jobs().mid(before), (QList<QByteArray>{"one;", "two;", "three;"})); // in the order sent

    // A paused queue: the first waits, and the withdrawal takes the ones
    // behind it too.
    const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")};
    const QString disable = QStandardPaths::findExecutable(QStringLiteral("cupsdisable"), sbin);
    const QString enable = QStandardPaths::findExecutable(QStringLiteral("cupsenable"), sbin);
    QString out;
    QVERIFY2(run(disable, {QLatin1String(kQueueA)}, out), qPrintable(out));
    for (const char *text : {"four;", "five;", "six;"})
        QVERIFY(lib.SendBufferToPrint("DRIVE", kQueueA, "paused", bytes(text), int(std::strlen(text))));
    const int printed = lib.FollowSentJobs(300);
    const int code = lib.lastCode();
    const QString why = lib.lastError();
    const int withdrawn = lib.CancelLastJob();
    const int left = unfinishedJobs(socketServer(), kQueueA);
    QVERIFY2(run(enable, {QLatin1String(kQueueA)}, out), qPrintable(out));
    QCOMPARE(printed, 0);
    QCOMPARE(code, DRAVIK_ERROR_WAITING_IN_QUEUE);
    QVERIFY2(why.contains(QLatin1String("paused")), qPrintable(why));
    QCOMPARE(withdrawn, 1);
    QCOMPARE(left, 0);
}

void TestDravikCups::aKeptConnectionOutlivesNoServerRestart()
{
    // The library keeps its connection to the server between calls: a server
    // that restarted meanwhile is reached anew, not reported gone.
    useServer(socketServer());
    QVERIFY(!DravikLib::lines(lib.GetPrintDriveNames()).isEmpty());
    server_.stop();
    const QString failed = server_.start();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const QStringList queues = DravikLib::lines(lib.GetPrintDriveNames());
    QVERIFY2(queues.contains(QLatin1String(kQueueA)), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), DRAVIK_ERROR_NONE);
}

QTEST_GUILESS_MAIN(TestDravikCups)
#include "tst_dravik_cups.moc"
