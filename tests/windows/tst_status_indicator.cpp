// The printer status indicator: what it shows for each answer in both
// languages, when it asks (and when it must not), that it never asks on the
// interface thread, and that a reopened serial port at the printer's new
// rate is confirmed.
#include "window_fixture.h"

#include "call_record.h"
#include "nvlogo_window.h"
#include "status_indicator.h"
#include "status_line.h"
#include "status_requests.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

#include <string>

namespace {
using Answers = std::map<std::vector<std::uint8_t>, std::vector<std::uint8_t>>;

std::vector<std::uint8_t> idText(const std::string &text)
{
    const std::string framed = "_" + text + std::string(1, '\0');
    return {framed.begin(), framed.end()};
}

// A printer that answers every request: its four status bytes (fixed bits
// only unless given) and its identity.
Answers printer(std::uint8_t roll = 0x12)
{
    return {{statusRequest(StatusRequest::Printer), {0x12}},    {statusRequest(StatusRequest::OfflineCause), {0x12}},
            {statusRequest(StatusRequest::ErrorCause), {0x12}}, {statusRequest(StatusRequest::RollPaper), {roll}},
            {idRequest(IdRequest::Maker), idText("Acme")},      {idRequest(IdRequest::Model), idText("TP-80")},
            {idRequest(IdRequest::Firmware), idText("1.07")},   {idRequest(IdRequest::SerialNumber), idText("SN42")}};
}

int queries()
{
    return int(fake::callsOf("QueryPrinter").size());
}
} // namespace
Q_DECLARE_METATYPE(Answers)

class TestStatusIndicator : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void showsWhatThePrinterSays_data();
    void showsWhatThePrinterSays();
    void askedAfterSendsAndClicks();
    void aPathWithoutAnswersIsNotAskedAgain();
    void aPrinterOutOfPaperPrintedNothing();
    void keepsWatchingWhileActive();
    void aPausedQueueIsNotReady();
    void neverAskedOnTheInterfaceThread();
    void reopenedAtTheNewRateConfirms();
    void logoWindowKeepsItsDesignedBar();
};

void TestStatusIndicator::init()
{
    CallRecord::shared().clear();
}

void TestStatusIndicator::showsWhatThePrinterSays_data()
{
    QTest::addColumn<std::string>("language");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<int>("errorCode"); // not DRAVIK_ERROR_NONE: QueryPrinter fails with it
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("colour");
    QTest::addColumn<QString>("tooltipPart");

    const int green = int(messages::IndicatorColour::Green), red = int(messages::IndicatorColour::Red),
              grey = int(messages::IndicatorColour::Grey);
    const int noFailure = DRAVIK_ERROR_NONE, noAnswers = DRAVIK_ERROR_NO_ANSWERS;
    QTest::newRow("ready") << std::string("english") << printer() << noFailure << "Ready" << green
                           << "Conditions: on-line\nmaker: Acme, model: TP-80, firmware: 1.07, serial number: SN42";
    QTest::newRow("paper out") << std::string("english") << printer(0x7E) << noFailure << "Paper out" << red
                               << "paper near end, paper out";
    QTest::newRow("no answer") << std::string("english") << Answers{} << noFailure << "No answer" << red
                               << "The printer did not answer";
    QTest::newRow("queue without answers: the server's view")
        << std::string("english") << Answers{} << noAnswers << "Not available on this connection" << grey
        << "This connection carries no answers from the printer. (print server: idle, accepting jobs)";
    QTest::newRow("ready, chinese") << std::string("chinese") << printer() << noFailure << QString::fromUtf8("就绪")
                                    << green << QString::fromUtf8("厂商：Acme，型号：TP-80");
    QTest::newRow("paper out, chinese") << std::string("chinese") << printer(0x7E) << noFailure
                                        << QString::fromUtf8("缺纸") << red << QString::fromUtf8("纸将尽、缺纸");
    QTest::newRow("queue without answers, chinese")
        << std::string("chinese") << Answers{} << noAnswers << QString::fromUtf8("此连接不支持查询") << grey
        << QString::fromUtf8("此连接无法读回打印机的应答。");
}

