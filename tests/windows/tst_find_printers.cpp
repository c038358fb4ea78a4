// "Find printers..." from the main window, through the fake library and a
// virtual printer on a loopback address: the entry in the connection group's
// context menu and its shortcut (the group's designed layout unchanged, the
// caption in both languages), a network printer listed with its identity and
// added as a print queue that the designed Refresh then lists and chooses, a
// serial printer's port opened at the rate found, and a Stop.
#include "find_printers_dialog.h"
#include "serve_process.h"
#include "status_requests.h"
#include "window_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

namespace {

using Answers = std::map<std::vector<std::uint8_t>, std::vector<std::uint8_t>>;

// A ready printer that names itself.
Answers printer()
{
    Answers a;
    for (StatusRequest r :
         {StatusRequest::Printer, StatusRequest::OfflineCause, StatusRequest::ErrorCause, StatusRequest::RollPaper})
        a[statusRequest(r)] = {0x12};
    const std::string model = "_TP-58";
    a[idRequest(IdRequest::Model)] = std::vector<std::uint8_t>(model.begin(), model.end());
    a[idRequest(IdRequest::Model)].push_back(0);
    return a;
}

// Opens the search from the group's entry, runs drive on the dialog while it
// is shown, and returns once it was closed.
bool findPrinters(TfrmMain &w, const std::function<void(FindPrintersDialog &)> &drive)
{
    bool driven = false;
    QTimer::singleShot(0, &w, [&] {
        auto *dialog = w.findChild<FindPrintersDialog *>();
        if (!dialog)
            return;
        driven = true;
        drive(*dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    w.connection->actFindPrinters->trigger();
    return driven;
}

// Starts the search where asked and waits (bounded) for its end.
bool search(FindPrintersDialog &d, bool usb, bool serial, const QString &network, quint16 port = 9100)
{
    d.chkUsb->setChecked(usb);
    d.chkSerial->setChecked(serial);
    d.chkNetwork->setChecked(!network.isEmpty());
    d.edtNetwork->setText(network);
    d.spnPort->setValue(port);
    d.btnSearch->click();
    return QTest::qWaitFor([&] { return !d.searching(); }, 30000);
}

} // namespace

class TestFindPrinters : public QObject
{
    Q_OBJECT

private slots:
    void init() { configureFake(); }
    void entryInTheConnectionGroup();
    void networkPrinterAddedAndChosen();
    void serialPortOpenedAtTheRateFound();
    void aNameThatExistsAndARefusal();
    void stopAndCloseWhileSearching();
};

void TestFindPrinters::entryInTheConnectionGroup()
{
    TfrmMain w;
    QAction *entry = w.connection->actFindPrinters;
    QVERIFY(entry);
    QVERIFY(w.connection->actions().contains(entry));
    QCOMPARE(w.connection->contextMenuPolicy(), Qt::ActionsContextMenu);
    QCOMPARE(entry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    QCOMPARE(entry->text(), QStringLiteral("Find printers..."));
    // The group keeps its designed place and size.
    QCOMPARE(w.connection->geometry(), QRect(8, 7, 488, 122));
    w.connection->Button7->click(); // Chinese
    QVERIFY(entry->text() != QStringLiteral("Find printers..."));
    w.connection->Button7->click();
    QCOMPARE(entry->text(), QStringLiteral("Find printers..."));
}

void TestFindPrinters::networkPrinterAddedAndChosen()
{
    MessageLog log;
    ServeProcess serve;
    const quint16 port = privatecups::freePort();
    QString error;
    QVERIFY2(serve.start({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--maker"),
                          QStringLiteral("Nembo"), QStringLiteral("--model-name"), QStringLiteral("TP 80")},
                         QStringLiteral("listening on"), error),
             qPrintable(error));
    // A queue of the name the model gives is listed already: the name made differs.
    fake::config().printers += "TP_80\n";
    TfrmMain w;
    QVERIFY(settled(w));
    const size_t listedBefore = fake::callsOf("GetPrintDriveNames").size();
    QString listed, status, suggested;
    const bool driven = findPrinters(w, [&](FindPrintersDialog &d) {
        if (!search(d, false, false, QStringLiteral("127.0.0.1"), port))
            return;
        QCOMPARE(d.lstFound->topLevelItemCount(), 1);
        listed = d.lstFound->topLevelItem(0)->text(1);
        status = d.lstFound->topLevelItem(0)->text(2);
        suggested = d.edtQueueName->text();
        QVERIFY(d.btnAction->isEnabled());
        d.btnAction->click(); // Add as print queue
    });
    QVERIFY(driven);
    QCOMPARE(listed, QStringLiteral("Nembo TP 80"));
    QCOMPARE(status, QStringLiteral("Ready"));
    QCOMPARE(suggested, QStringLiteral("TP_80-2"));
    const auto made = fake::callsOf("AddPrintQueue");
    QCOMPARE(made.size(), size_t(1));
    QCOMPARE(made.front().texts,
             (std::vector<std::string>{"TP_80-2", QStringLiteral("socket://127.0.0.1:%1").arg(port).toStdString()}));
    // The designed Refresh ran, and the new queue is the chosen one.
    QCOMPARE(fake::callsOf("GetPrintDriveNames").size(), listedBefore + 1);
    QVERIFY(w.connection->rdbDriver->isChecked());
    QCOMPARE(w.connection->ComboPrinter->currentText(), QStringLiteral("TP_80-2"));
    QVERIFY(fake::callsOf("SendBufferToPrint").empty());
    QVERIFY2(log.messages.empty(), qPrintable(log.texts().join('\n')));
    QCOMPARE(serve.state().value("cuts").toInt(), 0);
}

void TestFindPrinters::serialPortOpenedAtTheRateFound()
{
    MessageLog log;
    fake::config().serialPorts = "/dev/ttyNoSuchA\n";
    fake::config().answers = printer();
    fake::config().answerRate = 19200;
    fake::config().noise = {0xFF};
    TfrmMain w;
    QVERIFY(settled(w));
    QString action;
    const bool driven = findPrinters(w, [&](FindPrintersDialog &d) {
        if (!search(d, false, true, QString()))
            return;
        QCOMPARE(d.lstFound->topLevelItemCount(), 1);
        action = d.btnAction->text();
        QVERIFY(!d.edtQueueName->isEnabled());
        d.btnAction->click();
    });
    QVERIFY(driven);
    QCOMPARE(action, QStringLiteral("Use this port at 19200 baud"));
    QVERIFY(w.connection->rdbCom->isChecked());
    QCOMPARE(w.connection->cmbCom->currentText(), QStringLiteral("/dev/ttyNoSuchA"));
    QCOMPARE(w.connection->cmbBaudRate->currentText(), QStringLiteral("19200"));
    const auto opens = fake::callsOf("OpenComm");
    QVERIFY(!opens.empty());
    QCOMPARE(opens.back().number, 19200);
    QVERIFY(w.connection->btnCloseCOM->isEnabled()); // open
    QVERIFY(fake::callsOf("AddPrintQueue").empty());
}

void TestFindPrinters::aNameThatExistsAndARefusal()
{
    // A USB printer; its queue's name exists (made anew when the user says
    // so), and the user may not make queues.
    MessageLog log;
    QStringList asked;
    notifier::setAskHandler([&](QWidget *, const Message &question) {
        asked << question.text;
        return true;
    });
    fake::config().usbPrinters = "/dev/usb/lp0\tusb://Acme/TM%201?serial=42\tMFG:Acme;MDL:TM 1;CMD:ESC/POS;SN:42;\n";
    fake::config().addQueueResults = {-1, 0};
    fake::config().lastErrorCode = DRAVIK_ERROR_NO_PERMISSION;
    fake::config().lastError = "not an administrator";
    TfrmMain w;
    QVERIFY(settled(w));
    const size_t listedBefore = fake::callsOf("GetPrintDriveNames").size();
    bool stayed = false;
    QVERIFY(findPrinters(w, [&](FindPrintersDialog &d) {
        if (!search(d, true, false, QString()))
            return;
        QCOMPARE(d.edtQueueName->text(), QStringLiteral("TM_1"));
        d.btnAction->click();
        stayed = d.isVisible();
    }));
    notifier::setAskHandler({});
    QVERIFY(stayed);
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked.first().startsWith(QStringLiteral("A print queue named TM_1 exists already.")),
             qPrintable(asked.first()));
    const auto made = fake::callsOf("AddPrintQueue");
    QCOMPARE(made.size(), size_t(2));
    QCOMPARE(made[0].number, 0);
    QCOMPARE(made[1].number, 1); // made anew, as the user said
    QCOMPARE(made[1].texts, (std::vector<std::string>{"TM_1", "usb://Acme/TM%201?serial=42"}));
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY2(log.messages.front().text.contains(QStringLiteral("Join the group lpadmin")),
             qPrintable(log.messages.front().text));
    QCOMPARE(log.messages.front().detail, QStringLiteral("not an administrator"));
    // Nothing was made: the lists are as they were.
    QCOMPARE(fake::callsOf("GetPrintDriveNames").size(), listedBefore);
}

void TestFindPrinters::stopAndCloseWhileSearching()
{
    // Each question the fake is asked takes a while: the serial search is
    // under way when Stop is pressed and when the dialog is closed.
    fake::config().serialPorts = "/dev/ttyNoSuchB\n";
    fake::config().queryDelayMs = 100;
    TfrmMain w;
    QVERIFY(settled(w));
    QString said;
    bool ended = false;
    QVERIFY(findPrinters(w, [&](FindPrintersDialog &d) {
        d.chkUsb->setChecked(false);
        d.btnSearch->click();
        QVERIFY(d.searching());
        QVERIFY(d.btnStop->isEnabled() && !d.btnSearch->isEnabled());
        d.btnStop->click();
        QVERIFY(!d.btnStop->isEnabled());
        QVERIFY(QTest::qWaitFor([&] { return !d.searching(); }, 30000));
        said = d.lblSearch->text();
        // Closed while a search runs: it closes once the search has ended.
        d.btnSearch->click();
        d.reject();
        QVERIFY(d.isVisible() || !d.searching());
        ended = QTest::qWaitFor([&] { return !d.isVisible(); }, 30000);
    }));
    QVERIFY2(said.startsWith(QStringLiteral("Stopped")), qPrintable(said));
    QVERIFY(ended);
    QVERIFY(fake::callsOf("AddPrintQueue").empty());
}

QTEST_MAIN(TestFindPrinters)
#include "tst_find_printers.moc"
