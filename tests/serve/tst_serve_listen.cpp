// The virtual printer's TCP port under senders that dribble, never stop, or
// come all at once: no job holds the port for good, and none is lost
// without a line in the log.
#include "output_writer.h"
#include "print_session.h"
#include "tcp_listener.h"

#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

QByteArray logOf(const QTemporaryDir &dir)
{
    QFile f(dir.filePath(QStringLiteral("log.txt")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestServeListen : public QObject
{
    Q_OBJECT

private slots:
    void aDribblingSenderIsCutOff_data();
    void aDribblingSenderIsCutOff();
    void aBurstOfSendersLosesNoJobWithoutATrace_data();
    void aBurstOfSendersLosesNoJobWithoutATrace();
    void requestsAreAnsweredMidJob();
    void suggestsAQueueUriThatWorks_data();
    void suggestsAQueueUriThatWorks();
};

void TestServeListen::aDribblingSenderIsCutOff_data()
{
    QTest::addColumn<int>("maxJobMs");
    QTest::addColumn<int>("bytesPerTick"); // one tick every 20 ms
    QTest::addColumn<QString>("said");
    // A byte at a time, never silent long enough to be closed for silence.
    QTest::newRow("under the minimum rate") << 600000 << 1 << "under 2000 bytes a second";
    // Fast enough, but without end.
    QTest::newRow("past the total time") << 400 << 100 << "still sending after 0.4 s";
}

void TestServeListen::aDribblingSenderIsCutOff()
{
    QFETCH(int, maxJobMs);
    QFETCH(int, bytesPerTick);
    QFETCH(QString, said);
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    PrintSession session(576, out, nullptr);
    TcpListener listener(session);
    TcpLimits limits;
    limits.maxJobMs = maxJobMs;
    limits.graceMs = 300;
    limits.minBytesPerSecond = 2000;
    listener.setLimits(limits);
    QVERIFY2(listener.listen(QHostAddress::LocalHost, 0, error), qPrintable(error));
    const quint16 port = quint16(listener.address().section(QLatin1Char(':'), -1).toUInt());

    QTcpSocket sender;
    sender.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(sender.waitForConnected(5000));
    QTimer drip;
    connect(&drip, &QTimer::timeout, &sender, [&] { sender.write(QByteArray(bytesPerTick, 'x')); });
    drip.start(20);
    QTRY_VERIFY_WITH_TIMEOUT(sender.state() == QAbstractSocket::UnconnectedState, 5000);
    drip.stop();
    QVERIFY2(logOf(dir).contains(said.toUtf8()), logOf(dir).constData());
    // What it sent up to then still printed.
    QVERIFY(logOf(dir).contains("bytes: text \"x"));
}

void TestServeListen::aBurstOfSendersLosesNoJobWithoutATrace_data()
{
    QTest::addColumn<int>("senders");
    QTest::addColumn<int>("maxWaiting");
    QTest::newRow("all wait their turn") << 300 << 2048;
    QTest::newRow("more than may wait") << 40 << 5;
}

void TestServeListen::aBurstOfSendersLosesNoJobWithoutATrace()
{
    QFETCH(int, senders);
    QFETCH(int, maxWaiting);
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    PrintSession session(576, out, nullptr);
    TcpListener listener(session);
    TcpLimits limits;
    limits.maxWaiting = maxWaiting;
    listener.setLimits(limits);
    QVERIFY2(listener.listen(QHostAddress::LocalHost, 0, error), qPrintable(error));
    const quint16 port = quint16(listener.address().section(QLatin1Char(':'), -1).toUInt());

    // Every sender connects at once, sends a cut and closes.
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < senders; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket *c = clients.back().get();
        connect(c, &QTcpSocket::connected, c, [c] {
            c->write("\x1bi");
            c->disconnectFromHost();
        });
        c->connectToHost(QHostAddress::LocalHost, port);
    }
    const auto accounted = [&] {
        const QByteArray log = logOf(dir);
        return log.count("closed after") + log.count("refused the connection");
    };
    QTRY_COMPARE_WITH_TIMEOUT(accounted(), senders, 60000);
    const QByteArray log = logOf(dir);
    QCOMPARE(session.printer().state().cuts, long(log.count("closed after 2 bytes")));
    if (maxWaiting >= senders)
        QCOMPARE(session.printer().state().cuts, long(senders));
}

void TestServeListen::requestsAreAnsweredMidJob()
{
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    PrintSession session(576, out, nullptr);
    session.setConditions(PaperLevel::NearEnd, false, true);
    TcpListener listener(session);
    QVERIFY2(listener.listen(QHostAddress::LocalHost, 0, error), qPrintable(error));
    const quint16 port = quint16(listener.address().section(QLatin1Char(':'), -1).toUInt());

    // A job under way, not closed: DLE EOT 4 and GS I 66 after its text are
    // answered on its own connection at once, not when the job ends.
    QTcpSocket sender;
    sender.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(sender.waitForConnected(5000));
    sender.write(QByteArray("a receipt under way\n") + QByteArray("\x10\x04\x04", 3) + QByteArray("\x1DI\x42", 3));
    QByteArray answers;
    QTRY_VERIFY_WITH_TIMEOUT((answers += sender.readAll()).size() >= 12, 5000);
    QCOMPARE(answers, QByteArray("\x1E_NemboPort", 11) + '\0');
    QCOMPARE(sender.state(), QAbstractSocket::ConnectedState);

    // A second connection waits its turn behind that job, but the status
    // request it begins with is answered now; its print data still waits.
    QTcpSocket asker;
    asker.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(asker.waitForConnected(5000));
    asker.write(QByteArray("\x10\x04\x04", 3) + "printed later\n");
    QTRY_COMPARE_WITH_TIMEOUT(asker.bytesAvailable(), qint64(1), 5000);
    QCOMPARE(asker.readAll(), QByteArray("\x1E"));
    asker.disconnectFromHost();
    sender.disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(logOf(dir).contains("printed later"), 5000);
}

void TestServeListen::suggestsAQueueUriThatWorks_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("uriStart");
    QTest::addColumn<QString>("peerStart"); // as the log names a connection from it
    QTest::newRow("IPv4") << "127.0.0.1"
                          << "socket://127.0.0.1:"
                          << "connected from 127.0.0.1:";
    QTest::newRow("IPv6 in brackets") << "::1"
                                      << "socket://[::1]:"
                                      << "connected from [::1]:";
}

void TestServeListen::suggestsAQueueUriThatWorks()
{
    QFETCH(QString, host);
    QFETCH(QString, uriStart);
    QFETCH(QString, peerStart);
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    PrintSession session(576, out, nullptr);
    TcpListener listener(session);
    if (!listener.listen(QHostAddress(host), 0, error))
        QSKIP(qPrintable(error)); // no IPv6 on this machine
    QVERIFY2(listener.uri().startsWith(uriStart), qPrintable(listener.uri()));
    QVERIFY(QUrl(listener.uri()).port() > 0);
    QCOMPARE(QStringLiteral("socket://") + listener.address(), listener.uri());
    QTcpSocket sender;
    sender.connectToHost(QHostAddress(host), quint16(QUrl(listener.uri()).port()));
    QVERIFY(sender.waitForConnected(5000));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(dir).contains(peerStart.toUtf8()), 5000);
}

QTEST_GUILESS_MAIN(TestServeListen)
#include "tst_serve_listen.moc"