void TestStatusIndicator::showsWhatThePrinterSays()
{
    QFETCH(std::string, language);
    QFETCH(Answers, answers);
    QFETCH(int, errorCode);
    QFETCH(QString, text);
    QFETCH(QString, tooltipPart);
    MessageLog log;
    configureFake(language);
    fake::config().answers = answers;
    if (errorCode != DRAVIK_ERROR_NONE) {
        fake::config().queryResults = {-1};
        fake::config().lastErrorCode = errorCode;
        fake::config().lastError = "print server: idle, accepting jobs";
    }
    TfrmMain w;
    QVERIFY(settled(w)); // choosing the first queue asks
    QCOMPARE(w.statusIndicator->shown(), text);
    QTEST(int(w.statusIndicator->colour()), "colour");
    QVERIFY2(w.statusIndicator->toolTip().contains(tooltipPart), qPrintable(w.statusIndicator->toolTip()));
    const CallRecord &record = CallRecord::shared();
    QCOMPARE(record.entry(record.rowCount() - 1).outcome, CallEntry::Outcome::Asked);
    QVERIFY(record.entry(record.rowCount() - 1).reason.startsWith(text));
    QVERIFY(log.messages.empty()); // silent, whatever it says
}

void TestStatusIndicator::askedAfterSendsAndClicks()
{
    MessageLog log;
    configureFake();
    fake::config().answers = printer();
    TfrmMain w;
    QVERIFY(settled(w));
    w.bottomRow->Button12Click();
    fake::clearCalls();
    fake::config().sendResults = {1, 0};
    // Taken: the send itself asks the status (four requests), and the
    // indicator shows that answer with the identity it knew.
    w.printTests->Button14->click();
    QVERIFY(settled(w));
    QCOMPARE(queries(), 4);
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Ready"));
    QVERIFY(w.statusIndicator->toolTip().contains(QStringLiteral("TP-80")));
    // Failed: the indicator asks anew (status and identity).
    w.printTests->Button5->click();
    QVERIFY(settled(w));
    QCOMPARE(queries(), 12);
    fake::config().answers = printer(0x7E);
    QTest::mouseClick(w.statusIndicator, Qt::LeftButton);
    QVERIFY(settled(w));
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Paper out"));
    // Another language shows the same answer in it, without asking again.
    w.ApplyLanguage(QStringLiteral("chinese"));
    QCOMPARE(w.statusIndicator->shown(), QString::fromUtf8("缺纸"));
    QCOMPARE(queries(), 20);
    // A serial port not open: nothing known, nothing asked.
    w.connection->rdbCom->setChecked(true);
    QCOMPARE(w.statusIndicator->shown(), QString());
    QCOMPARE(queries(), 20);
}

// The printer took the bytes but reports paper out: the status line, the
// record and the indicator say nothing printed, and the one-key update stops
// there saying so.
void TestStatusIndicator::aPrinterOutOfPaperPrintedNothing()
{
    MessageLog log;
    configureFake();
    fake::config().answers = printer(0x7E);
    TfrmMain w;
    QVERIFY(settled(w));
    w.bottomRow->Button12Click();
    CallRecord::shared().clear();
    w.printTests->Button14->click();
    QVERIFY(settled(w));
    QCOMPARE(w.statusLine->status(),
             QStringLiteral("Sent 9 bytes \"Set config list\" to Receipt80: the printer took it but reports paper "
                            "out: nothing printed"));
    const CallRecord &record = CallRecord::shared();
    QCOMPARE(record.entry(0).outcome, CallEntry::Outcome::NotReady);
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Paper out"));
    QVERIFY(log.messages.empty());

    w.bottomRow->Button13->click();
    QCOMPARE(sends().size(), 2); // the function list, then the code page: stopped there
    QCOMPARE(log.texts(), QStringList{QStringLiteral("The one-key update stopped at \"Set the default font\": the "
                                                     "printer took it but reports paper out, so nothing printed. 0 of "
                                                     "the 8 selected steps were sent before it.")});
}

// While the window is active the printer is asked again on its own; an
// inactive window asks nothing.
void TestStatusIndicator::keepsWatchingWhileActive()
{
    MessageLog log;
    configureFake();
    fake::config().answers = printer();
    TfrmMain w;
    w.findChild<QTimer *>(QStringLiteral("printerWatch"))->setInterval(50);
    QVERIFY(settled(w));
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Ready"));
    const int asked = queries();
    QTest::qWait(300);
    QCOMPARE(queries(), asked); // not shown, not the active window

    fake::config().answers = printer(0x7E);
    w.show();
    QApplication::setActiveWindow(&w);
    QTRY_COMPARE(w.statusIndicator->shown(), QStringLiteral("Paper out"));
    QVERIFY(log.messages.empty());
}

