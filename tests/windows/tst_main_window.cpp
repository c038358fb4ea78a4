// Start-up, language switching, connection handling and skip all of the main
// window, driven through the fake printer I/O library.
#include "window_fixture.h"

#include "accessible_names.h"
#include "call_record.h"
#include "desktop_identity.h"
#include "nvlogo_window.h"
#include "settings_catalogue.h"
#include "status_line.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTimer>

namespace {
const QString kTitleChinese = QString::fromUtf8("Torvane KX-410系列打印机设置工具 V1.2");
const QString kTitleEnglish = QStringLiteral("Torvane KX-410 thermal printer setting tool  V1.2");

QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QList<QCheckBox *> skipBoxes(const TfrmMain &w)
{
    return {w.settings->chkLanage,  w.settings->chkCom,     w.settings->chkLevel,
            w.settings->chkBarcode, w.settings->chkCut,     w.settings->chkBlack,
            w.settings->chkCutMode, w.settings->chkCutPage, w.settings->chkBeepSet};
}

QList<QGroupBox *> configGroups(const TfrmMain &w)
{
    return {w.settings->gbLanage,  w.settings->gbCom,     w.settings->gbLevel,
            w.settings->gbBarcode, w.settings->gbCut,     w.settings->gbBlack,
            w.settings->gbCutMode, w.settings->gbCutPage, w.settings->gbBeepSet};
}

bool batchButtonsEnabled(const TfrmMain &w)
{
    const bool on = w.bottomRow->Button12->isEnabled();
    Q_ASSERT(w.bottomRow->Button13->isEnabled() == on && w.bottomRow->Button20->isEnabled() == on &&
             w.bottomRow->BitBtn1->isEnabled() == on);
    return on;
}

// Clears one skip box so a later skip all shows itself by checking it again.
void markSkipAll(TfrmMain &w)
{
    w.settings->chkLevel->setEnabled(true);
    w.settings->chkLevel->setChecked(false);
}
bool skipAllRan(const TfrmMain &w)
{
    return w.settings->chkLevel->isChecked();
}
} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startupLanguage_data();
    void startupLanguage();
    void startupFillsListsAndSkipsEveryGroup();
    void startupWithoutLibraryKeepsDesignedState();
    void settingsAsCatalogued();
    void missingExportsAreNamedOnPress();
    void noPrinterMeansNoMode();
    void firstClickStaysWithASlowPrintServer();
    void printServerDownIsSaidOnTheStatusLine();
    void longPortNamesShowWhole();
    void parallelPortFilter();
    void languageSwitching();
    void designedResetsAreSaid();
    void everyControlHasAName_data();
    void everyControlHasAName();
    void stateTable_data();
    void stateTable();
    void openErrorMessageEndsWithLineFeedCarriageReturn();
    void serialSettingChangeReopens();
    void refreshWhileOpenDropsTheFlagWithoutClosing();
    void quitClosesAnOpenPort();
    void skipAll_data();
    void skipAll();
    void skipBoxRuleColoursAndEnables();
    void desktopKnowsTheWindow();
};

void TestMainWindow::startupLanguage_data()
{
    QTest::addColumn<QString>("reported");
    QTest::addColumn<bool>("chinese");
    QTest::newRow("chinese") << "chinese" << true;
    QTest::newRow("CHINESE") << "CHINESE" << true;
    QTest::newRow("english") << "english" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("other") << "zh_CN" << false;
}

void TestMainWindow::startupLanguage()
{
    QFETCH(QString, reported);
    QFETCH(bool, chinese);
    configureFake(reported.toStdString());
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));

    QCOMPARE(w.interfaceLanguage(), chinese ? QStringLiteral("chinese") : QStringLiteral("english"));
    QCOMPARE(w.connection->Button7->text(), chinese ? QStringLiteral("English") : QStringLiteral("Chinese"));
    QCOMPARE(w.windowTitle(), chinese ? kTitleChinese : kTitleEnglish);
    QCOMPARE(w.connection->title(), chinese ? QString::fromUtf8("连接设置") : QStringLiteral("Connection settings"));
    QCOMPARE(w.settings->cboLanage->count(), 35);
    QCOMPARE(w.settings->cboLanage->currentText(), chinese ? QString::fromUtf8("15,CP936 [简体中文]")
                                                           : QStringLiteral("00, PC437 [American, European standard]"));
    QVERIFY(log.messages.empty());
}

