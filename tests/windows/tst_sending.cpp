// Sends leave the window's thread, say how they ended, and leave a record:
// the event loop keeps running during a slow send, calls never overlap,
// input during a call or the flash wait is dropped, every failure is told
// and stops what only success may follow.
#include "time_bounds.h"
#include "window_fixture.h"

#include "call_record.h"
#include "nvlogo_window.h"
#include "record_window.h"
#include "status_line.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace {
using Setup = std::function<void(TfrmMain &)>;

// The longest pause between ticks of a 10 ms timer while it lives.
struct LoopWatch
{
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    LoopWatch()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            longest = qMax(longest, now - last);
            last = now;
        });
        clock.start();
        timer.start(10);
    }
};

// Driver mode with every update step taking part.
std::unique_ptr<TfrmMain> readyWindow(const std::string &language = "english")
{
    configureFake(language);
    auto w = std::make_unique<TfrmMain>();
    if (!settled(*w))
        qFatal("the start-up lists did not arrive");
    w->bottomRow->Button12->click();
    fake::clearCalls();
    CallRecord::shared().clear(); // the start-up status query: these tests look at sends
    return w;
}

QString picture(const QTemporaryDir &dir)
{
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QString path = dir.filePath(QStringLiteral("logo.bmp"));
    image.save(path, "BMP");
    return path;
}
} // namespace
Q_DECLARE_METATYPE(Setup)

class TestSending : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;

private slots:
    void init();
    void slowSendKeepsTheLoopRunning_data();
    void slowSendKeepsTheLoopRunning();
    void failedSendStopsWhatOnlySuccessMayFollow_data();
    void failedSendStopsWhatOnlySuccessMayFollow();
    void failedLogoDownloadSkipsTheFlashWait();
    void statusTellsQueuedFromWritten_data();
    void statusTellsQueuedFromWritten();
    void chineseReasons_data();
    void chineseReasons();
    void chineseStandardButtons();
    void inputDuringTheFlashWaitIsDropped();
    void closingDuringACallWaitsForIt();
    void statusBarSitsBelowTheDesign();
    void recordShowsCopiesAndSaves();
    void recordSaveOnAFullDiskKeepsTheOldFile();
    void ctrlLOpensTheRecord_data();
    void ctrlLOpensTheRecord();
    void recordKeepsTheLast500();
};

void TestSending::init()
{
    fake::reset();
    CallRecord::shared().clear();
}

void TestSending::slowSendKeepsTheLoopRunning_data()
{
    QTest::addColumn<bool>("logoWindow");
    QTest::newRow("main window") << false;
    QTest::newRow("logo window") << true;
}

void TestSending::slowSendKeepsTheLoopRunning()
{
    QFETCH(bool, logoWindow);
    MessageLog log;
    auto main = readyWindow();
    // The logo window sends over a serial port opened at 9600 baud.
    TForm3 logo(PrinterTarget{QStringLiteral("COM"), QStringLiteral("/dev/ttyUSB0"), 9600}, [] { return false; });
    QWidget *window = logoWindow ? static_cast<QWidget *>(&logo) : main.get();
    QPushButton *slow = logoWindow ? logo.BitBtn3 : main->printTests->Button14;
    QPushButton *other = logoWindow ? logo.BitBtn1 : main->printTests->Button5;
    QProgressBar *bar = logoWindow ? logo.waitProgress : main->callProgress;
    // A control whose change would alter what the window does next.
    QAbstractButton *state = logoWindow ? static_cast<QAbstractButton *>(logo.RadioButton4) : main->settings->chkLevel;
    const bool stateBefore = state->isChecked();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    fake::config().sendDelayMs = 5000;

    bool progressShown = false;
    QString progressText;
    QTimer::singleShot(1000, window, [&] {
        progressShown = bar->isVisible();
        progressText = bar->format();
        QTest::mouseClick(other, Qt::LeftButton); // input during a call is dropped
        QTest::mouseClick(state, Qt::LeftButton);
        other->click(); // and no second call starts
    });
    LoopWatch watch;
    slow->click();
    // A loop blocked by the send would pause for its whole 5 s; the bound
    // leaves room for a loaded machine (the figure itself is a benchmark's).
    QVERIFY2(watch.longest < timebounds::lateMs, qPrintable(QString::number(watch.longest)));
    QCOMPARE(fake::maxConcurrentCalls(), 1);
    QCOMPARE(fake::callsOf("SendBufferToPrint").size(), size_t(1));
    QVERIFY(progressShown);
    QVERIFY2(progressText.contains(logoWindow ? QStringLiteral("s left") : QStringLiteral("printer I/O library")),
             qPrintable(progressText));
    QVERIFY(bar->isHidden());
    QCOMPARE(state->isChecked(), stateBefore);
    QVERIFY(log.messages.empty());
}

