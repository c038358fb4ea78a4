// The printer session through the fake library: where its calls go (the
// serial port that was opened, not the one chosen since), which export it
// says is missing, and the withdrawal of a waiting job with its second look.
#include "dravik_binding.h"
#include "fake_dravik.h"
#include "printer_session.h"

#include <QTest>

Q_DECLARE_METATYPE(PathKind)
Q_DECLARE_METATYPE(SessionAction)
Q_DECLARE_METATYPE(Withdrawal)
Q_DECLARE_METATYPE(SendStatus)

namespace {

QString callNames()
{
    QStringList names;
    for (const fake::Call &c : fake::calls())
        names << QString::fromStdString(c.function);
    return names.join(QLatin1Char(' '));
}

const Command kCommand{{0x1b, 0x40}, "Test"};

} // namespace

class TstPrinterSession : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        fake::reset();
        QVERIFY(lib_.isLoaded() || lib_.load());
    }

    void targetOfEachPath_data();
    void targetOfEachPath();
    void serialSendsKeepTheChosenNameQuestionsTheOpenedPort();
    void missingExport_data();
    void missingExport();
    void waitingJobWithdrawn_data();
    void waitingJobWithdrawn();

private:
    DravikBinding lib_;
};

void TstPrinterSession::targetOfEachPath_data()
{
    QTest::addColumn<PathKind>("kind");
    QTest::addColumn<QString>("portName");
    QTest::addColumn<bool>("ready");
    QTest::newRow("print queue") << PathKind::Queue << "DRIVE" << true;
    QTest::newRow("serial port, not open") << PathKind::Serial << "COM" << false;
    QTest::newRow("printer port") << PathKind::Port << "LPT" << true;
    QTest::newRow("nothing chosen") << PathKind::None << "" << false;
}

void TstPrinterSession::targetOfEachPath()
{
    QFETCH(PathKind, kind);
    QFETCH(QString, portName);
    PrinterSession session(lib_);
    session.choose(kind, QStringLiteral("dev"));
    const PrinterTarget target = session.target();
    QCOMPARE(target.portName, portName);
    QCOMPARE(target.kind(), kind);
    QCOMPARE(target.printerName, QStringLiteral("dev"));
    QTEST(session.ready(), "ready");

    // The library gets the path's name, the empty one too: it refuses what
    // it cannot reach.
    const SendReport sent = session.send(kCommand);
    QVERIFY(sent.done());
    QCOMPARE(fake::callsOf("SendBufferToPrint").at(0).texts.at(0), portName.toStdString());
}