void TestMainWindow::startupFillsListsAndSkipsEveryGroup()
{
    configureFake();
    MessageLog log;
    TfrmMain w;
    // The lists are there before the window shows, so nothing they set can
    // undo a first click; the printer's answer follows on its own.
    QVERIFY(!fake::callsOf("GetPrintDriveNames").empty());
    w.show();
    QVERIFY(settled(w));
    QStringList order;
    for (const fake::Call &c : fake::calls())
        order << QString::fromStdString(c.function);
    // Then the chosen queue's printer is asked how it is.
    QCOMPARE(order, (QStringList{"GetDravikDllVer", "isLanguage", "GetPrintDriveNames", "GetPrintDriveStates",
                                 "GetSystemSerial", "GetPrintDrivePortNames", "QueryPrinter", "GetPrintDriveStates"}));

    QStringList levels;
    for (int i = 0; i <= 40; ++i)
        levels << QString::number(i);
    QCOMPARE(items(w.settings->cboLevel), levels);
    QCOMPARE(w.settings->cboLevel->currentText(), QStringLiteral("23"));
    QCOMPARE(items(w.connection->ComboPrinter), (QStringList{"Receipt80", "Kitchen58"}));
    QCOMPARE(items(w.connection->cmbCom), (QStringList{"/dev/ttyUSB0", "/dev/ttyACM0"}));
    QCOMPARE(items(w.connection->cmbLpt), (QStringList{"LPT1", "LPT2"}));
    QVERIFY(w.connection->rdbDriver->isChecked());
    QCOMPARE(w.printerTarget().portName, QStringLiteral("DRIVE"));
    QCOMPARE(w.printerTarget().printerName, QStringLiteral("Receipt80"));
    for (QCheckBox *box : skipBoxes(w)) {
        QVERIFY2(box->isChecked() && box->isEnabled(), qPrintable(box->objectName()));
        QCOMPARE(box->palette().color(QPalette::WindowText), QColor(Qt::red));
    }
    for (QGroupBox *g : configGroups(w))
        QVERIFY2(!g->isEnabled(), qPrintable(g->objectName()));
    QVERIFY(w.printTests->isEnabled());
    QVERIFY(fake::callsOf("SendBufferToPrint").empty());
    QCOMPARE(fake::callsOf("GetPrintDrivePortNames").at(0).texts.at(0), std::string("LPT"));
}

// Each setting has a group and a skip box of its own, the controls read
// back as the catalogue's defaults after a Chinese start-up (the window's
// designed choices), and both rate lists hold its rates: the serial one at
// the opening rate, the setting's at its default.
void TestMainWindow::settingsAsCatalogued()
{
    configureFake("chinese");
    MessageLog log;
    TfrmMain w;
    QSet<QObject *> groups, boxes;
    for (const Setting *s = settingsBegin(); s != settingsEnd(); ++s) {
        groups.insert(w.settings->groupOf(s->key));
        boxes.insert(w.settings->skipBoxOf(s->key));
        QCOMPARE(w.settings->chosenValue(s->key), std::optional<std::uint32_t>(s->defaultValue));
    }
    QCOMPARE(groups.size(), int(kSettingCount));
    QCOMPARE(boxes.size(), int(kSettingCount));
    QStringList rates;
    for (std::uint32_t rate : kBaudRates)
        rates << QString::number(rate);
    QCOMPARE(items(w.connection->cmbBaudRate), rates);
    QCOMPARE(items(w.settings->cboNewCom), rates);
    QCOMPARE(w.connection->cmbBaudRate->currentText(), QStringLiteral("115200"));
    QCOMPARE(w.settings->cboNewCom->currentText(), QStringLiteral("9600"));
}