// A queue the print server keeps from printing shows so, whatever the
// printer answers.
void TestStatusIndicator::aPausedQueueIsNotReady()
{
    MessageLog log;
    configureFake();
    fake::config().answers = printer();
    fake::config().queueStates = "Receipt80\tstopped\t1\tpaused\t\nKitchen58\tidle\t0\t\t\n";
    TfrmMain w;
    QVERIFY(settled(w));
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Queue paused"));
    QCOMPARE(int(w.statusIndicator->colour()), int(messages::IndicatorColour::Amber));
    QVERIFY(w.statusIndicator->toolTip().startsWith(QStringLiteral("Print queue Receipt80: paused")));
    w.connection->ComboPrinter->setCurrentIndex(1);
    emit w.connection->ComboPrinter->activated(1);
    QVERIFY(settled(w));
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Queue not accepting jobs"));
}

void TestStatusIndicator::aPathWithoutAnswersIsNotAskedAgain()
{
    MessageLog log;
    configureFake();
    fake::config().queryResults = {-1, -1};
    fake::config().lastErrorCode = DRAVIK_ERROR_NO_ANSWERS;
    TfrmMain w;
    QVERIFY(settled(w));
    w.bottomRow->Button12Click();
    QCOMPARE(queries(), 1);
    w.printTests->Button14->click();
    QVERIFY(settled(w));
    QCOMPARE(queries(), 1);
    QTest::mouseClick(w.statusIndicator, Qt::LeftButton); // the user may always ask
    QVERIFY(settled(w));
    QCOMPARE(queries(), 2);
    // Another queue may carry answers.
    w.connection->ComboPrinter->setCurrentIndex(1);
    emit w.connection->ComboPrinter->activated(1);
    QVERIFY(settled(w));
    QCOMPARE(queries(), 3);
}

void TestStatusIndicator::neverAskedOnTheInterfaceThread()
{
    MessageLog log;
    configureFake();
    TfrmMain w;
    QVERIFY(settled(w));
    fake::config().answers = printer();
    fake::config().queryDelayMs = 60; // eight requests: about half a second
    QTimer timer;
    int ticks = 0;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(10);
    QTest::mouseClick(w.statusIndicator, Qt::LeftButton);
    // The click returns at once; the answer comes later, and meanwhile the
    // window's thread keeps handling events (and the user's clicks).
    QVERIFY(w.statusIndicator->asking());
    QVERIFY(settled(w));
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Ready"));
    QVERIFY2(ticks >= 5, qPrintable(QStringLiteral("%1 ticks").arg(ticks)));
}

void TestStatusIndicator::reopenedAtTheNewRateConfirms()
{
    MessageLog log;
    configureFake();
    fake::config().answers = printer();
    fake::config().answerRate = 19200;
    fake::config().noise = {0xFF};
    TfrmMain w;
    QVERIFY(settled(w));
    w.connection->rdbCom->setChecked(true);
    w.connection->cmbBaudRate->setCurrentIndex(w.connection->cmbBaudRate->findText(QStringLiteral("9600")));
    w.connection->btnOpenCOM->click();
    QVERIFY(settled(w));
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("No answer"));
    QVERIFY(w.statusIndicator->toolTip().contains(QStringLiteral("wrong baud rate")));

    // The printer is set to 19200 and restarts: the port closes.
    w.bottomRow->Button12Click();
    w.settings->cboNewCom->setCurrentIndex(w.settings->cboNewCom->findText(QStringLiteral("19200")));
    w.settings->btnNewCom->click();
    QVERIFY(settled(w));
    QVERIFY(!w.portOpen());
    QCOMPARE(w.statusIndicator->shown(), QString());
    w.connection->btnOpenCOM->click();
    QVERIFY(settled(w));
    QCOMPARE(fake::callsOf("OpenComm").back().number, 19200);
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Ready"));
}

void TestStatusIndicator::logoWindowKeepsItsDesignedBar()
{
    MessageLog log;
    configureFake();
    fake::config().answers = printer();
    TForm3 w(PrinterTarget{QStringLiteral("LPT"), QStringLiteral("/dev/usb/lp0")}, [] { return false; });
    // The main window shows how the printer is; the logo window keeps its
    // designed size and its four panels.
    QCOMPARE(w.size(), QSize(542, 309));
    QVERIFY(!w.findChild<StatusIndicator *>());
    QCOMPARE(w.statusPanels[3]->geometry().right(), 389);
    QVERIFY(log.messages.empty());
}

QTEST_MAIN(TestStatusIndicator)
#include "tst_status_indicator.moc"