void TestSending::failedSendStopsWhatOnlySuccessMayFollow_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<int>("sendCount");
    QTest::addColumn<QStringList>("messageParts"); // the last message holds them all

    const Setup none = [](TfrmMain &) {};
    const Setup serialOpen = [](TfrmMain &w) {
        w.connection->rdbCom->setChecked(true);
        w.connection->btnOpenCOM->click();
        w.bottomRow->Button12Click();
        fake::clearCalls();
    };
    QTest::newRow("baud rate: no restart, rate and port kept")
        << "btnNewCom" << serialOpen << QList<int>{0} << 1
        << QStringList{"\"Baud rate config(restart printer)\" could not be sent."};
    QTest::newRow("one-key update stops at the failed step")
        << "Button13" << none << QList<int>{1, 1, 0} << 3
        << QStringList{"stopped at \"Print Darkness\"", "2 of the 8 selected steps were sent before it"};
    QTest::newRow("update fails in the cut feed's second send")
        << "Button13" << Setup([](TfrmMain &w) { w.settings->rdbCutAfter->setChecked(true); })
        << QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 0} << 9
        << QStringList{"stopped at \"Cutter feed control\"", "7 of the 8 selected steps"};
    QTest::newRow("QR: no print after a failed store")
        << "Button4" << none << QList<int>{0} << 1 << QStringList{"\"QR Barcode\" could not be sent."};
    QTest::newRow("cut feed stops at its failed send")
        << "Button3" << none << QList<int>{1, 0} << 2 << QStringList{"\"Cutter feed control\""};
    QTest::newRow("no document name: named by the button")
        << "Button9" << none << QList<int>{0} << 1 << QStringList{"\"Restore default set\""};
}

void TestSending::failedSendStopsWhatOnlySuccessMayFollow()
{
    QFETCH(QString, button);
    QFETCH(Setup, setup);
    QFETCH(QList<int>, results);
    QFETCH(QStringList, messageParts);
    MessageLog log;
    auto w = readyWindow();
    setup(*w);
    const bool wasOpen = w->portOpen();
    const int rateIndex = w->connection->cmbBaudRate->currentIndex();
    fake::config().sendResults.assign(results.begin(), results.end());
    fake::config().lastError = "queue paused";
    fake::config().lastErrorCode = DRAVIK_ERROR_QUEUE_REFUSED;

    w->findChild<QPushButton *>(button)->click();
    QTEST(int(fake::callsOf("SendBufferToPrint").size()), "sendCount");
    QVERIFY(!log.messages.empty());
    const Message &last = log.messages.back();
    for (const QString &part : messageParts)
        QVERIFY2(last.text.contains(part), qPrintable(last.text));
    QVERIFY(last.text.contains(QStringLiteral("The print queue does not accept jobs.")));
    QCOMPARE(last.detail, QStringLiteral("queue paused"));
    // Nothing that implies success: no restart message, no closed port, no moved rate.
    const QString restart = QString::fromUtf8("Baud rate changes, need to restart the printer！！！");
    QCOMPARE(log.texts().count(restart), button == QLatin1String("Button13") ? 1 : 0);
    QCOMPARE(w->portOpen(), wasOpen);
    QVERIFY(fake::callsOf("CloseComm").empty());
    if (button == QLatin1String("btnNewCom"))
        QCOMPARE(w->connection->cmbBaudRate->currentIndex(), rateIndex);
    // The update's status line ends with where it stopped; a press's with its failed send.
    QVERIFY2(w->statusLine->status().contains(button == QLatin1String("Button13") ? QStringLiteral("stopped at")
                                                                                  : QStringLiteral("failed")),
             qPrintable(w->statusLine->status()));
}

