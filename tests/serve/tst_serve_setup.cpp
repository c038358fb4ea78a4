// The virtual printer's command line and its port announcement.
#include "port_announcement.h"
#include "serve_options.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/file.h>
#include <unistd.h>

class TestServeSetup : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void conditionsAndIdentity_data();
    void conditionsAndIdentity();
    void quotedInputIsEscapedAndShort_data();
    void quotedInputIsEscapedAndShort();
    void announcementFolderFollowsTheRuntimeDir();
    void announcesAndWithdrawsItsOwnLinkOnly();
    void refusesAFolderThatIsNotPrivate();
};

void TestServeSetup::commandLine_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("listeners"); // "host:port,..." or "-", then "|link" or "|-" / "|none"
    QTest::addColumn<long>("baud");
    QTest::addColumn<int>("paper");
    QTest::newRow("defaults") << QStringList{} << true << "127.0.0.1:9100|none" << 0L << 576;
    QTest::newRow("port only") << QStringList{"--tcp", "9200"} << true << "127.0.0.1:9200|none" << 0L << 576;
    QTest::newRow("host and port") << QStringList{"--tcp", "0.0.0.0:9100", "--model", "58"} << true
                                   << "0.0.0.0:9100|none" << 0L << 384;
    QTest::newRow("pty alone") << QStringList{"--pty"} << true << "-|-" << 0L << 576;
    QTest::newRow("pty with link and baud")
        << QStringList{"--pty", "/tmp/p", "--baud", "9600"} << true << "-|/tmp/p" << 9600L << 576;
    QTest::newRow("both") << QStringList{"--pty", "--tcp"} << true << "127.0.0.1:9100|-" << 0L << 576;
    QTest::newRow("baud without pty") << QStringList{"--baud", "9600"} << false << "" << 0L << 0;
    QTest::newRow("baud zero") << QStringList{"--pty", "--baud", "0"} << false << "" << 0L << 0;
    QTest::newRow("port too large") << QStringList{"--tcp", "70000"} << false << "" << 0L << 0;
    QTest::newRow("host name") << QStringList{"--tcp", "printer.example:9100"} << false << "" << 0L << 0;
    QTest::newRow("model 76") << QStringList{"--model", "76"} << false << "" << 0L << 0;
    QTest::newRow("out without folder") << QStringList{"--out"} << false << "" << 0L << 0;
    QTest::newRow("out empty") << QStringList{"--out", ""} << false << "" << 0L << 0;
    QTest::newRow("receipts capped") << QStringList{"--max-receipts", "0"} << true << "127.0.0.1:9100|none" << 0L
                                     << 576;
    QTest::newRow("receipts negative") << QStringList{"--max-receipts", "-1"} << false << "" << 0L << 0;
    QTest::newRow("unknown") << QStringList{"--tpc", "9100"} << false << "" << 0L << 0;
    // One printer found on several loopback addresses, as a discovery scan sees it.
    QTest::newRow("several addresses") << QStringList{"--tcp", "127.0.0.2:9100", "--tcp", "127.0.0.3:9100"} << true
                                       << "127.0.0.2:9100,127.0.0.3:9100|none" << 0L << 576;
    QTest::newRow("IPv6 in brackets") << QStringList{"--tcp", "[::1]:9100"} << true << "[::1]:9100|none" << 0L << 576;
    QTest::newRow("an address twice") << QStringList{"--tcp", "9100", "--tcp", "127.0.0.1:9100"} << false << "" << 0L
                                      << 0;
}

void TestServeSetup::commandLine()
{
    QFETCH(QStringList, args);
    QFETCH(bool, ok);
    QFETCH(QString, listeners);
    QFETCH(long, baud);
    QFETCH(int, paper);
    ServeOptions o;
    QString error;
    QCOMPARE(parseServeOptions(args, o, error), ok);
    QCOMPARE(error.isEmpty(), ok);
    if (!ok)
        return;
    QStringList endpoints;
    for (const TcpEndpoint &e : o.tcp)
        endpoints << endpointText(e);
    const QString tcp = o.tcp.empty() ? QStringLiteral("-") : endpoints.join(QLatin1Char(','));
    const QString pty = !o.pty ? QStringLiteral("none") : o.ptyLink.isEmpty() ? QStringLiteral("-") : o.ptyLink;
    QCOMPARE(tcp + QLatin1Char('|') + pty, listeners);
    QCOMPARE(o.baud, baud);
    QCOMPARE(o.paperDots, paper);
}

void TestServeSetup::conditionsAndIdentity_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("got"); // paper|cover|on-line|model name, or the start of the error
    QTest::newRow("defaults") << QStringList{} << "ok|closed|online|Virtual 80";
    QTest::newRow("all set") << QStringList{"--paper", "near-end", "--cover", "open", "--offline"}
                             << "near-end|open|offline|Virtual 80";
    QTest::newRow("58 mm model") << QStringList{"--model", "58", "--paper", "out"} << "out|closed|online|Virtual 58";
    QTest::newRow("model name given") << QStringList{"--model-name", "Counter 2", "--model", "58"}
                                      << "ok|closed|online|Counter 2";
    QTest::newRow("paper open") << QStringList{"--paper", "open"} << "--paper wants ok, near-end or out";
    QTest::newRow("cover ok") << QStringList{"--cover", "ok"} << "--cover wants open or closed";
    QTest::newRow("paper without value") << QStringList{"--paper", "--offline"} << "--paper wants";
    QTest::newRow("terminal control in a serial number")
        << QStringList{"--serial-number", "A\x1b[2J"} << "--serial-number wants printable ASCII";
    QTest::newRow("maker too long") << QStringList{"--maker", QString(41, QLatin1Char('m'))}
                                    << "--maker wants 1 to 40 characters";
}

