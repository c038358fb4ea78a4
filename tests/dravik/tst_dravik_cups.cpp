// Print queues through the real library, against a CUPS server of the test's
// own: cupsd with its own configuration, spool and logs under a 0755 temporary
// folder, listening on its own socket and on a free loopback port, with raw
// queues whose device is a socket listener of the test
// (socket://127.0.0.1:PORT, CUPS' AppSocket backend). CUPS_SERVER points the
// library at it. A missing cupsd is a failure, not a skip.
#include "dravik_lib.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <csignal>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char *kQueueA = "NbRawA";
const char *kQueueB = "NbRawB"; // the server's default
const char *kQueueOffline = "NbOffline";

// A loopback port nobody listens on (for the moment).
quint16 freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    quint16 port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

bool canConnectUnix(const QByteArray &path)
{
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    qstrncpy(a.sun_path, path.constData(), sizeof a.sun_path);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

bool canConnectTcp(quint16 port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

// The printer: accepts AppSocket connections and keeps each one's bytes.
class SocketPrinter
{
public:
    bool start()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
            return false;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~SocketPrinter()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    quint16 port() const { return port_; }
    QList<QByteArray> jobs()
    {
        std::lock_guard<std::mutex> l(mutex_);
        return jobs_;
    }
    // Waits until there are n finished connections.
    bool waitForJobs(int n, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (jobs().size() >= n)
                return true;
            QTest::qSleep(20);
        }
        return false;
    }

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
            QByteArray got;
            char buf[8192];
            for (;;) {
                pollfd q{c, POLLIN, 0};
                if (::poll(&q, 1, 100) == 0) {
                    if (stop_)
                        break;
                    continue;
                }
                const ssize_t n = ::read(c, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, n);
                else if (n == 0 || errno != EINTR)
                    break;
            }
            ::close(c);
            std::lock_guard<std::mutex> l(mutex_);
            jobs_.append(got);
        }
    }

    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    QList<QByteArray> jobs_;
};

// A server that goes away in the middle of a request: it accepts the
// connection and closes it, at once or after reading the request, or after
// answering the first request (a queue look-up: the queue exists and takes
// jobs) so that the next one (creating the job) finds it gone.
class VanishingServer
{
public:
    enum Mode { CloseAtOnce, ReadThenClose, AnswerLookUpThenClose };
    bool start(Mode mode)
    {
        mode_ = mode;
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd_, 8) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr *>(&a), &len) != 0)
            return false;
        port_ = ntohs(a.sin_port);
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
        ipp += in.mid(bodyAt + 4, 4);             // the request's id
        ipp += '\x01';
        ipp += attribute('\x47', "attributes-charset", "utf-8");
        ipp += attribute('\x48', "attributes-natural-language", "en");
        ipp += '\x04';
        ipp += attribute('\x42', "printer-name", kQueueA);
        ipp += attribute('\x22', "printer-is-accepting-jobs", QByteArray("\x01", 1));
        ipp += '\x03';
        const QByteArray out = "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: " +
                               QByteArray::number(ipp.size()) + "\r\n\r\n" + ipp;
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
    void unknownQueueFails();
    void rejectingQueueFails();
    void offlinePrinterIsNotASubmitError();
    void noServerMeansEmptyListAndAFailedSend_data();
    void noServerMeansEmptyListAndAFailedSend();
    void serverGoingAwayIsNotAnUnknownQueue_data();
    void serverGoingAwayIsNotAnUnknownQueue();

private:
    bool run(const QString &program, const QStringList &args, QString &output);
    void useServer(const QByteArray &server) { qputenv("CUPS_SERVER", server); }
    QByteArray socketServer() const { return QFile::encodeName(dir_.filePath(QStringLiteral("cups.sock"))); }
    QByteArray tcpServer() const { return "127.0.0.1:" + QByteArray::number(port_); }
    cups_job_t newestJob(const char *queue, int &count);

    DravikLib lib;
    // Under /tmp whatever TMPDIR says: every folder above the spool must be
    // 0755, and the socket path must stay short.
    QTemporaryDir dir_{QStringLiteral("/tmp/tst_dravik_cups-XXXXXX")};
    QProcess cupsd_;
    quint16 port_ = 0;
    SocketPrinter printer_;
    QString lpadmin_;
};

