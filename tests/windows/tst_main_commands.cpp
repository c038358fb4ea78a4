// The set buttons, the one-key update, select all and the test group, as the
// fake library receives them.
#include "window_fixture.h"

#include "maintenance_commands.h"

#include <cstring>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <functional>

namespace {
using Setup = std::function<void(TfrmMain &)>;

std::unique_ptr<TfrmMain> readyWindow(MessageLog &)
{
    configureFake();
    auto w = std::make_unique<TfrmMain>();
    if (!settled(*w))
        qFatal("the start-up lists did not arrive");
    w->Button12->click();
    w->chkCutMode->setChecked(false);
    fake::clearCalls();
    return w;
}
} // namespace
Q_DECLARE_METATYPE(Setup)

class TestMainCommands : public QObject
{
    Q_OBJECT

private slots:
    void setButtonSends_data();
    void setButtonSends();
    void sendsCarryTheConnection();
    void baudRateCopiesIndexAndWarns();
    void oneKeyUpdate_data();
    void oneKeyUpdate();
    void oneKeyUpdateOverSerialSendsBaudRateLast();
    void oneKeyUpdateWithEverythingSkippedSendsNothing();
    void selectAllLeavesCutModeAlone();
    void testGroupIsGated();
    void missingLibraryStopsTheUpdateWithOneMessage();
};

void TestMainCommands::setButtonSends_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QStringList>("expected");

    const Setup none = [](TfrmMain &) {};
    const Setup old = [](TfrmMain &w) { w.rdbCommandOLD->setChecked(true); };
    QTest::newRow("code page new") << "btnLanage" << none
                                   << QStringList{"Set New Lanage|1B 23 23 53 4C 41 4E 00 1B 23 46 1B 69"};
    QTest::newRow("code page old, position 25") << "btnLanage" << Setup([](TfrmMain &w) {
        w.rdbCommandOLD->setChecked(true);
        w.cboLanage->setCurrentIndex(25);
    }) << QStringList{"Set New Lanage|1B 74 20 1B 23 46 1B 69"};
    QTest::newRow("baud new 9600") << "btnNewCom" << none
                                   << QStringList{"Set New BaudRate|1B 23 23 53 42 44 52 80 25 00 00 1B 23 46 1B 40"};
    QTest::newRow("baud old 230400") << "btnNewCom" << Setup([](TfrmMain &w) {
        w.rdbCommandOLD->setChecked(true);
        w.cboNewCom->setCurrentIndex(9);
    }) << QStringList{"Set New BaudRate|1B 7A 37 00 84 03 00 1B 23 46 1B 40"};
    QTest::newRow("darkness new 23") << "btnLevel" << none << QStringList{"Set New Level|1B 23 23 53 54 44 50 17"};
    QTest::newRow("darkness old, none selected") << "btnLevel" << Setup([](TfrmMain &w) {
        w.rdbCommandOLD->setChecked(true);
        w.cboLevel->setCurrentIndex(-1);
    }) << QStringList{"Set New Level|1D 69 02"};
    QTest::newRow("barcode on") << "btnBarcode" << none << QStringList{"Set Barcode|1D 45 43 01"};
    QTest::newRow("barcode off") << "btnBarcode" << Setup([](TfrmMain &w) { w.rdbBarcodeClose->setChecked(true); })
                                 << QStringList{"Set Barcode|1D 45 43 00"};
    QTest::newRow("black mark off") << "btnBlack" << none << QStringList{"Set Black Mark |1F 1B 1F 80 04 05 06 66"};
    QTest::newRow("black mark on") << "btnBlack" << Setup([](TfrmMain &w) { w.rdbBlackOPen->setChecked(true); })
                                   << QStringList{"Set Black Mark |1F 1B 1F 80 04 05 06 44"};
    QTest::newRow("buzzer new all") << "btnBeepSet" << none << QStringList{"Set beep |1B 23 23 53 54 42 50 0F 00"};
    QTest::newRow("buzzer new 02+03") << "btnBeepSet" << Setup([](TfrmMain &w) {
        w.chkBeepSet01->setChecked(false);
        w.chkBeepSet04->setChecked(false);
    }) << QStringList{"Set beep |1B 23 23 53 54 42 50 06 00"};
    QTest::newRow("buzzer old none") << "btnBeepSet" << Setup([](TfrmMain &w) {
        w.rdbCommandOLD->setChecked(true);
        for (QCheckBox *b : {w.chkBeepSet01, w.chkBeepSet02, w.chkBeepSet03, w.chkBeepSet04})
            b->setChecked(false);
    }) << QStringList{"Set beep |1B 23 23 45 4E 42 50 30"};
    QTest::newRow("cutter on") << "btnCutSet" << old << QStringList{"Set Cut Auto ref|1B 23 23 45 43 41 54 31"};
    QTest::newRow("cut mode half") << "btnCutMode" << none << QStringList{"Set Cut Mode|1B 23 23 45 46 43 54 30"};
    QTest::newRow("cut mode full+half") << "btnCutMode"
                                        << Setup([](TfrmMain &w) { w.rbCutModeFullHelf->setChecked(true); })
                                        << QStringList{"Set Cut Mode|1B 23 23 45 46 43 54 31"};
    const QString feed = QStringLiteral("Paper Cutting before or after|");
    QTest::newRow("cut feed command mode")
        << "Button3" << none << QStringList{feed + "1B 23 23 43 54 46 44 00 00", feed + "1B 23 23 41 43 46 44 28 00"};
    QTest::newRow("cut feed drive mode") << "Button3" << Setup([](TfrmMain &w) { w.rdbCutAfter->setChecked(true); })
                                         << QStringList{feed + "1B 23 23 43 54 46 44 00 00",
                                                        feed + "1B 23 23 41 43 46 44 28 00",
                                                        feed + "1B 23 23 43 54 46 44 58 00"};
    QTest::newRow("function list") << "Button14" << none << QStringList{"Set config list|1B 23 46 1B 69 0A 0A 0A 0A"};
    QTest::newRow("code page list") << "Button21" << old << QStringList{"Set Lanage list|1B 23 48 1B 69 0A 0A 0A 0A"};
    QTest::newRow("cash drawer") << "Button2" << none << QStringList{"Open cash box|1B 70 00 0A 32"};
    QTest::newRow("full cut") << "Button5" << none << QStringList{"<null>|1B 69"};
    QTest::newRow("half cut") << "Button6" << none << QStringList{"<null>|1B 6D"};
    QTest::newRow("factory restore") << "Button9" << none << QStringList{"<null>|1B 23 23 52 45 43 46"};
}