void TestSending::failedLogoDownloadSkipsTheFlashWait()
{
    MessageLog log;
    TForm3 w(PrinterTarget{QStringLiteral("DRIVE"), QStringLiteral("Receipt80")}, [] { return false; });
    w.downloadWaitMs = 60000; // would time the test out if waited
    w.chooseFile = [this] { return picture(dir_); };
    w.BitBtn22->click();
    fake::config().sendResults = {0};
    fake::config().lastErrorCode = DRAVIK_ERROR_SERVER_UNREACHABLE;

    QElapsedTimer clock;
    clock.start();
    w.BitBtn25->click();
    QVERIFY(clock.elapsed() < w.downloadWaitMs);
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY(log.messages[0].text.contains(QStringLiteral("the logo was not stored")));
    QVERIFY(log.messages[0].text.contains(QStringLiteral("print server cannot be reached")));
    QVERIFY(w.BitBtn25->isEnabled() && w.BitBtn3->isEnabled());
    QVERIFY(w.lastStatus().contains(QStringLiteral("failed")));
}

void TestSending::statusTellsQueuedFromWritten_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("status");
    QTest::newRow("print queue, followed")
        << "driver" << 1 << "Sent 9 bytes \"Set config list\" to Receipt80: the printer took it";
    QTest::newRow("printer port") << "parallel" << 1 << "Sent 9 bytes \"Set config list\": written to LPT1";
    QTest::newRow("serial port") << "serial" << 1 << "Sent 9 bytes \"Set config list\": written to /dev/ttyUSB0";
    QTest::newRow("failure") << "driver" << 0
                             << "Sending 9 bytes \"Set config list\" to Receipt80 failed: The print queue Receipt80 "
                                "does not accept jobs.";
}

void TestSending::statusTellsQueuedFromWritten()
{
    QFETCH(QString, mode);
    QFETCH(int, result);
    MessageLog log;
    auto w = readyWindow();
    if (mode == QLatin1String("parallel"))
        w->connection->rdbLpt->setChecked(true);
    if (mode == QLatin1String("serial")) {
        w->connection->rdbCom->setChecked(true);
        w->connection->btnOpenCOM->click();
    }
    w->bottomRow->Button12Click();
    fake::config().sendResults = {result};
    fake::config().lastErrorCode = DRAVIK_ERROR_QUEUE_REFUSED;
    w->printTests->Button14->click();
    QTEST(w->statusLine->status(), "status");
    const CallRecord &record = CallRecord::shared();
    QCOMPARE(record.entry(record.rowCount() - 1).outcome, result == 0 ? CallEntry::Outcome::Failed
                                                          : mode == QLatin1String("driver")
                                                              ? CallEntry::Outcome::Printed
                                                              : CallEntry::Outcome::Written);
}

void TestSending::chineseReasons_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("sentence"); // the message box's
    QTest::addColumn<QString>("status");   // how the status line ends: the sentence, naming the queue where it can
    QTest::newRow("no permission") << int(DRAVIK_ERROR_NO_PERMISSION) << QString::fromUtf8("没有打开该设备的权限。")
                                   << QString::fromUtf8("没有打开该设备的权限。");
    QTest::newRow("server gone") << int(DRAVIK_ERROR_SERVER_UNREACHABLE)
                                 << QString::fromUtf8("无法连接打印服务器（CUPS 未运行或已退出）。")
                                 << QString::fromUtf8("无法连接打印服务器（CUPS 未运行或已退出）。");
    QTest::newRow("no such queue, named")
        << int(DRAVIK_ERROR_NOT_FOUND) << QString::fromUtf8("找不到该打印队列、串口或打印机设备。")
        << QString::fromUtf8("没有名为 Receipt80 的打印队列。");
    QTest::newRow("queue refused, named")
        << int(DRAVIK_ERROR_QUEUE_REFUSED) << QString::fromUtf8("打印队列拒绝接收作业。")
        << QString::fromUtf8("打印队列 Receipt80 不接收作业。");
    QTest::newRow("above the last known counts as other")
        << DRAVIK_ERROR_LAST_KNOWN + 31 << QString::fromUtf8("发生了其他错误。")
        << QString::fromUtf8("发生了其他错误。");
}