void TstPrinterSession::serialSendsKeepTheChosenNameQuestionsTheOpenedPort()
{
    PrinterSession session(lib_);
    session.choose(PathKind::Serial, QStringLiteral("/dev/ttyUSB0"));
    // Another port opened than the one chosen with the mode.
    QCOMPARE(session.open(QStringLiteral("/dev/ttyACM0"), 9600).result, 1);
    QVERIFY(session.ready());
    QCOMPARE(session.target().printerName, QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(session.target().baudRate, 9600);
    QCOMPARE(session.linkTarget().printerName, QStringLiteral("/dev/ttyACM0"));
    session.send(kCommand);
    // A close names what it is given; it ends the open port.
    QCOMPARE(session.close(QStringLiteral(" COM5 ")).result, 1);
    QCOMPARE(callNames(), QStringLiteral("OpenComm SendBufferToPrint CloseComm"));
    QCOMPARE(fake::callsOf("SendBufferToPrint").at(0).texts.at(1), std::string("/dev/ttyUSB0"));
    QCOMPARE(fake::callsOf("CloseComm").at(0).texts.at(0), std::string(" COM5 "));

    QVERIFY(!session.portOpen());
    QCOMPARE(session.linkTarget().printerName, QStringLiteral("/dev/ttyUSB0"));

    // A failed open leaves it closed, with the library's reason.
    fake::config().openResults = {-1};
    fake::config().lastError = "busy";
    const PortCall failed = session.open(QStringLiteral("/dev/ttyACM0"), 9600);
    QCOMPARE(failed.result, -1);
    QCOMPARE(failed.reason.text, QStringLiteral("busy"));
    QVERIFY(!session.portOpen());
}

void TstPrinterSession::missingExport_data()
{
    QTest::addColumn<QString>("library");
    QTest::addColumn<SessionAction>("action");
    QTest::addColumn<QString>("missing");
    const QString full, partial = QStringLiteral(NPS_PARTIAL_FAKE), old = QStringLiteral(NPS_NOANSWERS_FAKE);
    QTest::newRow("full: send") << full << SessionAction::Send << "";
    QTest::newRow("full: follow") << full << SessionAction::Follow << "";
    QTest::newRow("partial: send") << partial << SessionAction::Send << "SendBufferToPrint";
    QTest::newRow("partial: open") << partial << SessionAction::Open << "OpenComm";
    QTest::newRow("partial: close") << partial << SessionAction::Close << "";
    QTest::newRow("without answers: query") << old << SessionAction::Query << "QueryPrinter";
    QTest::newRow("without answers: follow") << old << SessionAction::Follow << "FollowLastJob";
    QTest::newRow("without answers: withdraw") << old << SessionAction::Withdraw << "CancelLastJob";
    QTest::newRow("without answers: send") << old << SessionAction::Send << "";
}

void TstPrinterSession::missingExport()
{
    QFETCH(QString, library);
    QFETCH(SessionAction, action);
    QFETCH(QString, missing);
    DravikBinding other;
    const bool separate = !library.isEmpty();
    if (separate)
        QVERIFY(other.loadFrom(library));
    const PrinterSession session(separate ? other : lib_);
    QCOMPARE(QString::fromLatin1(session.missingExport(action)), missing);
    QCOMPARE(session.can(action), missing.isEmpty());
}

void TstPrinterSession::waitingJobWithdrawn_data()
{
    QTest::addColumn<QList<int>>("follow"); // FollowLastJob's results
    QTest::addColumn<int>("cancel");
    QTest::addColumn<Withdrawal>("result");
    QTest::addColumn<QString>("calls");
    QTest::newRow("withdrawn") << QList<int>{0} << 1 << Withdrawal::Withdrawn
                               << "SendBufferToPrint FollowLastJob CancelLastJob";
    QTest::newRow("printed while being withdrawn") << QList<int>{0, 1} << 0 << Withdrawal::PrintedMeanwhile
                                                   << "SendBufferToPrint FollowLastJob CancelLastJob FollowLastJob";
    QTest::newRow("still waiting: may print later") << QList<int>{0, 0} << 0 << Withdrawal::NotWithdrawn
                                                    << "SendBufferToPrint FollowLastJob CancelLastJob FollowLastJob";
    // (The fake's failed withdrawal reads code 12 in this row.)
    QTest::newRow("being handed to the printer: stopped while printing")
        << QList<int>{0} << 0 << Withdrawal::StoppedWhilePrinting << "SendBufferToPrint FollowLastJob CancelLastJob";
}

void TstPrinterSession::waitingJobWithdrawn()
{
    QFETCH(QList<int>, follow);
    QFETCH(int, cancel);
    fake::config().followResults.assign(follow.begin(), follow.end());
    fake::config().cancelResults = {cancel};
    fake::config().lastError = "paused";
    if (QByteArray(QTest::currentDataTag()).contains("stopped while printing"))
        fake::config().lastErrorCode = DRAVIK_ERROR_STOPPED_WHILE_PRINTING;
    PrinterSession session(lib_);
    session.choose(PathKind::Queue, QStringLiteral("Receipt80"));
    const SendReport sent = session.send(kCommand);
    QCOMPARE(sent.job, JobFate::Waiting);
    QVERIFY(sent.called() && !sent.done());
    const WithdrawReport withdrawal = session.withdrawWaitingJob();
    QTEST(withdrawal.result, "result");
    QTEST(callNames(), "calls");
    if (fake::calls().size() > 3)
        QCOMPARE(fake::calls().back().number, 0); // the second look does not wait
    if (withdrawal.result == Withdrawal::NotWithdrawn)
        QCOMPARE(withdrawal.refusal.text, QStringLiteral("paused"));
    if (withdrawal.result == Withdrawal::StoppedWhilePrinting)
        QCOMPARE(withdrawal.refusal.code, int(DRAVIK_ERROR_STOPPED_WHILE_PRINTING));
}

QTEST_GUILESS_MAIN(TstPrinterSession)
#include "tst_printer_session.moc"
