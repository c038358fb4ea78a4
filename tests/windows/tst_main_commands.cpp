// The set buttons, the one-key update, select all and the test group, as the
// fake library receives them.
#include "window_fixture.h"

#include "maintenance_commands.h"
#include "status_line.h"

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
    w->bottomRow->Button12->click();
    w->settings->chkCutMode->setChecked(false);
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
    void oneKeyUpdateOverSerialEndsWithTheBaudRate();
    void oneKeyUpdateWithEverythingSkippedSendsNothing();
    void oneKeyUpdateSaysHowItEnded();
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
    const Setup old = [](TfrmMain &w) { w.connection->rdbCommandOLD->setChecked(true); };
    QTest::newRow("code page new") << "btnLanage" << none
                                   << QStringList{"Set New Lanage|1B 23 23 53 4C 41 4E 00 1B 23 46 1B 69"};
    QTest::newRow("code page old, position 25") << "btnLanage" << Setup([](TfrmMain &w) {
        w.connection->rdbCommandOLD->setChecked(true);
        w.settings->cboLanage->setCurrentIndex(25);
    }) << QStringList{"Set New Lanage|1B 74 20 1B 23 46 1B 69"};
    QTest::newRow("baud new 9600") << "btnNewCom" << none
                                   << QStringList{"Set New BaudRate|1B 23 23 53 42 44 52 80 25 00 00 1B 23 46 1B 40"};
    QTest::newRow("baud old 230400") << "btnNewCom" << Setup([](TfrmMain &w) {
        w.connection->rdbCommandOLD->setChecked(true);
        w.settings->cboNewCom->setCurrentIndex(9);
    }) << QStringList{"Set New BaudRate|1B 7A 37 00 84 03 00 1B 23 46 1B 40"};
    QTest::newRow("darkness new 23") << "btnLevel" << none << QStringList{"Set New Level|1B 23 23 53 54 44 50 17"};
    QTest::newRow("darkness old, none selected") << "btnLevel" << Setup([](TfrmMain &w) {
        w.connection->rdbCommandOLD->setChecked(true);
        w.settings->cboLevel->setCurrentIndex(-1);
    }) << QStringList{"Set New Level|1D 69 02"};
    QTest::newRow("barcode on") << "btnBarcode" << none << QStringList{"Set Barcode|1D 45 43 01"};
    QTest::newRow("barcode off") << "btnBarcode"
                                 << Setup([](TfrmMain &w) { w.settings->rdbBarcodeClose->setChecked(true); })
                                 << QStringList{"Set Barcode|1D 45 43 00"};
    QTest::newRow("black mark off") << "btnBlack" << none << QStringList{"Set Black Mark |1F 1B 1F 80 04 05 06 66"};
    QTest::newRow("black mark on") << "btnBlack"
                                   << Setup([](TfrmMain &w) { w.settings->rdbBlackOPen->setChecked(true); })
                                   << QStringList{"Set Black Mark |1F 1B 1F 80 04 05 06 44"};
    QTest::newRow("buzzer new all") << "btnBeepSet" << none << QStringList{"Set beep |1B 23 23 53 54 42 50 0F 00"};
    QTest::newRow("buzzer new 02+03") << "btnBeepSet" << Setup([](TfrmMain &w) {
        w.settings->chkBeepSet01->setChecked(false);
        w.settings->chkBeepSet04->setChecked(false);
    }) << QStringList{"Set beep |1B 23 23 53 54 42 50 06 00"};
    QTest::newRow("buzzer old none") << "btnBeepSet" << Setup([](TfrmMain &w) {
        w.connection->rdbCommandOLD->setChecked(true);
        for (QCheckBox *b :
             {w.settings->chkBeepSet01, w.settings->chkBeepSet02, w.settings->chkBeepSet03, w.settings->chkBeepSet04})
            b->setChecked(false);
    }) << QStringList{"Set beep |1B 23 23 45 4E 42 50 30"};
    QTest::newRow("cutter on") << "btnCutSet" << old << QStringList{"Set Cut Auto ref|1B 23 23 45 43 41 54 31"};
    QTest::newRow("cut mode half") << "btnCutMode" << none << QStringList{"Set Cut Mode|1B 23 23 45 46 43 54 30"};
    QTest::newRow("cut mode full+half") << "btnCutMode"
                                        << Setup([](TfrmMain &w) { w.settings->rbCutModeFullHelf->setChecked(true); })
                                        << QStringList{"Set Cut Mode|1B 23 23 45 46 43 54 31"};
    const QString feed = QStringLiteral("Paper Cutting before or after|");
    QTest::newRow("cut feed command mode")
        << "Button3" << none << QStringList{feed + "1B 23 23 43 54 46 44 00 00", feed + "1B 23 23 41 43 46 44 28 00"};
    QTest::newRow("cut feed drive mode") << "Button3"
                                         << Setup([](TfrmMain &w) { w.settings->rdbCutAfter->setChecked(true); })
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
    w->connection->ComboPrinter->setCurrentIndex(1);
    emit w->connection->ComboPrinter->activated(1);
    w->printTests->Button4->click();
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
    w->settings->cboNewCom->setCurrentIndex(9);
    w->settings->btnNewCom->click();
    QCOMPARE(w->connection->cmbBaudRate->currentText(), QStringLiteral("230400"));
    QCOMPARE(log.texts(), QStringList{QString::fromUtf8("Baud rate changes, need to restart the printer！！！")});
    // Through the driver nothing is closed and the selection stays.
    QVERIFY(fake::callsOf("CloseComm").empty());
    QVERIFY(!w->settings->chkLevel->isChecked());
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
        w->settings->rdbCutAfter->setChecked(true);
    w->bottomRow->Button13->click();

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

