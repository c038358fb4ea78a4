// The virtual printer's output folder against a hostile or full world:
// folders others can write, a second server, links planted among its files,
// and writes that fail.
#include "command_stream.h"
#include "output_writer.h"
#include "print_session.h"
#include "printer_flash.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

// printer.json as a printer's flash would hold it, with this QR text and these logos.
QByteArray flashWith(const QByteArray &qrText, const std::vector<decoder::Logo> &logos = {})
{
    PrinterState s;
    s.qrText = qrText;
    s.logos = logos;
    return flashJson(s);
}

QImage inkedReceipt()
{
    QImage picture(64, 40, QImage::Format_Grayscale8);
    picture.fill(0);
    return picture;
}

// Files larger than `bytes` cannot be written while it lives (EFBIG, as a
// full disk gives ENOSPC): the same short write and failed call.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace

class TestServeOutput : public QObject
{
    Q_OBJECT

private slots:
    void refusesFoldersItCannotOwn_data();
    void refusesFoldersItCannotOwn();
    void plantedLinksRedirectNothing_data();
    void plantedLinksRedirectNothing();
    void aFailedWriteKeepsTheOldFileAndIsSaidOnce();
    void aRunOfTextIsOneLogLine();
    void whatComesThickIsSummedUp_data();
    void whatComesThickIsSummedUp();
    void logLinesStayWholeWhenTheDiskFills();
    void settingsAndLogosOutliveARestart_data();
    void settingsAndLogosOutliveARestart();
};

void TestServeOutput::refusesFoldersItCannotOwn_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("message");
    QTest::newRow("no name") << "empty"
                             << "has no name";
    QTest::newRow("others may write") << "0777"
                                      << "others may write";
    QTest::newRow("its group may write") << "0770"
                                         << "others may write";
    QTest::newRow("another user's") << "chown"
                                    << "belongs to another user";
    QTest::newRow("held by a running server") << "held"
                                              << "another virtual printer is writing to";
}

void TestServeOutput::refusesFoldersItCannotOwn()
{
    QFETCH(QString, setup);
    QFETCH(QString, message);
    QTemporaryDir base;
    const QString dir = base.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(dir));
    OutputWriter first;
    QString error;
    if (setup == QLatin1String("held"))
        QVERIFY2(first.open(dir, error), qPrintable(error));
    else if (setup == QLatin1String("chown")) {
        if (::getuid() != 0)
            QSKIP("giving a folder to another user needs root");
        QCOMPARE(::chown(QFile::encodeName(dir).constData(), 65534, 65534), 0);
    } else if (setup.startsWith(QLatin1Char('0')))
        QCOMPARE(::chmod(QFile::encodeName(dir).constData(), mode_t(setup.toUInt(nullptr, 8))), 0);
    OutputWriter out;
    QVERIFY(!out.open(setup == QLatin1String("empty") ? QString() : dir, error));
    QVERIFY2(error.contains(message), qPrintable(error));
    QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/log.txt")) || setup == QLatin1String("held"));
}

void TestServeOutput::plantedLinksRedirectNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("opens");
    QTest::newRow("log") << "log.txt" << false;
    QTest::newRow("state aside") << "state.json.tmp" << true;
    QTest::newRow("state") << "state.json" << true;
    QTest::newRow("first receipt") << "receipt-001.png" << true;
    QTest::newRow("receipt aside") << "receipt.png.tmp" << true;
    QTest::newRow("lock") << ".server.lock" << false;
}

void TestServeOutput::plantedLinksRedirectNothing()
{
    QFETCH(QString, name);
    QFETCH(bool, opens);
    QTemporaryDir base;
    const QString victim = base.filePath(QStringLiteral("victim"));
    {
        QFile v(victim);
        QVERIFY(v.open(QIODevice::WriteOnly));
        v.write("precious");
    }
    const QString dir = base.filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkdir(dir));
    QVERIFY(QFile::link(victim, dir + QLatin1Char('/') + name));
    OutputWriter out;
    QString error;
    QCOMPARE(out.open(dir, error), opens);
    if (opens) {
        QVERIFY2(out.writeState("{}", error), qPrintable(error));
        QVERIFY2(!out.saveReceipt(inkedReceipt(), error).isEmpty(), qPrintable(error));
        out.log(QStringLiteral("a line"));
        QVERIFY2(out.flushLog(error), qPrintable(error));
    } else {
        QVERIFY2(error.contains(name), qPrintable(error));
    }
    QCOMPARE(contents(victim), QByteArray("precious"));
    QVERIFY(!QFileInfo::exists(dir + QStringLiteral("/state.json.tmp")));
}

