// nemboport with the real printer I/O library and a private CUPS server:
// a job sent to a queue counts once the printer took it. A queue whose
// printer is unreachable makes the tool fail, naming the queue and why, and
// the job is withdrawn (or left queued when asked), so it does not print
// later; one the printer holds is stopped while printing, never called
// withdrawn. A queue paused or refusing jobs is sent nothing: the tool fails
// at once with the fix.
#include "cups_test_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char *kUp = "NbWaitUp";
const char *kUp2 = "NbWaitUp2";
const char *kDown = "NbWaitDown"; // its printer does not listen
const char *kPaused = "NbWaitPaused";
const char *kRefusing = "NbWaitRefusing";
const char *kSink = "sinkq"; // its printer takes the bytes and never closes

} // namespace

class TestNemboportWaits : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void outcomeOfOneQueue_data();
    void outcomeOfOneQueue();
    void aWithdrawnJobNeverReachesThePrinter();
    void eachQueueFollowedOnItsOwn();
    void listSaysWhichQueuesAreUsable();

private:
    struct Result
    {
        int status = -1;
        QString out, err;
    };
    Result tool(const QStringList &args);
    bool cups(const char *program, const QStringList &args);
    int jobsIn(const char *queue);

    QTemporaryDir dir_{QStringLiteral("/tmp/tst_nemboport_waits-XXXXXX")};
    privatecups::Server server_{dir_.path()};
    privatecups::SocketPrinter printer_;
    int sinkFd_ = -1; // the never-closing printer: accepted and held by the kernel's backlog
    QString output_;
};

TestNemboportWaits::Result TestNemboportWaits::tool(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(server_.socketServer()));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(NPS_TOOL), args);
    Result r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return r;
    }
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return r;
}

