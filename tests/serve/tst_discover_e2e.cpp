// nemboport discover and add-queue end to end, through the real printer I/O
// library and a private CUPS server: three virtual printers on the loopback
// addresses 127.0.0.2 to .4, each naming itself, beside a listener that says
// nothing and one that answers garbage. The three are found with their
// identities and the two listeners are not printers; a queue made for one
// works like any other (asked, sent through, printed); a name that exists is
// refused; a user the print server does not let administer printers is
// refused with the fix. Only loopback addresses are scanned.
#include "cups_test_server.h"
#include "loopback_listener.h"
#include "serve_process.h"

#include <QJsonArray>
#include <QStandardPaths>
#include <QtTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run nemboport(const QStringList &args, const QByteArray &cupsServer, const QStringList &prefix = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(cupsServer));
    p.setProcessEnvironment(env);
    if (prefix.isEmpty())
        p.start(QStringLiteral(NPS_NEMBOPORT), args);
    else
        p.start(prefix.first(), prefix.mid(1) + QStringList{QStringLiteral(NPS_NEMBOPORT)} + args);
    Run run;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        run.err = QStringLiteral("nemboport did not end within 60 s");
        return run;
    }
    run.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(p.readAllStandardError());
    run.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return run;
}

struct Identity
{
    const char *address;
    const char *maker;
    const char *model;
    const char *serial;
};
const Identity kPrinters[] = {{"127.0.0.2", "Nembo", "TP-80", "A0002"},
                              {"127.0.0.3", "Nembo", "TP-58", "A0003"},
                              {"127.0.0.4", "Kestrel", "K-80II", "K0004"}};

} // namespace

class TestDiscoverEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void findsTheThreePrintersAndNotTheListeners();
    void aQueueMadeForOneWorksLikeAnyOther();
    void aNameThatExistsIsRefused();
    void aUserWhoMayNotAdministerIsToldTheFix();

private:
    QTemporaryDir cupsDir_{QStringLiteral("/tmp/tst_discover-XXXXXX")};
    privatecups::Server cups_{cupsDir_.path()};
    quint16 port_ = 0;
    ServeProcess printers_[3];
    LoopbackListener silent_;
    LoopbackListener garbage_;
};

void TestDiscoverEndToEnd::initTestCase()
{
    QVERIFY(cupsDir_.isValid());
    const QString error = cups_.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    port_ = privatecups::freePort();
    for (int i = 0; i < 3; ++i) {
        const Identity &id = kPrinters[i];
        QString failed;
        QVERIFY2(
            printers_[i].start({QStringLiteral("--tcp"), QStringLiteral("%1:%2").arg(id.address).arg(port_),
                                QStringLiteral("--maker"), QLatin1String(id.maker), QStringLiteral("--model-name"),
                                QLatin1String(id.model), QStringLiteral("--serial-number"), QLatin1String(id.serial)},
                               QStringLiteral("listening on"), failed),
            qPrintable(failed));
    }
    QVERIFY(silent_.start("127.0.0.5", port_, LoopbackListener::Silent));
    QVERIFY(garbage_.start("127.0.0.6", port_, LoopbackListener::Garbage));
}

void TestDiscoverEndToEnd::cleanupTestCase()
{
    for (ServeProcess &p : printers_)
        p.stop();
    cups_.stop();
}

void TestDiscoverEndToEnd::findsTheThreePrintersAndNotTheListeners()
{
    const Run run = nemboport({QStringLiteral("discover"), QStringLiteral("--network"), QStringLiteral("127.0.0.0/29"),
                               QStringLiteral("--port"), QString::number(port_), QStringLiteral("--json")},
                              cups_.socketServer());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QJsonObject top = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(top.value("printers").toInt(), 3);
    const QJsonArray found = top.value("found").toArray();
    QCOMPARE(found.size(), 5);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject p = found.at(i).toObject();
        const Identity &id = kPrinters[i];
        QCOMPARE(p.value("link").toString(), QStringLiteral("%1:%2").arg(id.address).arg(port_));
        QCOMPARE(p.value("printer").toBool(), true);
        QCOMPARE(p.value("maker").toString(), QLatin1String(id.maker));
        QCOMPARE(p.value("model").toString(), QLatin1String(id.model));
        QCOMPARE(p.value("serialNumber").toString(), QLatin1String(id.serial));
        QCOMPARE(p.value("uri").toString(), QStringLiteral("socket://%1:%2").arg(id.address).arg(port_));
        QCOMPARE(p.value("status").toObject().value("summary").toString(), QStringLiteral("ready"));
    }
    for (int i = 3; i < 5; ++i) {
        const QJsonObject p = found.at(i).toObject();
        QCOMPARE(p.value("link").toString(), QStringLiteral("127.0.0.%1:%2").arg(i + 2).arg(port_));
        QCOMPARE(p.value("printer").toBool(), false);
        QCOMPARE(p.value("outcome").toString(), QStringLiteral("not-a-printer"));
        QVERIFY(p.value("reason").toString().startsWith(QLatin1String("port open, not a receipt printer")));
    }
    // The search asks; it prints nothing.
    for (ServeProcess &p : printers_)
        QCOMPARE(p.state().value("cuts").toInt(), 0);
}