bool TestDravikCups::run(const QString &program, const QStringList &args, QString &output)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(socketServer()));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool finished = p.waitForFinished(30000);
    output = QString::fromLocal8Bit(p.readAll());
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void TestDravikCups::initTestCase()
{
    QString error;
    QVERIFY2(lib.load(error), qPrintable(error));

    const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/local/sbin")};
    const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), sbin);
    QVERIFY2(!cupsd.isEmpty(), "cupsd is missing: scripts/setup.sh installs cups-daemon");
    lpadmin_ = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), sbin);
    QVERIFY2(!lpadmin_.isEmpty(), "lpadmin is missing: scripts/setup.sh installs cups-client");
    QVERIFY2(QFileInfo::exists(QStringLiteral("/usr/lib/cups/backend/socket")),
             "CUPS' socket backend is missing: scripts/setup.sh installs the cups package");

    // Every folder above RequestRoot must be 0755: the backend runs as lp.
    QVERIFY(dir_.isValid());
    const QFile::Permissions p755 = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                    QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(dir_.path(), p755));
    for (const char *sub : {"etc", "spool", "tmp", "cache", "state", "log"}) {
        QVERIFY(QDir(dir_.path()).mkdir(QLatin1String(sub)));
        QVERIFY(QFile::setPermissions(dir_.filePath(QLatin1String(sub)), p755));
    }
    port_ = freePort();
    QVERIFY(port_ != 0);
    const QString d = dir_.path();
    QFile files(dir_.filePath(QStringLiteral("etc/cups-files.conf")));
    QVERIFY(files.open(QIODevice::WriteOnly));
    files.write(QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                               "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                               "PageLog %1/log/page_log\nSystemGroup root\n")
                    .arg(d)
                    .toLocal8Bit());
    files.close();
    QFile conf(dir_.filePath(QStringLiteral("etc/cupsd.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(QStringLiteral("Listen 127.0.0.1:%1\nListen %2/cups.sock\nBrowsing No\nWebInterface No\n"
                              "DefaultAuthType None\nLogLevel info\nJobRetryInterval 1\n"
                              "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                              "<Policy default>\n  JobPrivateAccess all\n  JobPrivateValues none\n"
                              "  SubscriptionPrivateAccess all\n  SubscriptionPrivateValues none\n"
                              "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                   .arg(port_)
                   .arg(d)
                   .toLocal8Bit());
    conf.close();

    cupsd_.setProgram(cupsd);
    cupsd_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"), dir_.filePath(QStringLiteral("etc/cupsd.conf")),
                         QStringLiteral("-s"), dir_.filePath(QStringLiteral("etc/cups-files.conf"))});
    cupsd_.setProcessChannelMode(QProcess::MergedChannels);
    // cupsd ends with this test even when the test is killed (ctest's time-out).
    cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    cupsd_.start();
    QVERIFY2(cupsd_.waitForStarted(10000), qPrintable(cupsd_.errorString()));
    QElapsedTimer t;
    t.start();
    while (!(canConnectUnix(socketServer()) && canConnectTcp(port_))) {
        if (cupsd_.state() == QProcess::NotRunning || t.elapsed() > 15000) {
            QFile log(dir_.filePath(QStringLiteral("log/error_log")));
            log.open(QIODevice::ReadOnly);
            QFAIL(qPrintable(QStringLiteral("cupsd did not come up: ") + QString::fromLocal8Bit(cupsd_.readAll()) +
                             QString::fromLocal8Bit(log.readAll())));
        }
        QTest::qSleep(20);
    }
    qInfo("cupsd answers after %lld ms on %s and %s", static_cast<long long>(t.elapsed()), socketServer().constData(),
          tcpServer().constData());

    // A server without queues: the empty list, and no failure.
    useServer(socketServer());
    QCOMPARE(QByteArray(lib.GetPrintDriveNames()), QByteArray());
    QCOMPARE(lib.lastError(), QString());

    QVERIFY(printer_.start());
    const QString uri = QStringLiteral("socket://127.0.0.1:%1").arg(printer_.port());
    QString out;
    QVERIFY2(run(lpadmin_, {QStringLiteral("-p"), QLatin1String(kQueueA), QStringLiteral("-E"), QStringLiteral("-v"), uri}, out),
             qPrintable(out));
    QVERIFY2(run(lpadmin_, {QStringLiteral("-p"), QLatin1String(kQueueB), QStringLiteral("-E"), QStringLiteral("-v"), uri}, out),
             qPrintable(out));
    QVERIFY2(run(lpadmin_, {QStringLiteral("-d"), QLatin1String(kQueueB)}, out), qPrintable(out));
    // A printer that is switched off: nothing listens on its port.
    QVERIFY2(run(lpadmin_, {QStringLiteral("-p"), QLatin1String(kQueueOffline), QStringLiteral("-E"), QStringLiteral("-v"),
                            QStringLiteral("socket://127.0.0.1:%1").arg(freePort())}, out),
             qPrintable(out));
}

