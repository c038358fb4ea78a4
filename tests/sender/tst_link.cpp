// The library binding, the send path and the connection's plain rules.
#include "connection.h"
#include "dravik_binding.h"
#include "fake_dravik.h"
#include "queue_states.h"
#include "send_path.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>

#include <elf.h>

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void missingLibraryBindsNothing();
    void damagedLibraryIsNotLoaded_data();
    void damagedLibraryIsNotLoaded();
    void partialLibraryLeavesMissingEntriesEmpty();
    void fullLibraryBindsEverythingInOrder();
    void defaultSearchFindsTheLibraryBesideTheProgram();
    void sendOnlyBinding();
    void libraryWithoutAnswersIsWhole();
    void sendPath();
    void failureReasons_data();
    void failureReasons();
    void splitLists_data();
    void splitLists();
    void parallelPorts_data();
    void parallelPorts();
    void queueStates_data();
    void queueStates();
};

void TestLink::missingLibraryBindsNothing()
{
    DravikBinding lib;
    QVERIFY(!lib.loadFrom(QStringLiteral("/nonexistent/libDravik.so")));
    QVERIFY(!lib.isLoaded());
    QVERIFY(lib.loadError().contains(QStringLiteral("/nonexistent/libDravik.so")));
    QVERIFY(!lib.sendBufferToPrint && !lib.openComm && !lib.isLanguage && !lib.getLastErrorText);
    QVERIFY(!lib.queryPrinter && !lib.followLastJob && !lib.cancelLastJob);
    QCOMPARE(lib.lastErrorText(), QString());
}

void TestLink::damagedLibraryIsNotLoaded_data()
{
    // Copies of the real library, spoilt as `make` says, in libDravik.so of a
    // folder of the test's own.
    QTest::addColumn<QString>("make");
    QTest::addColumn<QStringList>("says"); // empty: it loads

    QTest::newRow("intact") << "intact" << QStringList();
    QTest::newRow("truncated to its first 4096 bytes") << "truncate" << QStringList{"libDravik.so is truncated: "};
    QStringList foreign{"libDravik.so is built for another machine (ARM aarch64), this program runs on "};
#if defined(__x86_64__)
    foreign << "runs on x86-64";
#endif
    QTest::newRow("built for another machine") << "aarch64" << foreign;
    QTest::newRow("32-bit") << "class32" << QStringList{"libDravik.so is a 32-bit library, this program is 64-bit"};
    QTest::newRow("a text file") << "text" << QStringList{"libDravik.so is not a library"};
    QTest::newRow("an empty file") << "empty" << QStringList{"libDravik.so is empty"};
}

void TestLink::damagedLibraryIsNotLoaded()
{
    QFETCH(QString, make);
    QFETCH(QStringList, says);
#if !defined(__LP64__) || defined(__aarch64__)
    if (make == QLatin1String("aarch64") || make == QLatin1String("class32"))
        QSKIP("the patched machine and word size are this machine's own");
#endif
    QFile real(QStringLiteral(NPS_REAL_LIBRARY));
    QVERIFY2(real.open(QIODevice::ReadOnly), NPS_REAL_LIBRARY " is missing: build the Dravik target");
    QByteArray bytes = real.readAll();
    QVERIFY(bytes.size() > 8192);
    if (make == QLatin1String("truncate"))
        bytes.truncate(4096);
    else if (make == QLatin1String("aarch64"))
        bytes[18] = char(EM_AARCH64 & 0xFF), bytes[19] = char(EM_AARCH64 >> 8); // little-endian e_machine
    else if (make == QLatin1String("class32"))
        bytes[EI_CLASS] = char(ELFCLASS32);
    else if (make == QLatin1String("text"))
        bytes = "This is not a library.\n";
    else if (make == QLatin1String("empty"))
        bytes.clear();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile copy(dir.filePath(QStringLiteral("libDravik.so")));
    QVERIFY(copy.open(QIODevice::WriteOnly));
    QCOMPARE(copy.write(bytes), qint64(bytes.size()));
    copy.close();

    DravikBinding lib;
    const bool loaded = lib.loadFrom(copy.fileName());
    QCOMPARE(loaded, says.isEmpty());
    for (const QString &s : says)
        QVERIFY2(lib.loadError().contains(s), qPrintable(lib.loadError()));
    if (loaded) {
        QVERIFY(lib.getDravikDllVer);
        QVERIFY(QByteArray(lib.getDravikDllVer()) != "0.0-fake"); // the copy answers, not the fake
        QCOMPARE(lib.missingExports(), QStringList());
    } else {
        qInfo("%s", qPrintable(lib.loadError()));
        QVERIFY(!lib.isLoaded() && !lib.sendBufferToPrint);
        QVERIFY2(!lib.loadError().contains(QLatin1String("No such file")), qPrintable(lib.loadError()));
    }
}