void TestMainWindow::startupWithoutLibraryKeepsDesignedState()
{
    fake::reset();
    MessageLog log;
    TfrmMain w(QStringLiteral("/nonexistent/libDravik.so"));

    QCOMPARE(w.windowTitle(), QString::fromUtf8("打印机设置工具：适用于RB4和RB6系列控制板  V1.3"));
    QCOMPARE(w.connection->Button7->text(), QString::fromUtf8("中文"));
    QCOMPARE(w.interfaceLanguage(), QString());
    QCOMPARE(w.settings->cboLevel->count(), 13);
    QCOMPARE(w.settings->cboLevel->currentText(), QStringLiteral("4"));
    QCOMPARE(w.connection->cmbCom->count(), 29);
    QCOMPARE(w.settings->btnNewCom->text(), QString::fromUtf8("更新"));
    QVERIFY(!w.connection->rdbDriver->isChecked() && !w.connection->rdbCom->isChecked() &&
            !w.connection->rdbLpt->isChecked());
    for (QCheckBox *box : skipBoxes(w))
        QVERIFY(!box->isChecked());
    QVERIFY(log.messages.empty());
    QVERIFY(fake::calls().empty());

    // A press that needs the library says which file is missing, and sends nothing.
    w.printTests->Button14->click();
    w.connection->btnRef->click();
    QCOMPARE(log.messages.size(), size_t(2));
    QVERIFY(log.messages[0].text.contains(QStringLiteral("libDravik.so")));
    QVERIFY(!log.messages[0].detail.isEmpty());
    QVERIFY(fake::calls().empty());

    // The first language press applies English.
    w.connection->Button7->click();
    QCOMPARE(w.windowTitle(), kTitleEnglish);
}

void TestMainWindow::missingExportsAreNamedOnPress()
{
    fake::reset();
    MessageLog log;
    TfrmMain w(QStringLiteral(NPS_PARTIAL_FAKE));
    QVERIFY(settled(w));
    // No isLanguage: the empty text gives English.
    QCOMPARE(w.interfaceLanguage(), QStringLiteral("english"));
    QVERIFY(log.messages.empty());

    w.connection->rdbCom->setChecked(true);
    w.connection->btnOpenCOM->click();
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY(log.messages[0].text.contains(QStringLiteral("OpenComm")));
    QVERIFY(!w.portOpen());
}

void TestMainWindow::noPrinterMeansNoMode()
{
    configureFake();
    fake::config().printers.clear();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));

    QVERIFY(!w.connection->rdbDriver->isEnabled());
    QVERIFY(!w.connection->rdbDriver->isChecked() && !w.connection->rdbCom->isChecked() &&
            !w.connection->rdbLpt->isChecked());
    QCOMPARE(w.printerTarget().portName, QString());
    QCOMPARE(w.printerTarget().printerName, QString());
    QVERIFY(batchButtonsEnabled(w));
    QVERIFY(!w.isConnectionReady());
    QVERIFY(!w.printTests->isEnabled());
    for (QCheckBox *box : skipBoxes(w))
        QVERIFY(box->isChecked() && !box->isEnabled());

    // A press with no mode chosen reaches the library with empty names; its
    // refusal is told with how to choose a connection.
    w.bottomRow->Button12->click();
    fake::config().sendResults = {0};
    fake::config().lastErrorCode = DRAVIK_ERROR_INVALID_ARGUMENT;
    w.printTests->Button14->click();
    const auto sent = fake::callsOf("SendBufferToPrint");
    QCOMPARE(sent.size(), size_t(1));
    QCOMPARE(sent[0].texts[0], std::string());
    QCOMPARE(sent[0].texts[1], std::string());
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY2(log.messages[0].text.endsWith(QStringLiteral(
                 "Choose a print queue, a serial port or a printer port in the connection group first.")),
             qPrintable(log.messages[0].text));
}