void TestSending::chineseReasons()
{
    QFETCH(int, code);
    QFETCH(QString, sentence);
    QFETCH(QString, status);
    MessageLog log;
    auto w = readyWindow("chinese");
    fake::config().sendResults = {0};
    fake::config().lastErrorCode = code;
    fake::config().lastError = "no print queue named \"Receipt80\" on the CUPS server";
    w->printTests->Button2->click();
    QCOMPARE(log.messages.size(), size_t(1));
    QCOMPARE(log.messages[0].text, QString::fromUtf8("“测试钱箱”发送失败。") + sentence);
    // The library's own text is the message's detail and the record's, never the status line's.
    QCOMPARE(log.messages[0].detail, QString::fromLatin1(fake::config().lastError.c_str()));
    const QString line = w->statusLine->status();
    QVERIFY2(line.endsWith(status), qPrintable(line));
    QVERIFY2(!line.contains(QLatin1String("CUPS server")), qPrintable(line));
    const CallRecord &record = CallRecord::shared();
    QVERIFY2(record.entry(record.rowCount() - 1).reason.contains(QLatin1String("no print queue named")),
             qPrintable(record.entry(record.rowCount() - 1).reason));
}

void TestSending::chineseStandardButtons()
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_zh_CN.qm")))
        QSKIP("Qt's Chinese translations are not installed (qt6-translations-l10n)");
    auto w = readyWindow("chinese");
    fake::config().sendResults = {0};
    QString okText;
    QTimer safety;
    QTimer::singleShot(50, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            okText = box->button(QMessageBox::Ok)->text();
            box->accept();
        }
    });
    QTimer::singleShot(5000, [] {
        if (QWidget *m = QApplication::activeModalWidget())
            m->close();
    });
    w->printTests->Button2->click(); // a real message box, answered by the timer
    QCOMPARE(okText, QString::fromUtf8("确定"));

    // Back in English, Qt's texts are English again.
    w->connection->Button7->click();
    QTimer::singleShot(50, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            okText = box->button(QMessageBox::Ok)->text();
            box->accept();
        }
    });
    fake::config().sendResults = {0};
    w->bottomRow->Button12->click();
    w->printTests->Button2->click();
    QCOMPARE(okText.remove(QLatin1Char('&')), QStringLiteral("OK"));
}

void TestSending::inputDuringTheFlashWaitIsDropped()
{
    MessageLog log;
    TForm3 w(PrinterTarget{QStringLiteral("DRIVE"), QStringLiteral("Receipt80")}, [] { return false; });
    w.downloadWaitMs = 3000; // the input below comes well within it
    w.chooseFile = [this] { return picture(dir_); };
    w.BitBtn22->click();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    QTimer::singleShot(300, &w, [&] {
        QTest::mouseClick(w.BitBtn1, Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_Escape);
        QTest::keyClick(&w, Qt::Key_Escape);
    });
    w.BitBtn25->click();
    QTest::qWait(300); // a replayed click or key would land now
    QCOMPARE(fake::callsOf("SendBufferToPrint").size(), size_t(1));
    QVERIFY(w.isVisible());
    QVERIFY(w.BitBtn25->isEnabled());
}

void TestSending::closingDuringACallWaitsForIt()
{
    MessageLog log;
    auto w = readyWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    fake::config().sendDelayMs = 3000;
    bool openDuringCall = false;
    QTimer::singleShot(200, w.get(), [&] {
        w->close();
        openDuringCall = w->isVisible();
    });
    w->printTests->Button14->click();
    QVERIFY(openDuringCall);
    QTRY_VERIFY_WITH_TIMEOUT(!w->isVisible(), 30000); // closed once the call ended
    QCOMPARE(fake::callsOf("SendBufferToPrint").size(), size_t(1));
}

void TestSending::statusBarSitsBelowTheDesign()
{
    MessageLog log;
    auto w = readyWindow();
    QCOMPARE(w->size(), QSize(505, 593));
    QCOMPARE(w->sbStatus->geometry(), QRect(0, 573, 505, 20));
    QCOMPARE(QRect(w->bottomRow->Button12->mapTo(w.get(), QPoint()), w->bottomRow->Button12->size()),
             QRect(9, 539, 88, 27));
    QCOMPARE(w->printTests->geometry(), QRect(8, 455, 490, 78));
}