void TestLink::partialLibraryLeavesMissingEntriesEmpty()
{
    DravikBinding lib;
    QVERIFY(lib.loadFrom(QStringLiteral(NPS_PARTIAL_FAKE)));
    QCOMPARE(lib.missingExports(), (QStringList{"SendBufferToPrint", "OpenComm", "isLanguage"}));
    QVERIFY(!lib.sendBufferToPrint && !lib.openComm && !lib.isLanguage && !lib.getLastErrorText);
    QVERIFY(!lib.queryPrinter && !lib.followLastJob && !lib.cancelLastJob);
    QVERIFY(lib.closeComm && lib.getDravikDllVer);
    QCOMPARE(lib.lastErrorText(), QString()); // optional export absent: no detail
}

void TestLink::fullLibraryBindsEverythingInOrder()
{
    DravikBinding lib;
    QVERIFY(lib.loadFrom(QCoreApplication::applicationDirPath() + QStringLiteral("/libDravik.so")));
    QCOMPARE(lib.missingExports(), QStringList());
    const void *entries[] = {
        reinterpret_cast<void *>(lib.sendBufferToPrint),  reinterpret_cast<void *>(lib.openComm),
        reinterpret_cast<void *>(lib.closeComm),          reinterpret_cast<void *>(lib.getCommRecvData),
        reinterpret_cast<void *>(lib.getSystemSerial),    reinterpret_cast<void *>(lib.getPrintDrivePortNames),
        reinterpret_cast<void *>(lib.getPrintDriveNames), reinterpret_cast<void *>(lib.hexToStr),
        reinterpret_cast<void *>(lib.strToHex),           reinterpret_cast<void *>(lib.isLanguage),
        reinterpret_cast<void *>(lib.getDravikDllVer),    reinterpret_cast<void *>(lib.getLastErrorText),
        reinterpret_cast<void *>(lib.queryPrinter),       reinterpret_cast<void *>(lib.followLastJob),
        reinterpret_cast<void *>(lib.cancelLastJob),
    };
    for (const void *e : entries)
        QVERIFY(e);
}

void TestLink::defaultSearchFindsTheLibraryBesideTheProgram()
{
    fake::reset();
    DravikBinding lib;
    QVERIFY(lib.load());
    // The fake beside this test program answers, not some other library.
    QCOMPARE(QString::fromLatin1(lib.getDravikDllVer()), QStringLiteral("0.0-fake"));
}

void TestLink::sendOnlyBinding()
{
    DravikBinding lib;
    QVERIFY(lib.loadSendOnly());
    QVERIFY(lib.sendBufferToPrint);
    QVERIFY(!lib.openComm && !lib.closeComm);
    QVERIFY(lib.followLastJob && lib.cancelLastJob); // its sends are followed too
    QCOMPARE(lib.missingExports(), QStringList());
}

void TestLink::libraryWithoutAnswersIsWhole()
{
    DravikBinding lib;
    QVERIFY(lib.loadFrom(QStringLiteral(NPS_NOANSWERS_FAKE)));
    QCOMPARE(lib.missingExports(), QStringList()); // optional: not reported missing
    QVERIFY(lib.sendBufferToPrint && lib.getLastErrorCode);
    QVERIFY(!lib.queryPrinter && !lib.followLastJob && !lib.cancelLastJob && !lib.getPrintDriveStates);
}

void TestLink::sendPath()
{
    fake::reset();
    const PrinterTarget target{QStringLiteral("COM"), QStringLiteral("/dev/ttyUSB0")};

    DravikBinding none;
    none.loadFrom(QStringLiteral("/nonexistent/libDravik.so"));
    QCOMPARE(sendBuffer(none, target, "doc", {0x1B}), SendStatus::NoLibrary);

    DravikBinding unbound;
    QVERIFY(unbound.load());
    unbound.sendBufferToPrint = nullptr;
    QCOMPARE(sendBuffer(unbound, target, "doc", {0x1B}), SendStatus::NoExport);
    QVERIFY(fake::calls().empty());

    DravikBinding lib;
    QVERIFY(lib.load());
    QCOMPARE(sendCommand(lib, target, Command{{0x1B, 0x69}, nullptr}), SendStatus::Sent);
    QCOMPARE(sendBuffer(lib, target, "Set Barcode", {0x1D, 0x45, 0x43, 0x01}), SendStatus::Sent);
    const auto sends = fake::callsOf("SendBufferToPrint");
    QCOMPARE(sends.size(), size_t(2));
    QCOMPARE(sends[0].texts, (std::vector<std::string>{"COM", "/dev/ttyUSB0", "<null>"}));
    QCOMPARE(sends[0].number, 2);
    QCOMPARE(sends[1].texts[2], std::string("Set Barcode"));
    QCOMPARE(sends[1].bytes, (std::vector<std::uint8_t>{0x1D, 0x45, 0x43, 0x01}));
}