void TestMainCommands::setButtonSends()
{
    QFETCH(QString, button);
    QFETCH(Setup, setup);
    MessageLog log;
    auto w = readyWindow(log);
    setup(*w);
    w->findChild<QPushButton *>(button)->click();
    QTEST(sends(), "expected");
}

void TestMainCommands::sendsCarryTheConnection()
{
    MessageLog log;
    auto w = readyWindow(log);
    w->ComboPrinter->setCurrentIndex(1);
    emit w->ComboPrinter->activated(1);
    w->Button4->click();
    const auto calls = fake::callsOf("SendBufferToPrint");
    QCOMPARE(calls.size(), size_t(2));
    for (const fake::Call &c : calls) {
        QCOMPARE(c.texts[0], std::string("DRIVE"));
        QCOMPARE(c.texts[1], std::string("Kitchen58"));
        QCOMPARE(c.texts[2], std::string("QR download"));
    }
    QCOMPARE(calls[0].number, int(std::strlen(kQrText)) + 8);
    QCOMPARE(hexOf(calls[1].bytes), QByteArray("1D 28 6B 03 00 31 51 30"));
}

void TestMainCommands::baudRateCopiesIndexAndWarns()
{
    MessageLog log;
    auto w = readyWindow(log);
    w->cboNewCom->setCurrentIndex(9);
    w->btnNewCom->click();
    QCOMPARE(w->cmbBaudRate->currentText(), QStringLiteral("230400"));
    QCOMPARE(log.texts(), QStringList{QString::fromUtf8("Baud rate changes, need to restart the printer！！！")});
    // Through the driver nothing is closed and the selection stays.
    QVERIFY(fake::callsOf("CloseComm").empty());
    QVERIFY(!w->chkLevel->isChecked());
}