void TestServeOutput::aFailedWriteKeepsTheOldFileAndIsSaidOnce()
{
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    // The terminal in memory: the size limit below applies to every file.
    char *shown = nullptr;
    std::size_t shownSize = 0;
    std::FILE *terminal = ::open_memstream(&shown, &shownSize);
    QVERIFY(terminal);
    {
        PrintSession session(576, out, terminal);
        session.receive(QStringLiteral("t"), {}); // the first state.json, written at start
        const QByteArray before = contents(dir.filePath(QStringLiteral("state.json")));
        QVERIFY(before.contains("darkness"));
        const qint64 logSize = QFileInfo(dir.filePath(QStringLiteral("log.txt"))).size();
        {
            FileSizeLimit full(logSize + 1); // nothing of any size fits any more
            for (int i = 0; i < 3; ++i) {
                decoder::Decoded text;
                text.kind = decoder::Kind::Text;
                text.payload = "inked";
                text.length = 5;
                decoder::Decoded darker;
                darker.kind = decoder::Kind::Darkness;
                darker.value = 30 + i;
                decoder::Decoded cut;
                cut.kind = decoder::Kind::FullCut;
                session.receive(QStringLiteral("t"), {text, darker, cut});
                session.endJob(QStringLiteral("t"));
            }
            session.saveWaitingReceipts(); // while the disk is still full
        }
        QCOMPARE(contents(dir.filePath(QStringLiteral("state.json"))), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), (QStringList{"log.txt", "state.json"}));
        // Disk space again: the next change is written.
        session.note(QStringLiteral("t"), QStringLiteral("space again"));
        decoder::Decoded lighter;
        lighter.kind = decoder::Kind::Darkness;
        lighter.value = 5;
        decoder::Decoded text;
        text.kind = decoder::Kind::Text;
        text.payload = "inked";
        decoder::Decoded cut;
        cut.kind = decoder::Kind::FullCut;
        session.receive(QStringLiteral("t"), {lighter, text, cut});
        session.endJob(QStringLiteral("t"));
        session.saveWaitingReceipts();
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("receipt-001.png"))));
        QVERIFY(contents(dir.filePath(QStringLiteral("state.json"))).contains("\"darkness\": 5"));
    }
    std::fclose(terminal);
    const QByteArray said(shown, qsizetype(shownSize));
    std::free(shown);
    // Each kind of file is said once, while three of each failed.
    QVERIFY2(said.count("cannot write " + QFile::encodeName(dir.path()) + "/log.txt") == 1, said.constData());
    QCOMPARE(said.count("cannot write " + QFile::encodeName(dir.path()) + "/state.json"), 1);
    QCOMPARE(said.count("cannot save a receipt picture"), 1);
    QVERIFY2(said.contains("3 receipt(s) could not be saved"), said.constData());
    QVERIFY(said.contains("state.json is written again"));
}

void TestServeOutput::aRunOfTextIsOneLogLine()
{
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    QByteArray lines;
    for (int i = 0; i < 1000; ++i)
        lines += "x\n";
    {
        PrintSession session(576, out, nullptr);
        CommandStream stream;
        // Two runs of text around a cut, arriving in pieces of 7 bytes.
        const QByteArray job = lines + "\x1bi" + lines;
        for (qsizetype at = 0; at < job.size(); at += 7)
            session.receive(QStringLiteral("t"), stream.feed(job.mid(at, 7)));
        session.endJob(QStringLiteral("t"));
    }
    const QByteArray log = contents(dir.filePath(QStringLiteral("log.txt")));
    QCOMPARE(log.count("2000 bytes: text \"xxxxx"), 2);
    QCOMPARE(log.count("1000 line feed(s)"), 2);
    QCOMPARE(log.count('\n'), 5); // two runs, the cut, its receipt, the second receipt
}