bool TestNemboportWaits::cups(const char *program, const QStringList &args)
{
    const QStringList dirs{QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"), QStringLiteral("/sbin")};
    const QString path = QStandardPaths::findExecutable(QLatin1String(program), dirs);
    return !path.isEmpty() && server_.run(path, args, output_);
}

int TestNemboportWaits::jobsIn(const char *queue)
{
    if (!cups("lpstat", {QStringLiteral("-o"), QLatin1String(queue)}))
        return -1;
    return int(output_.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
}

void TestNemboportWaits::initTestCase()
{
    QVERIFY(dir_.isValid());
    const QString failed = server_.start();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    QVERIFY(printer_.start());
    const QString listener = QStringLiteral("socket://127.0.0.1:%1").arg(printer_.port());
    for (const char *queue : {kUp, kUp2, kPaused, kRefusing})
        QVERIFY2(server_.addRawQueue(QLatin1String(queue), listener, output_), qPrintable(output_));
    QVERIFY2(server_.addRawQueue(QLatin1String(kDown),
                                 QStringLiteral("socket://127.0.0.1:%1").arg(privatecups::freePort()), output_),
             qPrintable(output_));
    // A printer that accepts and never closes: the kernel completes the
    // connection and buffers the bytes; nobody ever reads or closes them.
    quint16 sinkPort = 0;
    QVERIFY(privatecups::listenOnLoopback(sinkFd_, sinkPort));
    QVERIFY2(server_.addRawQueue(QLatin1String(kSink), QStringLiteral("socket://127.0.0.1:%1").arg(sinkPort), output_),
             qPrintable(output_));
    QVERIFY2(cups("cupsdisable", {QLatin1String(kPaused)}), qPrintable(output_));
    QVERIFY2(cups("cupsreject", {QLatin1String(kRefusing)}), qPrintable(output_));
}

void TestNemboportWaits::cleanupTestCase()
{
    server_.stop();
    if (sinkFd_ >= 0)
        ::close(sinkFd_);
}

void TestNemboportWaits::outcomeOfOneQueue_data()
{
    QTest::addColumn<QString>("queue");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("says"); // a pattern in the errors
    QTest::addColumn<int>("left");     // jobs still in the queue after
    QTest::addColumn<int>("received"); // jobs the printer received

    QTest::newRow("printer listening: printed") << kUp << QStringList{} << 0 << "^$" << 0 << 1;
    QTest::newRow("printer not listening: withdrawn")
        << kDown << QStringList{"--wait", "3"} << 1
        << "^nemboport: NbWaitDown: .* was still waiting after 3 s and was withdrawn: .*(connecting|off-line)" << 0
        << 0;
    QTest::newRow("the printer holds the job: stopped while printing, not withdrawn")
        << kSink << QStringList{"--wait", "4"} << 4
        << "^nemboport: sinkq: \"Set New Level\" was still being handed to the printer after 4 s and was stopped "
           "while printing: the printer may have received part or all of it: [^\\n]*has received the job[^\\n]*\\n$"
        << 0 << 0;
    QTest::newRow("paused: nothing sent, at once, with the fix")
        << kPaused << QStringList{} << 1
        << "^nemboport: NbWaitPaused: not sent: the print server reports the queue paused.*; cupsenable NbWaitPaused "
           "resumes it\\n$"
        << 0 << 0;
    QTest::newRow("paused, --no-wait: warned, and queued")
        << kPaused << QStringList{"--no-wait"} << 0 << "^nemboport: warning: NbWaitPaused is not usable \\(paused" << 1
        << 0;
    QTest::newRow("paused, --keep-queued: left there") << kPaused << QStringList{"--wait", "1", "--keep-queued"} << 1
                                                       << "left queued \\(--keep-queued\\).*paused" << 1 << 0;
    QTest::newRow("refusing jobs: nothing sent, with the fix")
        << kRefusing << QStringList{} << 1 << "^nemboport: NbWaitRefusing: not sent: .*cupsaccept NbWaitRefusing" << 0
        << 0;
}

void TestNemboportWaits::outcomeOfOneQueue()
{
    QFETCH(QString, queue);
    QFETCH(QStringList, options);
    const int before = printer_.jobs().size();
    QElapsedTimer clock;
    clock.start();
    const Result r =
        tool(QStringList{"set", "darkness", queue == QLatin1String(kSink) ? "10" : "8", "--queue", queue} + options);
    // A queue the server reports unusable fails before any wait (30 s by default).
    if (QByteArray(QTest::currentDataTag()).contains("at once"))
        QVERIFY(clock.elapsed() < 20000);
    QFETCH(QString, says);
    QVERIFY2(QRegularExpression(says).match(r.err).hasMatch(), qPrintable(r.err));
    QTEST(r.status, "exit");
    QTEST(jobsIn(qPrintable(queue)), "left");
    QFETCH(int, received);
    if (received > 0)
        QVERIFY(printer_.waitForJobs(before + received, 10000));
    QCOMPARE(printer_.jobs().size(), before + received);
    QVERIFY(cups("cancel", {QStringLiteral("-a"), queue}));
}

void TestNemboportWaits::aWithdrawnJobNeverReachesThePrinter()
{
    const Result withdrawn = tool({"set", "darkness", "8", "--queue", kDown, "--wait", "2"});
    QCOMPARE(withdrawn.status, 1);
    // The printer comes back: only the next job reaches it.
    const int before = printer_.jobs().size();
    QVERIFY2(cups("lpadmin", {"-p", kDown, "-v", QStringLiteral("socket://127.0.0.1:%1").arg(printer_.port())}),
             qPrintable(output_));
    const Result next = tool({"set", "cutter", "on", "--queue", kDown});
    QVERIFY2(next.status == 0, qPrintable(next.err));
    QVERIFY(printer_.waitForJobs(before + 1, 10000));
    QCOMPARE(printer_.jobs().size(), before + 1);
}

void TestNemboportWaits::eachQueueFollowedOnItsOwn()
{
    const int before = printer_.jobs().size();
    const Result r = tool(
        {"set", "darkness", "8", "cutter", "on", "--queue", kUp, "--queue", kPaused, "--queue", kUp2, "--wait", "2"});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.out, QStringLiteral("NbWaitUp: printed\nNbWaitPaused: not-usable\nNbWaitUp2: printed\n"));
    QVERIFY2(r.err.contains(QLatin1String("NbWaitPaused: ")) && r.err.endsWith(QLatin1String("1 of 3 queues failed\n")),
             qPrintable(r.err));
    QCOMPARE(jobsIn(kPaused), 0);
    QVERIFY(printer_.waitForJobs(before + 4, 10000));
    QCOMPARE(printer_.jobs().size(), before + 4);
}

void TestNemboportWaits::listSaysWhichQueuesAreUsable()
{
    const Result r = tool({"list", "--json"});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QMap<QString, QJsonObject> queues;
    for (const QJsonValue &v : QJsonDocument::fromJson(r.out.toUtf8()).array())
        queues.insert(v[QLatin1String("name")].toString(), v.toObject());
    const struct
    {
        const char *queue;
        bool usable;
        const char *reason;
    } rows[] = {{kUp, true, ""}, {kPaused, false, "cupsenable NbWaitPaused"}, {kRefusing, false, "not accepting jobs"}};
    for (const auto &row : rows) {
        const QJsonObject q = queues.value(QLatin1String(row.queue));
        QCOMPARE(q[QLatin1String("usable")].toBool(), row.usable);
        QVERIFY2(q[QLatin1String("reason")].toString().contains(QLatin1String(row.reason)), row.queue);
    }
}

QTEST_GUILESS_MAIN(TestNemboportWaits)
#include "tst_nemboport_waits.moc"