void TestDiscoverEndToEnd::aQueueMadeForOneWorksLikeAnyOther()
{
    const QByteArray server = cups_.socketServer();
    const QString uri = QStringLiteral("socket://127.0.0.2:%1").arg(port_);
    Run run = nemboport({QStringLiteral("add-queue"), QStringLiteral("NbFound"), QStringLiteral("--uri"), uri}, server);
    QVERIFY2(run.status == 0, qPrintable(run.err));

    run = nemboport({QStringLiteral("status"), QStringLiteral("--queue"), QStringLiteral("NbFound")}, server);
    QVERIFY2(run.status == 0 && run.out.contains(QLatin1String("model: TP-80")), qPrintable(run.out + run.err));

    run = nemboport({QStringLiteral("set"), QStringLiteral("darkness"), QStringLiteral("8"), QStringLiteral("--queue"),
                     QStringLiteral("NbFound")},
                    server);
    QVERIFY2(run.status == 0, qPrintable(run.out + run.err));
    QVERIFY2(printers_[0].waitForState([](const QJsonObject &s) { return s.value("darkness").toInt() == 8; }, 30000),
             qPrintable(printers_[0].output()));

    // discover now names the queue that leads to it.
    run = nemboport({QStringLiteral("discover"), QStringLiteral("--network"), QStringLiteral("127.0.0.2"),
                     QStringLiteral("--port"), QString::number(port_)},
                    server);
    QVERIFY2(run.status == 0 && run.out.contains(QLatin1String("  print queues: NbFound\n")), qPrintable(run.out));
}

void TestDiscoverEndToEnd::aNameThatExistsIsRefused()
{
    const QByteArray server = cups_.socketServer();
    const QStringList add{QStringLiteral("add-queue"), QStringLiteral("NbTwice"), QStringLiteral("--uri"),
                          QStringLiteral("socket://127.0.0.3:%1").arg(port_)};
    QCOMPARE(nemboport(add, server).status, 0);
    const Run again = nemboport(add, server);
    QCOMPARE(again.status, 1);
    QVERIFY2(again.err.contains(QLatin1String("a print queue named NbTwice exists already")), qPrintable(again.err));
    QCOMPARE(nemboport(add + QStringList{QStringLiteral("--replace")}, server).status, 0);
}

void TestDiscoverEndToEnd::aUserWhoMayNotAdministerIsToldTheFix()
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty() || ::geteuid() != 0)
        QSKIP("needs root and setpriv to run the tool as nobody");
    // A print server that lets only its administrators (root here) make queues.
    QTemporaryDir dir(QStringLiteral("/tmp/tst_discover_admin-XXXXXX"));
    QVERIFY(dir.isValid());
    privatecups::Server strict(dir.path());
    const QString failed = strict.start(QStringLiteral("DefaultPolicy adminonly\n"
                                                       "<Policy adminonly>\n"
                                                       "  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer "
                                                       "CUPS-Get-Devices>\n"
                                                       "    AuthType Default\n    Require user @SYSTEM\n"
                                                       "    Order deny,allow\n  </Limit>\n"
                                                       "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                                                       "</Policy>\n"));
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    const QStringList add{QStringLiteral("add-queue"), QStringLiteral("NbNobody"), QStringLiteral("--uri"),
                          QStringLiteral("socket://127.0.0.4:%1").arg(port_)};
    const Run refused = nemboport(
        add, strict.socketServer(),
        {setpriv, QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")});
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(QLatin1String("you may not add print queues on this print server: join the group "
                                                "lpadmin (sudo usermod -aG lpadmin nobody, then log in again) or run "
                                                "the command with sudo")),
             qPrintable(refused.err));
    // Its administrator may.
    QCOMPARE(nemboport(add, strict.socketServer()).status, 0);
}

QTEST_GUILESS_MAIN(TestDiscoverEndToEnd)
#include "tst_discover_e2e.moc"