void TestDravikCups::cleanupTestCase()
{
    if (cupsd_.state() != QProcess::NotRunning) {
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
    }
    qunsetenv("CUPS_SERVER");
}

void TestDravikCups::cleanup()
{
    if (QTest::currentTestFailed()) {
        QFile log(dir_.filePath(QStringLiteral("log/error_log")));
        if (log.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> lines = log.readAll().split('\n');
            qInfo("cupsd error_log (last lines):\n%s", lines.mid(qMax(0, lines.size() - 40)).join('\n').constData());
        }
    }
}

cups_job_t TestDravikCups::newestJob(const char *queue, int &count)
{
    cups_job_t newest{};
    count = 0;
    http_t *http = httpConnect2(socketServer().constData(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1, 5000, nullptr);
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
    QVERIFY2(lib.SendBufferToPrint("DRIVE", "", "to the default", bytes(data), data.size()), qPrintable(lib.lastError()));
    QVERIFY(printer_.waitForJobs(before + 1, 60000));
    int count = 0;
    const cups_job_t job = newestJob(kQueueB, count);
    QCOMPARE(count, countBefore + 1);
    QCOMPARE(QByteArray(job.title), QByteArray("to the default"));
}

void TestDravikCups::unknownQueueFails()
{
    useServer(tcpServer());
    QCOMPARE(lib.SendBufferToPrint("DRIVE", "NoSuchQueue", "x", bytes("x"), 1), 0);
    QVERIFY2(lib.lastError().contains(QLatin1String("no print queue named \"NoSuchQueue\"")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), 1);
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
    QCOMPARE(code, 7);
}

void TestDravikCups::offlinePrinterIsNotASubmitError()
{
    // CUPS takes the job and keeps retrying the printer: the send succeeded.
    useServer(socketServer());
    QElapsedTimer t;
    t.start();
    QVERIFY2(lib.SendBufferToPrint("DRIVE", kQueueOffline, "offline", bytes("x"), 1), qPrintable(lib.lastError()));
    QVERIFY(t.elapsed() < 5000);
    QCOMPARE(lib.lastCode(), 0);
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
    QVERIFY(t.elapsed() < 1000);
    QVERIFY2(lib.lastError().contains(QLatin1String("no CUPS server answers")), qPrintable(lib.lastError()));
    QCOMPARE(lib.lastCode(), 6);
    t.restart();
    QCOMPARE(lib.SendBufferToPrint("DRIVE", kQueueA, "x", bytes("x"), 1), 0);
    QVERIFY(t.elapsed() < 1000);
    const QString why = lib.lastError();
    QVERIFY2(why.contains(QLatin1String("no CUPS server answers")), qPrintable(why));
    QCOMPARE(lib.lastCode(), 6);
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
    QTest::newRow("reads the request, then closes") << int(VanishingServer::ReadThenClose) << QByteArray(kQueueA)
                                                    << QStringLiteral("look-up of print queue");
    QTest::newRow("the default queue, closes at once") << int(VanishingServer::CloseAtOnce) << QByteArray()
                                                       << QStringLiteral("look-up of its default queue");
    QTest::newRow("between look-up and job") << int(VanishingServer::AnswerLookUpThenClose) << QByteArray(kQueueA)
                                             << QStringLiteral("creation of a job");
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
    QCOMPARE(lib.lastCode(), 6);
    QVERIFY2(why.contains(QLatin1String("went away")) && why.contains(during) && !why.contains(QLatin1String("no print queue")),
             qPrintable(why));

    QCOMPARE(QByteArray(lib.GetPrintDriveNames()), QByteArray());
    QCOMPARE(lib.lastCode(), 6);
    useServer(socketServer());
}

QTEST_GUILESS_MAIN(TestDravikCups)
#include "tst_dravik_cups.moc"