// The lists arrive before the window shows, however slow the print server:
// a click in the window's first moment is never undone by them.
void TestMainWindow::firstClickStaysWithASlowPrintServer()
{
    configureFake();
    fake::config().listDelayMs = 400; // the notice window shows meanwhile
    MessageLog log;
    TfrmMain w;
    fake::config().listDelayMs = 0;
    QCOMPARE(w.connection->ComboPrinter->count(), 2);
    w.show();
    QTimer::singleShot(0, w.bottomRow->Button12, &QPushButton::click);
    QTest::qWait(300);
    QVERIFY(settled(w));
    for (QCheckBox *box : skipBoxes(w))
        if (box != w.settings->chkCutMode)
            QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    QVERIFY(w.settings->btnLevel->isEnabled());
    QVERIFY(w.connection->rdbDriver->isChecked());
    // One refresh: each list asked for once.
    QCOMPARE(fake::callsOf("GetPrintDriveNames").size(), size_t(1));
    QVERIFY(log.messages.empty());
}

void TestMainWindow::printServerDownIsSaidOnTheStatusLine()
{
    // The real library, pointed at a print server that is not running.
    qputenv("CUPS_SERVER", QFile::encodeName(QDir::tempPath() + QStringLiteral("/no-such-dir-nps/cups.sock")));
    MessageLog log;
    TfrmMain w(QStringLiteral(NPS_REAL_LIBRARY));
    QVERIFY(settled(w));
    qunsetenv("CUPS_SERVER");
    QCOMPARE(w.connection->ComboPrinter->count(), 0);
    QVERIFY2(w.statusLine->status().contains(QStringLiteral("the print queues could not be listed: The print server")),
             qPrintable(w.statusLine->status()));
    // The library's own words are kept in the record.
    const CallRecord &record = CallRecord::shared();
    QVERIFY(record.rowCount() > 0);
    const int last = record.rowCount() - 1;
    QCOMPARE(record.entry(last).name, QStringLiteral("GetPrintDriveNames"));
    QVERIFY2(record.entry(last).reason.contains(QLatin1String("no-such-dir-nps")),
             qPrintable(record.entry(last).reason));

    w.connection->Button7->click(); // Chinese
    // What the tool's finder and rate search say is in Chinese too.
    QCOMPARE(QCoreApplication::translate("Nemboport", "trying %1 baud"), QString::fromUtf8("尝试 %1 波特"));
    qputenv("CUPS_SERVER", QFile::encodeName(QDir::tempPath() + QStringLiteral("/no-such-dir-nps/cups.sock")));
    w.connection->btnRef->click();
    qunsetenv("CUPS_SERVER");
    QVERIFY2(w.statusLine->status().contains(QString::fromUtf8("无法列出打印队列：")),
             qPrintable(w.statusLine->status()));
    QVERIFY(log.messages.empty());
}

void TestMainWindow::longPortNamesShowWhole()
{
    configureFake();
    const std::string longName = "/run/user/1000/nemboport/printers/virtual-printer-123456";
    fake::config().serialPorts = "/dev/ttyS0\n" + longName + "\n";
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.connection->rdbCom->setChecked(true);
    w.connection->cmbCom->setCurrentIndex(1);
    QCOMPARE(w.connection->cmbCom->toolTip(), QString::fromStdString(longName));
    QCOMPARE(w.connection->cmbCom->itemData(1, Qt::ToolTipRole).toString(), QString::fromStdString(longName));
    QVERIFY(w.connection->cmbCom->view()->minimumWidth() >=
            w.connection->cmbCom->view()->fontMetrics().horizontalAdvance(QString::fromStdString(longName)));
}

void TestMainWindow::parallelPortFilter()
{
    configureFake();
    fake::config().portNames = "LPT1:\nlpt2:\nCOM1:\nFILE:\n";
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    QCOMPARE(items(w.connection->cmbLpt), (QStringList{"LPT1", "lpt2"}));

    w.connection->rdbLpt->setChecked(true);
    QCOMPARE(w.printerTarget().portName, QStringLiteral("LPT"));
    QCOMPARE(w.printerTarget().printerName, QStringLiteral("LPT1"));
    // A second printer port can be chosen while the port path is on.
    QVERIFY(w.connection->cmbLpt->isEnabled());
    w.connection->cmbLpt->setCurrentIndex(1);
    emit w.connection->cmbLpt->activated(1);
    QCOMPARE(w.printerTarget().printerName, QStringLiteral("lpt2"));
    w.connection->rdbCom->setChecked(true);
    QVERIFY(!w.connection->cmbLpt->isEnabled());
}