void TestSending::recordShowsCopiesAndSaves()
{
    MessageLog log;
    auto w = readyWindow();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->printTests->Button14->click();
    w->printTests->Button5->click();

    QTest::mouseClick(w->statusLine, Qt::LeftButton);
    auto *record = w->findChild<RecordWindow *>();
    QVERIFY(record && record->isVisible());
    QCOMPARE(record->calls->model()->rowCount(), 2);
    QCOMPARE(record->calls->model()->index(0, CallRecord::Name).data().toString(), QStringLiteral("Set config list"));
    QCOMPARE(record->calls->model()->index(1, CallRecord::Name).data().toString(), QStringLiteral("Full Cut"));

    record->calls->selectRow(0);
    QVERIFY(record->commands->rowCount() >= 1);
    QVERIFY(record->commands->item(0, 0)->text().startsWith(QStringLiteral("1B 23 46")));
    QVERIFY(!record->commands->item(0, 1)->text().isEmpty());

    const QString path = dir_.filePath(QStringLiteral("function-list.bin"));
    record->chooseSaveFile = [path] { return path; };
    QVERIFY(record->saveSelectedBytes());
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().toHex(' ').toUpper(), QByteArray("1B 23 46 1B 69 0A 0A 0A 0A"));
    saved.close();

    record->calls->selectAll();
    record->copySelectedRows();
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].contains(QStringLiteral("\tSet config list\t9\t")));

    // Several rows: all their bytes, in the record's order, over the old file.
    QVERIFY(record->saveSelectedBytes());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QByteArray both;
    for (int row : {0, 1}) {
        const Bytes &b = CallRecord::shared().entry(row).bytes;
        both.append(reinterpret_cast<const char *>(b.data()), qsizetype(b.size()));
    }
    QCOMPARE(saved.readAll(), both);
    QVERIFY(log.messages.empty());
}

void TestSending::recordSaveOnAFullDiskKeepsTheOldFile()
{
    MessageLog log;
    auto w = readyWindow();
    w->printTests->Button14->click();
    w->openRecord();
    auto *record = w->findChild<RecordWindow *>();
    QVERIFY(record);
    record->calls->selectRow(0);

    const QString path = dir_.filePath(QStringLiteral("kept.bin"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    }
    record->chooseSaveFile = [path] { return path; };
    // The disk fills after 4 bytes: the write fails part way.
    struct rlimit saved;
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool ok = record->saveSelectedBytes();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!ok);
    QCOMPARE(log.texts(), QStringList{QStringLiteral("The file could not be saved.")});
    QVERIFY2(log.messages[0].detail.contains(QStringLiteral("kept.bin")), qPrintable(log.messages[0].detail));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("old"));
    QCOMPARE(QDir(dir_.path()).entryList({QStringLiteral("*kept.bin*")}, QDir::Files | QDir::Hidden),
             QStringList{"kept.bin"});
}

void TestSending::ctrlLOpensTheRecord_data()
{
    QTest::addColumn<bool>("logoWindow");
    QTest::addColumn<QString>("title");
    QTest::newRow("main window, Chinese") << false << QString::fromUtf8("发送记录");
    QTest::newRow("logo window, English") << true << QStringLiteral("Record of sends");
}

void TestSending::ctrlLOpensTheRecord()
{
    QFETCH(bool, logoWindow);
    MessageLog log;
    auto main = readyWindow("chinese");
    TForm3 logo(main->printerTarget(), [] { return false; });
    QWidget *window = logoWindow ? static_cast<QWidget *>(&logo) : main.get();
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);
    auto *record = window->findChild<RecordWindow *>();
    QVERIFY(record && record->isVisible());
    QTEST(record->windowTitle(), "title");
}

void TestSending::recordKeepsTheLast500()
{
    CallRecord &record = CallRecord::shared();
    for (int i = 0; i < CallRecord::kLimit + 5; ++i)
        record.add(CallEntry{QDateTime::currentDateTime(),
                             QStringLiteral("LPT LPT1"),
                             QString::number(i),
                             {},
                             CallEntry::Outcome::Written,
                             {}});
    QCOMPARE(record.rowCount(), CallRecord::kLimit);
    QCOMPARE(record.entry(0).name, QStringLiteral("5"));
}

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