void TestServeOutput::whatComesThickIsSummedUp_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QByteArray>("marker"); // in the lines counted
    QTest::addColumn<int>("markedLines");
    QTest::addColumn<int>("maxLines"); // all the job's lines (it neither cuts nor connects)
    QByteArray requests;
    for (int i = 0; i < 10000; ++i)
        requests += QByteArray("\x1dI\x42\x10\x04\x01", 6);
    QTest::newRow("requests in a row") << requests << QByteArray("20000 requests, answered with") << 1 << 1;
    QByteArray alternating(100 * 1024, 'A');
    for (qsizetype i = 1; i < alternating.size(); i += 2)
        alternating[i] = '\x01';
    QTest::newRow("text and unknown bytes in a row") << alternating << QByteArray("bytes: text \"AAAA") << 1 << 2;
    // 2,500 lines of 48 characters fill a receipt: the run goes past it.
    QTest::newRow("a text run past the longest receipt")
        << QByteArray(128000, 'x') << QByteArray("the receipt is at its longest") << 1 << 2;
    QByteArray cuts;
    while (cuts.size() < 300 * 1024)
        cuts += "x\x1bi";
    QTest::newRow("cut after cut") << cuts << QByteArray("not logged one by one") << 1
                                   << int(LogLines::kBaseLines + 300 * LogLines::kLinesPerKilobyte + 2);
}

void TestServeOutput::whatComesThickIsSummedUp()
{
    QFETCH(QByteArray, job);
    QFETCH(QByteArray, marker);
    QFETCH(int, markedLines);
    QFETCH(int, maxLines);
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    {
        PrintSession session(576, out, nullptr);
        session.setMaxReceipts(3);
        CommandStream stream;
        for (qsizetype at = 0; at < job.size(); at += 4096)
            session.receive(QStringLiteral("t"), stream.feed(job.mid(at, 4096)));
        session.receive(QStringLiteral("t"), stream.finish());
        session.endJob(QStringLiteral("t"));
    }
    const QByteArray log = contents(dir.filePath(QStringLiteral("log.txt")));
    qsizetype own = 0;
    qsizetype marked = 0;
    qsizetype longest = 0;
    for (const QByteArray &line : log.split('\n')) {
        if (!line.contains(" t "))
            continue;
        ++own;
        marked += line.contains(marker);
        longest = qMax(longest, line.size());
    }
    QVERIFY2(marked == markedLines, log.left(3000).constData());
    QVERIFY2(own <= maxLines, qPrintable(QString::number(own)));
    QVERIFY2(longest < 1000, qPrintable(QString::number(longest)));
}

void TestServeOutput::logLinesStayWholeWhenTheDiskFills()
{
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    const auto line = [](int n) {
        return QStringLiteral("2001-02-03 04:05:06.%1 t line %1 of a job").arg(n, 3, 10, QChar('0'));
    };
    for (int n = 0; n < 5; ++n)
        out.log(line(n));
    QVERIFY2(out.flushLog(error), qPrintable(error));
    const qint64 before = QFileInfo(dir.filePath(QStringLiteral("log.txt"))).size();
    {
        // Room for part of the next lines: the one cut short goes.
        FileSizeLimit full(rlim_t(before + 100));
        for (int n = 5; n < 15; ++n)
            out.log(line(n));
        QVERIFY(!out.flushLog(error));
        QVERIFY2(error.contains(QLatin1String("log.txt")), qPrintable(error));
    }
    const QByteArray cut = contents(dir.filePath(QStringLiteral("log.txt")));
    QVERIFY(cut.endsWith('\n'));
    const qsizetype kept = cut.count('\n') - 5;
    QVERIFY(kept >= 1 && kept < 10);
    for (const QByteArray &l : cut.split('\n'))
        QVERIFY2(l.isEmpty() || (l.startsWith("2001-02-03") && l.endsWith("of a job")), l.constData());
    // Room again: the gap is said first, with the time of the first line missed.
    out.log(line(15));
    QVERIFY2(out.flushLog(error), qPrintable(error));
    const QByteArray log = contents(dir.filePath(QStringLiteral("log.txt")));
    const QByteArray gap = QStringLiteral(" out %1 line(s) could not be written to this log since %2")
                               .arg(10 - kept)
                               .arg(line(int(5 + kept)).left(23))
                               .toUtf8();
    QVERIFY2(log.contains(gap), log.constData());
    QVERIFY(log.endsWith(line(15).toUtf8() + '\n'));
}