// Refresh, a close and a language switch set the user's choices back as
// designed; the status line says what was set back, after the operation's
// own outcome, and follows a language switch.
void TestMainWindow::designedResetsAreSaid()
{
    configureFake("english");
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    const QString found = QStringLiteral("Found 2 print queues, 2 serial ports and 2 printer ports");
    QCOMPARE(w.statusLine->status(), found);

    w.bottomRow->Button12->click();
    w.settings->cboLevel->setCurrentIndex(10);
    w.connection->btnRef->click();
    QTRY_COMPARE(w.statusLine->status(),
                 found + QStringLiteral(" Set back as designed: darkness to 23; every group to No Set."));

    // Nothing chosen, nothing to say.
    w.connection->btnRef->click();
    QTRY_COMPARE(w.statusLine->status(), found);

    w.settings->cboLanage->setCurrentIndex(20);
    w.connection->Button7->click();
    // The status line speaks the new language, the code page named in it.
    QTRY_COMPARE(w.statusLine->status(),
                 QString::fromUtf8(
                     "找到 2 个打印队列、2 个串口和 2 个打印机端口 已按设计恢复：代码页恢复为 15,CP936 [简体中文]。"));
    QVERIFY(log.messages.empty());
}

void TestMainWindow::everyControlHasAName_data()
{
    QTest::addColumn<QString>("language");
    QTest::newRow("english") << "english";
    QTest::newRow("chinese") << "chinese";
}

// A screen reader finds a name of its own for every control of both windows
// (the nine "No Set" boxes among them), in the interface language, while
// the captions stay as designed.
void TestMainWindow::everyControlHasAName()
{
    QFETCH(QString, language);
    configureFake(language.toStdString());
    MessageLog log;
    TfrmMain w;
    w.show();
    QVERIFY(settled(w));
    QCOMPARE(accessibleNameProblems(&w), QStringList());
    const bool chinese = language == QLatin1String("chinese");
    QCOMPARE(w.settings->chkLanage->accessibleName(),
             chinese ? QString::fromUtf8("不设置代码页") : QStringLiteral("Do not set the code page"));
    QCOMPARE(w.settings->chkLanage->text(), chinese ? QString::fromUtf8("不设置") : QStringLiteral("No Set"));
    QCOMPARE(w.settings->Label1->buddy(), w.settings->cboLevel);

    TForm3 logo(w.printerTarget(), [] { return false; });
    logo.show();
    QCOMPARE(accessibleNameProblems(&logo), QStringList());
}

void TestMainWindow::languageSwitching()
{
    configureFake("english");
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.settings->cboLanage->setCurrentIndex(20);

    w.connection->Button7->click();
    QCOMPARE(w.interfaceLanguage(), QStringLiteral("chinese"));
    QCOMPARE(w.connection->Button7->text(), QStringLiteral("English"));
    QCOMPARE(w.windowTitle(), kTitleChinese);
    QCOMPARE(w.settings->cboLanage->currentIndex(), 14);
    QCOMPARE(w.settings->cboLanage->itemText(0), QString::fromUtf8("00,PC437 [美国，欧洲标准]"));
    QCOMPARE(w.bottomRow->Button1->text(), QString::fromUtf8("退出"));
    QCOMPARE(w.settings->rdbCutBefore->text(), QString::fromUtf8("指令模式"));
    QCOMPARE(w.settings->chkLevel->text(), QString::fromUtf8("不设置"));
    QCOMPARE(w.printTests->Button4->text(), QStringLiteral("QR Barcode"));
    QCOMPARE(w.bottomRow->BitBtn1->text(), QStringLiteral("NV LOGO"));

    w.settings->cboLanage->setCurrentIndex(3);
    w.connection->Button7->click();
    QCOMPARE(w.interfaceLanguage(), QStringLiteral("english"));
    QCOMPARE(w.connection->Button7->text(), QStringLiteral("Chinese"));
    QCOMPARE(w.windowTitle(), kTitleEnglish);
    QCOMPARE(w.settings->cboLanage->currentIndex(), 0);
    QCOMPARE(w.settings->cboLanage->itemText(34), QStringLiteral("41, CP1258[Vietnam]"));
    QCOMPARE(w.bottomRow->Button1->text(), QStringLiteral("&Quit"));
    QCOMPARE(w.settings->rdbCutAfter->text(), QStringLiteral("Drive mode"));
    QCOMPARE(w.settings->gbCom->title(), QStringLiteral("Baud rate config(restart printer)"));
    QCOMPARE(w.printTests->Button4->text(), QStringLiteral("QR Barcode"));
}

