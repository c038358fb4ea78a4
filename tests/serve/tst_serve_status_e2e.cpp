// `nemboport status` and `nemboport probe` through the real printer I/O
// library against `nemboport serve`: through a private cupsd's socket://
// queue and through its pseudo-terminal, a printer that runs out of paper, one
// that was stopped, and one whose rate must be found.
#include "cups_test_server.h"
#include "serve_process.h"

#include <QtTest>

namespace {

struct Run
{
    int status = -1;
    QString output;
};

Run nemboport(const QStringList &args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(NPS_NEMBOPORT), args);
    Run run;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(5000);
        run.output = QStringLiteral("nemboport did not end within 30 s");
        return run;
    }
    run.output = QString::fromLocal8Bit(p.readAll());
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return run;
}

} // namespace

class TestServeStatusEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void statusExitCodes_data();
    void statusExitCodes();
    void probeFindsTheServersRate_data();
    void probeFindsTheServersRate();

private:
    QTemporaryDir cupsDir_{QStringLiteral("/tmp/tst_serve_status-XXXXXX")};
    privatecups::Server cups_{cupsDir_.path()};
};

void TestServeStatusEndToEnd::initTestCase()
{
    QVERIFY(cupsDir_.isValid());
    const QString error = cups_.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    qputenv("CUPS_SERVER", cups_.socketServer());
}

void TestServeStatusEndToEnd::statusExitCodes_data()
{
    QTest::addColumn<bool>("throughQueue");
    QTest::newRow("socket:// queue") << true;
    QTest::newRow("pseudo-terminal") << false;
}

void TestServeStatusEndToEnd::statusExitCodes()
{
    QFETCH(bool, throughQueue);
    ServeProcess serve;
    QStringList target;
    if (throughQueue) {
        QVERIFY(serveBehindQueue(serve, cups_, QStringLiteral("StatusQueue")));
        target = QStringList{QStringLiteral("--queue"), QStringLiteral("StatusQueue")};
    } else {
        QString error;
        QVERIFY2(serve.start({QStringLiteral("--pty"), QStringLiteral("--baud"), QStringLiteral("19200")},
                             QStringLiteral("Ctrl+C ends"), error),
                 qPrintable(error));
        target = QStringList{QStringLiteral("--serial"), serve.ptyDevice(), QStringLiteral("--baud"),
                             QStringLiteral("19200")};
    }
    const QStringList status = QStringList{QStringLiteral("status")} + target;

    Run run = nemboport(status);
    QVERIFY2(run.status == 0 && run.output.contains(QLatin1String("state: ready")),
             qPrintable(run.output + serve.output()));

    // A mistyped line is not taken for another: one line of help, no change.
    QVERIFY(serve.type("papr out"));
    QTRY_VERIFY_WITH_TIMEOUT((serve.poll(), serve.output().contains(QLatin1String("\"papr out\" is no panel line"))),
                             10000);
    QCOMPARE(serve.state().value("paper"), QJsonValue("ok"));
    QVERIFY(serve.type("paper out"));
    QVERIFY2(serve.waitForState([](const QJsonObject &s) { return s.value("paper") == QLatin1String("out"); }, 10000),
             qPrintable(serve.output()));
    run = nemboport(status);
    QVERIFY2(run.status == 3 && run.output.contains(QLatin1String("paper out")), qPrintable(run.output));

    QVERIFY(serve.stop());
    run = nemboport(status);
    QVERIFY2(run.status == 1, qPrintable(run.output));
}

void TestServeStatusEndToEnd::probeFindsTheServersRate_data()
{
    QTest::addColumn<int>("rate");
    QTest::newRow("19200") << 19200;
    // The last rate tried, with no termios constant: the library sets it and
    // the printer reads it back through termios2.
    QTest::newRow("128000") << 128000;
}

void TestServeStatusEndToEnd::probeFindsTheServersRate()
{
    QFETCH(int, rate);
    ServeProcess serve;
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--pty"), QStringLiteral("--baud"), QString::number(rate)},
                         QStringLiteral("Ctrl+C ends"), error),
             qPrintable(error));
    // Started from a script: no standard input. It must neither stop nor spin.
    serve.closeInput();
    const qint64 cpuBefore = serve.cpuMs();

    const Run run = nemboport({QStringLiteral("probe"), QStringLiteral("--serial"), serve.ptyDevice()});
    QVERIFY2(run.status == 0 && run.output.contains(QStringLiteral("answers at %1 baud").arg(rate)),
             qPrintable(run.output + serve.output()));
    // The rates tried before it reached the printer as garbage.
    QVERIFY(serve.state().value("unknownBytes").toInt() > 0);
    QVERIFY2(serve.cpuMs() - cpuBefore < 500, qPrintable(QString::number(serve.cpuMs() - cpuBefore)));
    QVERIFY(serve.stop());
}

QTEST_GUILESS_MAIN(TestServeStatusEndToEnd)
#include "tst_serve_status_e2e.moc"