void TestLink::failureReasons_data()
{
    QTest::addColumn<int>("libraryCode");
    QTest::addColumn<int>("code");
    const int other = DRAVIK_ERROR_OTHER;
    QTest::newRow("timed out") << int(DRAVIK_ERROR_TIMED_OUT) << int(DRAVIK_ERROR_TIMED_OUT);
    QTest::newRow("no answers on this path") << int(DRAVIK_ERROR_NO_ANSWERS) << int(DRAVIK_ERROR_NO_ANSWERS);
    QTest::newRow("waiting in the queue") << int(DRAVIK_ERROR_WAITING_IN_QUEUE) << int(DRAVIK_ERROR_WAITING_IN_QUEUE);
    QTest::newRow("above the last known counts as other") << DRAVIK_ERROR_LAST_KNOWN + 1 << other;
    QTest::newRow("negative counts as other") << -3 << other;
}

void TestLink::failureReasons()
{
    QFETCH(int, libraryCode);
    fake::reset();
    fake::config().sendResults = {0, 1};
    fake::config().lastErrorCode = libraryCode;
    fake::config().lastError = "stalled";
    DravikBinding lib;
    QVERIFY(lib.loadSendOnly()); // the logo window's binding tells reasons too
    const PrinterTarget target{QStringLiteral("COM"), QStringLiteral("/dev/ttyUSB0")};
    FailureReason reason;
    QCOMPARE(sendBuffer(lib, target, "doc", {0x1B}, &reason), SendStatus::Failed);
    QTEST(reason.code, "code");
    QCOMPARE(reason.text, QStringLiteral("stalled"));
    // A later success clears both.
    QCOMPARE(sendBuffer(lib, target, "doc", {0x1B}, &reason), SendStatus::Sent);
    QCOMPARE(lib.lastErrorCode(), DRAVIK_ERROR_NONE);
    QCOMPARE(lib.lastErrorText(), QString());

    DravikBinding partial; // a library without the optional exports tells no code
    QVERIFY(partial.loadFrom(QStringLiteral(NPS_PARTIAL_FAKE)));
    QCOMPARE(partial.lastErrorCode(), kUntoldErrorCode);
}

void TestLink::splitLists_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("null");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("null") << QByteArray() << true << QStringList();
    QTest::newRow("empty") << QByteArray("") << false << QStringList();
    QTest::newRow("one, no break") << QByteArray("Receipt80") << false << QStringList{"Receipt80"};
    QTest::newRow("LF") << QByteArray("a\nb\n") << false << QStringList{"a", "b"};
    QTest::newRow("CRLF") << QByteArray("a\r\nb") << false << QStringList{"a", "b"};
    QTest::newRow("blank inside kept") << QByteArray("a\n\nb") << false << QStringList{"a", "", "b"};
    QTest::newRow("UTF-8 name") << QByteArray("打印机 1\n") << false << QStringList{QString::fromUtf8("打印机 1")};
}

void TestLink::splitLists()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, null);
    QTEST(splitLibraryList(null ? nullptr : text.constData()), "lines");
}

void TestLink::parallelPorts_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("mixed") << QStringList{"LPT1:", "lpt2:", "COM1:", "FILE:"} << QStringList{"LPT1", "lpt2"};
    QTest::newRow("every colon goes") << QStringList{"LPT:3:"} << QStringList{"LPT3"};
    QTest::newRow("too short") << QStringList{"LP", ""} << QStringList();
    QTest::newRow("no colon") << QStringList{"LPT9"} << QStringList{"LPT9"};
    QTest::newRow("empty") << QStringList() << QStringList();
}

void TestLink::parallelPorts()
{
    QFETCH(QStringList, lines);
    QTEST(parallelPortNames(lines), "names");
}

void TestLink::queueStates_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("read");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("described");
    QTest::newRow("idle") << "POS-80\tidle\t1\t\t" << true << true << "idle";
    QTest::newRow("paused with reason and message")
        << "POS-80\tstopped\t1\tpaused\tout of order" << true << false << "paused: out of order";
    QTest::newRow("rejecting") << "POS-80\tidle\t0\t\t" << true << false << "idle, not accepting jobs";
    QTest::newRow("printing, two reasons")
        << "POS-80\tprinting\t1\tmedia-low-warning,other\t" << true << true << "printing (media-low-warning, other)";
    QTest::newRow("too few fields") << "POS-80\tidle\t1" << false << false << "";
    QTest::newRow("no name") << "\tidle\t1\t\t" << false << false << "";
}

void TestLink::queueStates()
{
    QFETCH(QString, line);
    QFETCH(bool, read);
    const std::vector<QueueState> states = parseQueueStates({line});
    QCOMPARE(states.size(), size_t(read ? 1 : 0));
    if (!read)
        return;
    QTEST(states.front().usable(), "usable");
    QTEST(states.front().describe(), "described");
    QVERIFY(findQueue(states, QStringLiteral("POS-80")));
    QVERIFY(!findQueue(states, QStringLiteral("POS-58")));
}

QTEST_MAIN(TestLink)
#include "tst_link.moc"