// Each row: how to get there from driver mode, then the expected states.
void TestMainWindow::stateTable_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("printerList");
    QTest::addColumn<bool>("serialLists");
    QTest::addColumn<bool>("openButton");
    QTest::addColumn<bool>("closeButton");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<bool>("open");
    QTest::addColumn<bool>("skipAll");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status"); // how the status line begins

    const QString found = QStringLiteral("Found 2 print queues, 2 serial ports and 2 printer ports");

    QTest::newRow("driver mode chosen") << "driver" << true << false << false << false << true << false << true << ""
                                        << found;
    QTest::newRow("serial mode chosen") << "serial" << false << true << true << false << false << false << true << ""
                                        << found;
    QTest::newRow("parallel mode chosen")
        << "parallel" << false << false << false << false << true << false << true << "" << found;
    QTest::newRow("open: true") << "open1" << false << true << false << true << true << true << true << ""
                                << "Serial port /dev/ttyUSB0 opened at ";
    QTest::newRow("open: false") << "open0" << false << true << true << false << false << false << true
                                 << "Serial port failed to open!!!"
                                 << "Serial port /dev/ttyUSB0 could not be opened: Something else went wrong.";
    QTest::newRow("open: error raised")
        << "open-1" << false << true << true << false << false << false << false
        << "Connection error，Port /dev/ttyUSB0 does not exist or has been occupied by other programs\n\r"
        << "Serial port /dev/ttyUSB0 could not be opened: Something else went wrong.";
    QTest::newRow("close: true") << "close1" << false << true << true << false << false << false << true << ""
                                 << "Serial port /dev/ttyUSB0 closed";
    QTest::newRow("close: false") << "close0" << false << true << false << true << true << true << false
                                  << "Close the /dev/ttyUSB0port error"
                                  << "Serial port /dev/ttyUSB0 could not be closed: Something else went wrong.";
}

void TestMainWindow::stateTable()
{
    QFETCH(QString, action);
    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));

    if (action == QLatin1String("driver")) {
        w.connection->rdbLpt->setChecked(true);
        markSkipAll(w);
        w.connection->rdbDriver->setChecked(true);
    } else if (action == QLatin1String("parallel")) {
        markSkipAll(w);
        w.connection->rdbLpt->setChecked(true);
    } else {
        if (action != QLatin1String("serial"))
            w.connection->rdbCom->setChecked(true);
        if (action.startsWith(QLatin1String("close"))) {
            w.connection->btnOpenCOM->click();
            QVERIFY(w.portOpen());
            fake::config().closeResults = {action.endsWith(QLatin1Char('1')) ? 1 : 0};
            fake::config().lastError = "device gone";
        } else if (action.startsWith(QLatin1String("open"))) {
            fake::config().openResults = {action.mid(4).toInt()};
            fake::config().lastError = "no such device";
        }
        fake::clearCalls();
        markSkipAll(w);
        if (action == QLatin1String("serial"))
            w.connection->rdbCom->setChecked(true);
        else if (action.startsWith(QLatin1String("open")))
            w.connection->btnOpenCOM->click();
        else
            w.connection->btnCloseCOM->click();
    }

    QTEST(w.connection->ComboPrinter->isEnabled(), "printerList");
    QTEST(w.connection->cmbCom->isEnabled(), "serialLists");
    QTEST(w.connection->cmbBaudRate->isEnabled(), "serialLists");
    QTEST(w.connection->cmbShareHand->isEnabled(), "serialLists");
    QCOMPARE(w.connection->cmbLpt->isEnabled(), action == QLatin1String("parallel"));
    QTEST(w.connection->btnOpenCOM->isEnabled(), "openButton");
    QTEST(w.connection->btnCloseCOM->isEnabled(), "closeButton");
    QTEST(batchButtonsEnabled(w), "batch");
    QTEST(w.portOpen(), "open");
    QTEST(skipAllRan(w), "skipAll");

    QFETCH(QString, status);
    QVERIFY2(w.statusLine->status().startsWith(status), qPrintable(w.statusLine->status()));

    QFETCH(QString, message);
    if (message.isEmpty()) {
        QCOMPARE(log.texts(), QStringList());
    } else {
        QCOMPARE(log.texts(), QStringList{message});
        QVERIFY(!log.messages[0].detail.isEmpty()); // the library's reason
    }

    if (action.startsWith(QLatin1String("open"))) {
        const auto opens = fake::callsOf("OpenComm");
        QCOMPARE(opens.size(), size_t(1));
        QCOMPARE(opens[0].texts[0], std::string("/dev/ttyUSB0"));
        QCOMPARE(opens[0].number, 115200);
    }
    if (action.startsWith(QLatin1String("close"))) {
        const auto closes = fake::callsOf("CloseComm");
        QCOMPARE(closes.size(), size_t(1));
        QCOMPARE(closes[0].texts[0], std::string("/dev/ttyUSB0"));
    }
    if (action == QLatin1String("serial")) {
        QCOMPARE(w.printerTarget().portName, QStringLiteral("COM"));
        QCOMPARE(w.printerTarget().printerName, QStringLiteral("/dev/ttyUSB0"));
    }
}