void TestServeOutput::settingsAndLogosOutliveARestart_data()
{
    QTest::addColumn<QByteArray>("damage"); // written over printer.json between the runs
    QTest::addColumn<bool>("factory");
    QTest::addColumn<int>("darkness"); // after the restart
    QTest::addColumn<int>("logos");
    QTest::addColumn<QString>("said");
    QTest::newRow("kept") << QByteArray() << false << 31 << 1 << "settings and 1 logo(s) read back";
    QTest::newRow("--factory") << QByteArray() << true << 23 << 0 << "starting from the factory state (--factory)";
    QTest::newRow("not JSON") << QByteArray("{\"darkness\": 3") << false << 23 << 0 << "is damaged";
    QTest::newRow("out of range") << QByteArray("{\"codePage\": 0, \"baudRate\": 9600, \"darkness\": -4}") << false
                                  << 23 << 0 << "\"darkness\" is not a whole number from 0 to 255";
    // What no command could have stored: a file beyond the printer's limits.
    QTest::newRow("QR text longer than a store command carries")
        << flashWith(QByteArray(65533, 'q')) << false << 23 << 0 << "\"qrText\" holds 65533 bytes";
    QTest::newRow("a logo larger than the printer takes")
        << flashWith("q", {{576, 240, QByteArray(576 * 240 / 8, '\x0f')}}) << false << 23 << 0
        << "logo 1 is 576 x 240 dots with 17280 data bytes";
    // A valid file whose QR text alone is 40 MB of base64.
    QByteArray huge = flashWith({});
    huge.replace("\"qrText\":\"\"", "\"qrText\":\"" + QByteArray(40 * 1024 * 1024, 'A') + '"');
    QTest::newRow("40 MB of QR text") << huge << false << 23 << 0 << "is not a plain file of at most";
}

void TestServeOutput::settingsAndLogosOutliveARestart()
{
    QFETCH(QByteArray, damage);
    QFETCH(bool, factory);
    QFETCH(int, darkness);
    QFETCH(int, logos);
    QFETCH(QString, said);
    QTemporaryDir dir;
    QString error;
    {
        OutputWriter out;
        QVERIFY2(out.open(dir.path(), error), qPrintable(error));
        PrintSession session(576, out, nullptr);
        session.readBackFlash(false);
        decoder::Decoded darker;
        darker.kind = decoder::Kind::Darkness;
        darker.value = 31;
        decoder::Decoded download;
        download.kind = decoder::Kind::LogoDownload;
        download.logos.push_back({16, 8, QByteArray(16, '\x5a')});
        session.receive(QStringLiteral("t"), {darker, download});
        session.endJob(QStringLiteral("t"));
    }
    if (!damage.isEmpty()) {
        QFile f(dir.filePath(QStringLiteral("printer.json")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damage);
    }
    OutputWriter out;
    QVERIFY2(out.open(dir.path(), error), qPrintable(error));
    PrintSession session(576, out, nullptr);
    session.readBackFlash(factory);
    QCOMPARE(session.printer().state().darkness, darkness);
    QCOMPARE(int(session.printer().state().logos.size()), logos);
    if (logos > 0)
        QCOMPARE(session.printer().state().logos.front().raster, QByteArray(16, '\x5a'));
    QVERIFY2(contents(dir.filePath(QStringLiteral("log.txt"))).contains(said.toUtf8()),
             contents(dir.filePath(QStringLiteral("log.txt"))).constData());
    QCOMPARE(QFileInfo::exists(dir.filePath(QStringLiteral("printer.json.damaged"))), !damage.isEmpty());
}

QTEST_GUILESS_MAIN(TestServeOutput)
#include "tst_serve_output.moc"