void TestServeSetup::conditionsAndIdentity()
{
    QFETCH(QStringList, args);
    QFETCH(QString, got);
    ServeOptions o;
    QString error;
    if (!parseServeOptions(args, o, error)) {
        QVERIFY2(error.startsWith(got), qPrintable(error));
        return;
    }
    const PrinterConditions &c = o.conditions;
    QCOMPARE(QStringLiteral("%1|%2|%3|%4")
                 .arg(QLatin1String(paperLevelName(c.paper)), c.coverOpen ? "open" : "closed",
                      c.online ? "online" : "offline", QString::fromLatin1(o.identity.model)),
             got);
}

void TestServeSetup::quotedInputIsEscapedAndShort_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("said"); // where the error begins
    const QString clear = QStringLiteral("\x1b[2J");
    QTest::newRow("an unknown argument") << QStringList{clear} << "unknown argument \"\\x1b[2J\"";
    QTest::newRow("a --tcp value") << QStringList{"--tcp", clear} << "--tcp wants";
    QTest::newRow("a --maker value") << QStringList{"--maker", "Shop" + clear} << "--maker wants";
    QTest::newRow("a --paper value") << QStringList{"--paper", clear} << "--paper wants";
    QTest::newRow("a 1 MB argument") << QStringList{QString(1024 * 1024, QLatin1Char('\a'))} << "unknown argument";
}

void TestServeSetup::quotedInputIsEscapedAndShort()
{
    QFETCH(QStringList, args);
    QFETCH(QString, said);
    ServeOptions o;
    QString error;
    QVERIFY(!parseServeOptions(args, o, error));
    QVERIFY2(error.startsWith(said), qPrintable(error));
    QVERIFY2(std::none_of(error.begin(), error.end(), [](QChar c) { return c.unicode() < 0x20; }), qPrintable(error));
    QVERIFY(error.size() < 200);
}

void TestServeSetup::announcementFolderFollowsTheRuntimeDir()
{
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", "/run/user/1234");
    QCOMPARE(announcementFolder(), QStringLiteral("/run/user/1234/nemboport/printers"));
    qputenv("XDG_RUNTIME_DIR", "");
    QCOMPARE(announcementFolder(), QStringLiteral("/tmp/nemboport-%1/printers").arg(::getuid()));
    qputenv("XDG_RUNTIME_DIR", saved);
}

void TestServeSetup::announcesAndWithdrawsItsOwnLinkOnly()
{
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    {
        PortAnnouncement a;
        QString error;
        QVERIFY2(a.announce(QStringLiteral("/dev/pts/77"), error), qPrintable(error));
        QCOMPARE(a.linkPath(),
                 runtime.path() + QStringLiteral("/nemboport/printers/virtual-printer-%1").arg(::getpid()));
        QCOMPARE(symlinkTarget(a.linkPath()), QStringLiteral("/dev/pts/77"));
        QCOMPARE(QFileInfo(runtime.path() + QStringLiteral("/nemboport")).permissions() & 0x0077, QFile::Permissions());
        // The lock beside the link is held while the server runs.
        const QString announced = a.linkPath();
        QFile lock(announced + QStringLiteral(".lock"));
        QVERIFY(lock.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(lock.handle(), LOCK_SH | LOCK_NB), -1);
        lock.close();
        a.withdraw();
        QVERIFY(!QFileInfo(announced).isSymLink());
        QVERIFY(!QFileInfo::exists(announced + QStringLiteral(".lock")));

        // Another server took the name meanwhile: its link stays.
        QVERIFY(a.announce(QStringLiteral("/dev/pts/77"), error));
        const QString link = a.linkPath();
        QFile::remove(link);
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/78"), link));
        a.withdraw();
        QCOMPARE(symlinkTarget(link), QStringLiteral("/dev/pts/78"));
    }
    qputenv("XDG_RUNTIME_DIR", saved);
}

void TestServeSetup::refusesAFolderThatIsNotPrivate()
{
    // A symlink where the folder belongs (as someone could plant under /tmp).
    QTemporaryDir runtime;
    QTemporaryDir elsewhere;
    QVERIFY(QFile::link(elsewhere.path(), runtime.filePath(QStringLiteral("nemboport"))));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    PortAnnouncement a;
    QString error;
    QVERIFY(!a.announce(QStringLiteral("/dev/pts/77"), error));
    QVERIFY2(error.contains(QLatin1String("not a folder of this user")), qPrintable(error));
    QVERIFY(QDir(elsewhere.path()).isEmpty());
    qputenv("XDG_RUNTIME_DIR", saved);
}

QTEST_GUILESS_MAIN(TestServeSetup)
#include "tst_serve_setup.moc"