void TestMainWindow::openErrorMessageEndsWithLineFeedCarriageReturn()
{
    configureFake("chinese");
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.connection->rdbCom->setChecked(true);
    fake::config().openResults = {-1};
    w.connection->btnOpenCOM->click();
    QCOMPARE(log.texts(), QStringList{QString::fromUtf8("连接出错，端口/dev/ttyUSB0不存在或已被其它程序占用\n\r")});
    QVERIFY(log.messages[0].text.toUtf8().endsWith("\x0a\x0d"));

    // Open can be pressed again at once.
    log.messages.clear();
    w.connection->btnOpenCOM->click();
    QVERIFY(w.portOpen());
    QVERIFY(log.messages.empty());
}

void TestMainWindow::serialSettingChangeReopens()
{
    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.connection->rdbCom->setChecked(true);
    w.connection->btnOpenCOM->click();
    QVERIFY(settled(w)); // the opened port's printer was asked how it is
    fake::clearCalls();

    // A new rate: close, then open at that rate.
    w.connection->cmbBaudRate->setCurrentIndex(3);
    emit w.connection->cmbBaudRate->activated(3);
    QVERIFY(settled(w));
    QCOMPARE(fake::calls().size(), size_t(3)); // the reopened port's printer is asked how it is
    QCOMPARE(fake::calls()[0].function, std::string("CloseComm"));
    QCOMPARE(fake::calls()[1].function, std::string("OpenComm"));
    QCOMPARE(fake::calls()[1].number, 9600);
    QCOMPARE(fake::calls()[2].function, std::string("QueryPrinter"));
    QVERIFY(w.portOpen());

    // Another port: the close names the list's new text, the new port is
    // opened, and sends keep the name chosen with the serial mode.
    fake::clearCalls();
    w.connection->cmbCom->setCurrentIndex(1);
    emit w.connection->cmbCom->activated(1);
    QCOMPARE(fake::callsOf("CloseComm").at(0).texts[0], std::string("/dev/ttyACM0"));
    QCOMPARE(fake::callsOf("OpenComm").at(0).texts[0], std::string("/dev/ttyACM0"));
    QCOMPARE(w.printerTarget().printerName, QStringLiteral("/dev/ttyUSB0"));

    // A failed close leaves the port open, so the open step does nothing.
    fake::clearCalls();
    fake::config().closeResults = {0};
    emit w.connection->cmbBaudRate->activated(3);
    QVERIFY(fake::callsOf("OpenComm").empty());
    QVERIFY(w.portOpen());
    QCOMPARE(log.messages.size(), size_t(1));
}