void TestMainCommands::oneKeyUpdateOverSerialEndsWithTheBaudRate()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    w.connection->rdbCom->setChecked(true);
    w.connection->btnOpenCOM->click();
    w.bottomRow->Button12->click();
    fake::clearCalls();

    w.bottomRow->Button13->click();
    // In the update's order: the baud rate's message, then its close skips
    // every group after it.
    QStringList order;
    for (const fake::Call &c : fake::calls())
        if (c.function == "SendBufferToPrint" || c.function == "CloseComm")
            order << (c.function == "CloseComm" ? QStringLiteral("CloseComm") : QString::fromStdString(c.texts[2]));
    QCOMPARE(order, (QStringList{"Set New Lanage", "Set New BaudRate", "CloseComm"}));
    QCOMPARE(log.texts(), QStringList{QString::fromUtf8("Baud rate changes, need to restart the printer！！！")});
    QVERIFY(!w.portOpen());
    QVERIFY(w.settings->chkLevel->isChecked() && !w.settings->chkLevel->isEnabled());
}

void TestMainCommands::oneKeyUpdateWithEverythingSkippedSendsNothing()
{
    MessageLog log;
    auto w = readyWindow(log);
    w->bottomRow->Button20->click();
    w->bottomRow->Button13->click();
    QVERIFY(sends().isEmpty());
    QVERIFY(log.messages.empty());
}

void TestMainCommands::oneKeyUpdateSaysHowItEnded()
{
    MessageLog log;
    auto w = readyWindow(log);
    w->bottomRow->Button13->click();
    QCOMPARE(w->statusLine->status(), QStringLiteral("8 of 8 settings sent; the printer took them."));
    w->bottomRow->Button20->click();
    w->bottomRow->Button13->click();
    QCOMPARE(w->statusLine->status(), QStringLiteral("The one-key update sent nothing: every group is set to No Set."));
    w->bottomRow->Button12->click();
    fake::config().sendResults = {1, 1, 0};
    w->bottomRow->Button13->click();
    QCOMPARE(w->statusLine->status(),
             QStringLiteral("The one-key update stopped at \"Print Darkness\" after 2 of 8 settings."));
}

void TestMainCommands::selectAllLeavesCutModeAlone()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    w.connection->rdbCom->setChecked(true); // not ready: gbPrint disabled
    QVERIFY(!w.printTests->isEnabled());
    w.bottomRow->Button12Click(); // the button itself is disabled while the port is closed
    QVERIFY(w.printTests->isEnabled());
    QVERIFY(w.settings->chkCutMode->isChecked());
    QVERIFY(!w.settings->gbCutMode->isEnabled());
    for (QGroupBox *g : {w.settings->gbLanage, w.settings->gbCom, w.settings->gbLevel, w.settings->gbBarcode,
                         w.settings->gbCut, w.settings->gbBlack, w.settings->gbBeepSet, w.settings->gbCutPage})
        QVERIFY2(g->isEnabled(), qPrintable(g->objectName()));
    QVERIFY(!w.settings->chkLevel->isEnabled()); // the skip boxes' enabled state is not changed
}

void TestMainCommands::testGroupIsGated()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    w.show();
    w.connection->rdbCom->setChecked(true);
    fake::clearCalls();
    for (QPushButton *b : {w.printTests->Button14, w.printTests->Button21, w.printTests->Button2, w.printTests->Button5,
                           w.printTests->Button6, w.printTests->Button4, w.printTests->Button9})
        QTest::mouseClick(b, Qt::LeftButton);
    QVERIFY(sends().isEmpty());
}

void TestMainCommands::missingLibraryStopsTheUpdateWithOneMessage()
{
    MessageLog log;
    fake::reset();
    TfrmMain w(QStringLiteral("/nonexistent/libDravik.so"));
    w.bottomRow->Button13->click();
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY(log.messages[0].text.contains(QStringLiteral("libDravik.so")));
    QVERIFY(fake::calls().empty());
}

QTEST_MAIN(TestMainCommands)
#include "tst_main_commands.moc"