void TestMainCommands::oneKeyUpdate_data()
{
    QTest::addColumn<bool>("driveMode");
    QTest::addColumn<int>("sendCount");
    QTest::newRow("command mode") << false << 9;
    QTest::newRow("drive mode") << true << 10;
}

void TestMainCommands::oneKeyUpdate()
{
    QFETCH(bool, driveMode);
    MessageLog log;
    auto w = readyWindow(log);
    if (driveMode)
        w->rdbCutAfter->setChecked(true);
    w->Button13->click();

    const QStringList sent = sends();
    QTEST(int(sent.size()), "sendCount");
    QCOMPARE(log.messages.size(), size_t(1));
    const QStringList docs = [&] {
        QStringList d;
        for (const QString &s : sent)
            d << s.section(QLatin1Char('|'), 0, 0);
        return d;
    }();
    QCOMPARE(docs.mid(0, 7), (QStringList{"Set New Lanage", "Set New BaudRate", "Set New Level", "Set Barcode",
                                          "Set Cut Auto ref", "Set Black Mark ", "Set beep "}));
    QVERIFY(!docs.contains(QStringLiteral("Set Cut Mode")));
}

void TestMainCommands::oneKeyUpdateOverSerialSendsBaudRateLast()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    w.rdbCom->setChecked(true);
    w.btnOpenCOM->click();
    w.Button12->click();
    fake::clearCalls();

    w.Button13->click();
    // Every chosen setting reaches the printer before the baud rate closes the port.
    QStringList order;
    for (const fake::Call &c : fake::calls())
        if (c.function == "SendBufferToPrint" || c.function == "CloseComm")
            order << (c.function == "CloseComm" ? QStringLiteral("CloseComm") : QString::fromStdString(c.texts[2]));
    QCOMPARE(order, (QStringList{"Set New Lanage", "Set New Level", "Set Barcode", "Set Cut Auto ref",
                                 "Set Black Mark ", "Set beep ", "Paper Cutting before or after",
                                 "Paper Cutting before or after", "Set New BaudRate", "CloseComm"}));
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY(!w.portOpen());
    QVERIFY(w.chkLevel->isChecked() && !w.chkLevel->isEnabled());
}

void TestMainCommands::oneKeyUpdateWithEverythingSkippedSendsNothing()
{
    MessageLog log;
    auto w = readyWindow(log);
    w->Button20->click();
    w->Button13->click();
    QVERIFY(sends().isEmpty());
    QVERIFY(log.messages.empty());
}

void TestMainCommands::selectAllLeavesCutModeAlone()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    w.rdbCom->setChecked(true); // not ready: gbPrint disabled
    QVERIFY(!w.gbPrint->isEnabled());
    w.Button12Click(); // the button itself is disabled while the port is closed
    QVERIFY(w.gbPrint->isEnabled());
    QVERIFY(w.chkCutMode->isChecked());
    QVERIFY(!w.gbCutMode->isEnabled());
    for (QGroupBox *g : {w.gbLanage, w.gbCom, w.gbLevel, w.gbBarcode, w.gbCut, w.gbBlack, w.gbBeepSet, w.gbCutPage})
        QVERIFY2(g->isEnabled(), qPrintable(g->objectName()));
    QVERIFY(!w.chkLevel->isEnabled()); // the skip boxes' enabled state is not changed
}

void TestMainCommands::testGroupIsGated()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    w.show();
    w.rdbCom->setChecked(true);
    fake::clearCalls();
    for (QPushButton *b : {w.Button14, w.Button21, w.Button2, w.Button5, w.Button6, w.Button4, w.Button9})
        QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(sends().isEmpty());
}

void TestMainCommands::missingLibraryStopsTheUpdateWithOneMessage()
{
    MessageLog log;
    fake::reset();
    TfrmMain w(QStringLiteral("/nonexistent/libDravik.so"));
    w.Button13->click();
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY(log.messages[0].text.contains(QStringLiteral("libDravik.so")));
    QVERIFY(fake::calls().empty());
}

QTEST_MAIN(TestMainCommands)
#include "tst_main_commands.moc"