void TestMainWindow::refreshWhileOpenDropsTheFlagWithoutClosing()
{
    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.connection->rdbCom->setChecked(true);
    w.connection->btnOpenCOM->click();
    QVERIFY(w.portOpen());
    fake::clearCalls();

    w.connection->btnRef->click();
    QVERIFY(!w.portOpen());
    QVERIFY(fake::callsOf("CloseComm").empty());
    QVERIFY(w.connection->rdbDriver->isChecked());
    QCOMPARE(w.printerTarget().portName, QStringLiteral("DRIVE"));
}

void TestMainWindow::quitClosesAnOpenPort()
{
    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.show();
    w.connection->rdbCom->setChecked(true);
    w.connection->btnOpenCOM->click();
    fake::clearCalls();
    fake::config().closeResults = {0};

    w.bottomRow->Button1->click();
    const auto closes = fake::callsOf("CloseComm");
    QCOMPARE(closes.size(), size_t(1));
    QCOMPARE(closes[0].texts[0], std::string("/dev/ttyUSB0"));
    QVERIFY(!w.isVisible());
    QVERIFY(log.messages.empty());
}

void TestMainWindow::skipAll_data()
{
    QTest::addColumn<bool>("ready");
    QTest::newRow("ready (driver)") << true;
    QTest::newRow("not ready (serial closed)") << false;
}

void TestMainWindow::skipAll()
{
    QFETCH(bool, ready);
    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    if (!ready)
        w.connection->rdbCom->setChecked(true);
    // Called directly: in serial mode with the port closed the buttons are disabled.
    w.bottomRow->Button12Click();
    w.settings->chkCutMode->setChecked(false);

    w.bottomRow->Button20Click();
    QCOMPARE(w.isConnectionReady(), ready);
    for (QCheckBox *box : skipBoxes(w))
        QVERIFY(box->isChecked() && box->isEnabled() == ready);
    for (QGroupBox *g : configGroups(w))
        QVERIFY(!g->isEnabled());
    QCOMPARE(w.printTests->isEnabled(), ready);
}

void TestMainWindow::skipBoxRuleColoursAndEnables()
{
    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.settings->chkBlack->setChecked(false);
    QVERIFY(w.settings->gbBlack->isEnabled());
    QCOMPARE(w.settings->chkBlack->palette().color(QPalette::WindowText), QColor(Qt::black));
    w.settings->chkBlack->setChecked(true);
    QVERIFY(!w.settings->gbBlack->isEnabled());
    QCOMPARE(w.settings->chkBlack->palette().color(QPalette::WindowText), QColor(Qt::red));

    // The red baud-rate group still looks disabled when it is.
    w.settings->chkCom->setChecked(true);
    QVERIFY(!w.settings->btnNewCom->isEnabled());
    const QPalette red = w.settings->btnNewCom->palette();
    QCOMPARE(red.color(QPalette::Active, QPalette::ButtonText), QColor(Qt::red));
    QVERIFY(red.color(QPalette::Disabled, QPalette::ButtonText) != QColor(Qt::red));
}

// The window's class and app id match the desktop entry, so a taskbar groups
// the window under the entry's icon; the window has that icon itself.
void TestMainWindow::desktopKnowsTheWindow()
{
    applyDesktopIdentity();
    const QString entryPath = QDir::cleanPath(QStringLiteral(NPS_TEST_DATA_DIR "/../../packaging/") +
                                              QLatin1String(kDesktopId) + QStringLiteral(".desktop"));
    QFile file(entryPath);
    QVERIFY2(file.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(entryPath));
    QMap<QString, QString> entry;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')))
        if (const int eq = line.indexOf(QLatin1Char('=')); eq > 0)
            entry.insert(line.left(eq), line.mid(eq + 1));
    // Qt's X11 window class is the application name.
    QCOMPARE(entry.value(QStringLiteral("StartupWMClass")), QCoreApplication::applicationName());
    QCOMPARE(entry.value(QStringLiteral("Icon")), QString::fromLatin1(kDesktopId));
    QCOMPARE(QGuiApplication::desktopFileName(), QString::fromLatin1(kDesktopId));

    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    const QPixmap icon = w.windowIcon().pixmap(64, 64);
    QVERIFY(!icon.isNull());
    QCOMPARE(icon.size(), QSize(64, 64));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
