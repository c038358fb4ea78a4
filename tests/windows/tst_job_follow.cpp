// A send to a print queue is followed to the printer when the library can:
// taken, still waiting (withdrawn or left queued, as the user chooses, with
// the right default), or failed; the one-key update stops at a job that did
// not print; a library without the job exports sees exactly the calls it
// saw before, and is never asked how the printer is.
#include "window_fixture.h"

#include "call_record.h"
#include "nvlogo_window.h"
#include "other_fake.h"
#include "status_indicator.h"
#include "status_line.h"

#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>

namespace {
std::unique_ptr<TfrmMain> queueWindow(const std::string &language = "english")
{
    configureFake(language);
    auto w = std::make_unique<TfrmMain>();
    if (!settled(*w))
        qFatal("the start-up lists did not arrive");
    w->bottomRow->Button12Click();
    fake::clearCalls();
    return w;
}

// Answers every question with answer (recording it); -1 leaves the default.
struct Answers
{
    std::vector<Message> questions;
    explicit Answers(int answer)
    {
        if (answer >= 0)
            notifier::setAskHandler([this, answer](QWidget *, const Message &q) {
                questions.push_back(q);
                return answer == 1;
            });
    }
    ~Answers() { notifier::setAskHandler({}); }
};

CallEntry::Outcome lastOutcome()
{
    const CallRecord &record = CallRecord::shared();
    return record.entry(record.rowCount() - 1).outcome;
}
} // namespace

class TestJobFollow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void queueJobs_data();
    void queueJobs();
    void updateStopsAtAJobThatDidNotPrint_data();
    void updateStopsAtAJobThatDidNotPrint();
    void logoWindowFollowsItsJobs_data();
    void logoWindowFollowsItsJobs();
    void noFollowingWithoutTheExports();
    void chineseWaitingQuestion();
    void noQueueLeftIsRefusedByTheLibrary_data();
    void noQueueLeftIsRefusedByTheLibrary();
    void queueStatesShowInTheList_data();
    void queueStatesShowInTheList();
};

void TestJobFollow::init()
{
    fake::reset();
    CallRecord::shared().clear();
}

void TestJobFollow::queueJobs_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("follow");     // FollowLastJob's result
    QTest::addColumn<int>("cancel");     // CancelLastJob's result
    QTest::addColumn<int>("recheck");    // FollowLastJob's result when the withdrawal failed
    QTest::addColumn<int>("answer");     // to "withdraw?": 1 yes, 0 no, -1 the default
    QTest::addColumn<QString>("status"); // how the status line ends
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("withdrawCalled");
    QTest::addColumn<QString>("lastMessage"); // part of it; empty: no message at all

    const int printed = int(CallEntry::Outcome::Printed), withdrawn = int(CallEntry::Outcome::Withdrawn),
              left = int(CallEntry::Outcome::LeftQueued), failed = int(CallEntry::Outcome::Failed),
              stopped = int(CallEntry::Outcome::StoppedWhilePrinting);
    QTest::newRow("taken by the printer")
        << "Button14" << 1 << 1 << 0 << -1 << "to Receipt80: the printer took it" << printed << false << "";
    QTest::newRow("setting waits: withdrawn by default")
        << "btnBarcode" << 0 << 1 << 0 << -1 << "the printer did not take it; the job was withdrawn" << withdrawn
        << true << "is still waiting in the print queue Receipt80";
    QTest::newRow("factory reset waits: the user leaves it")
        << "Button9" << 0 << 1 << 0 << 0 << "the job was left queued" << left << false << "";
    QTest::newRow("test print waits: left queued by default")
        << "Button14" << 0 << 1 << 0 << -1 << "the job was left queued" << left << false
        << "is still waiting in the print queue Receipt80";
    QTest::newRow("test print waits: the user withdraws it")
        << "Button14" << 0 << 1 << 0 << 1 << "the job was withdrawn" << withdrawn << true << "";
    QTest::newRow("the withdrawal fails: told, and the job stays")
        << "btnBarcode" << 0 << 0 << 0 << 1 << "the job was left queued" << left << true
        << "could not be withdrawn from the print queue Receipt80: the job is still queued.";
    // (The fake's failed withdrawal reads code 12 in this row.)
    QTest::newRow("being handed to the printer: stopped while printing, never withdrawn")
        << "btnBarcode" << 0 << 0 << 0 << -1
        << "to Receipt80: stopped while printing: the printer may have received part or all of it" << stopped << true
        << "is still waiting in the print queue Receipt80";
    QTest::newRow("the withdrawal fails as the printer took it: printed")
        << "btnBarcode" << 0 << 0 << 1 << 1 << "to Receipt80: the printer took it" << printed << true << "";
    QTest::newRow("the job fails: told like a failed send")
        << "btnBarcode" << -1 << 1 << 0 << -1 << "failed: The print queue does not accept jobs." << failed << false
        << "\"Barcode function\" could not be sent. The print queue does not accept jobs.";
}

void TestJobFollow::queueJobs()
{
    QFETCH(QString, button);
    QFETCH(int, follow);
    QFETCH(int, cancel);
    QFETCH(int, answer);
    QFETCH(QString, status);
    QFETCH(bool, withdrawCalled);
    QFETCH(QString, lastMessage);
    MessageLog log;
    Answers answers(answer);
    auto w = queueWindow();
    QFETCH(int, recheck);
    fake::config().followResults = {follow, recheck};
    fake::config().cancelResults = {cancel};
    fake::config().lastError = "queue \"Receipt80\" is paused";
    fake::config().lastErrorCode = follow < 0 ? DRAVIK_ERROR_QUEUE_REFUSED : DRAVIK_ERROR_OTHER;
    if (QByteArray(QTest::currentDataTag()).contains("stopped while printing"))
        fake::config().lastErrorCode = DRAVIK_ERROR_STOPPED_WHILE_PRINTING;

    w->findChild<QPushButton *>(button)->click();
    // Followed right after its send, on the same (worker) thread, for 5 s.
    const auto calls = fake::calls();
    QVERIFY(calls.size() >= 2);
    QCOMPARE(calls[0].function, std::string("SendBufferToPrint"));
    QCOMPARE(calls[1].function, std::string("FollowLastJob"));
    QCOMPARE(calls[1].number, 5000);
    QCOMPARE(fake::callsOf("CancelLastJob").size(), size_t(withdrawCalled ? 1 : 0));
    QVERIFY2(w->statusLine->status().endsWith(status), qPrintable(w->statusLine->status()));
    QTEST(int(lastOutcome()), "outcome");

    // The question names the library's reason as its detail.
    std::vector<Message> told = log.messages;
    told.insert(told.end(), answers.questions.begin(), answers.questions.end());
    for (const Message &m : told)
        if (m.text.contains(QStringLiteral("still waiting")))
            QCOMPARE(m.detail, QStringLiteral("The job is waiting in the print queue: the printer has not taken it. "
                                              "(queue \"Receipt80\" is paused)"));
    if (lastMessage.isEmpty()) {
        QVERIFY2(log.messages.empty(), qPrintable(log.texts().join(QLatin1Char('\n'))));
    } else {
        QVERIFY(!log.messages.empty());
        QVERIFY2(log.messages.back().text.contains(lastMessage), qPrintable(log.messages.back().text));
    }
}

void TestJobFollow::updateStopsAtAJobThatDidNotPrint_data()
{
    QTest::addColumn<int>("cancelCode"); // GetLastErrorCode after the failed withdrawal
    QTest::addColumn<int>("cancel");
    QTest::addColumn<QString>("stop");
    QTest::newRow("withdrawn") << int(DRAVIK_ERROR_OTHER) << 1
                               << "The one-key update stopped at \"Baud rate config(restart printer)\": the printer "
                                  "did not take it (the job was withdrawn). 1 of the 8 selected steps were sent "
                                  "before it.";
    QTest::newRow("stopped while printing")
        << int(DRAVIK_ERROR_STOPPED_WHILE_PRINTING) << 0
        << "The one-key update stopped at \"Baud rate config(restart printer)\": its job was stopped while "
           "printing, so the printer may have received part or all of it. 1 of the 8 selected steps were sent "
           "before it.";
}

void TestJobFollow::updateStopsAtAJobThatDidNotPrint()
{
    QFETCH(int, cancelCode);
    QFETCH(int, cancel);
    MessageLog log;
    auto w = queueWindow();
    fake::config().followResults = {1, 0};
    fake::config().cancelResults = {cancel};
    fake::config().lastErrorCode = cancelCode;
    w->bottomRow->Button13->click();
    QCOMPARE(fake::callsOf("SendBufferToPrint").size(), size_t(2));
    QCOMPARE(fake::callsOf("CancelLastJob").size(), size_t(1)); // a setting: withdrawn by default
    QCOMPARE(log.messages.size(), size_t(2));                   // the question, then the stop
    QTEST(log.messages.back().text, "stop");
}

void TestJobFollow::logoWindowFollowsItsJobs_data()
{
    QTest::addColumn<bool>("download");
    QTest::addColumn<bool>("withdrawCalled");
    QTest::addColumn<QString>("status");
    QTest::newRow("download: withdrawn, no flash wait") << true << true << "the job was withdrawn";
    QTest::newRow("test print: left queued") << false << false << "the job was left queued";
}

void TestJobFollow::logoWindowFollowsItsJobs()
{
    QFETCH(bool, download);
    QFETCH(bool, withdrawCalled);
    QFETCH(QString, status);
    QTemporaryDir dir;
    MessageLog log;
    TForm3 w(PrinterTarget{QStringLiteral("DRIVE"), QStringLiteral("Receipt80")}, [] { return false; });
    w.downloadWaitMs = 60000; // would time the test out if waited
    QImage image(16, 8, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QString path = dir.filePath(QStringLiteral("logo.bmp"));
    QVERIFY(image.save(path, "BMP"));
    w.chooseFile = [path] { return path; };
    w.BitBtn22->click();
    fake::config().followResults = {0};

    (download ? w.BitBtn25 : w.BitBtn1)->click();
    QCOMPARE(fake::callsOf("FollowLastJob").size(), size_t(1));
    QCOMPARE(fake::callsOf("CancelLastJob").size(), size_t(withdrawCalled ? 1 : 0));
    QCOMPARE(log.messages.size(), size_t(1)); // the question only: no "not stored"
    QVERIFY(log.messages[0].text.contains(QStringLiteral("still waiting in the print queue Receipt80")));
    QVERIFY2(w.lastStatus().endsWith(status), qPrintable(w.lastStatus()));
    QVERIFY(!w.downloading() && w.BitBtn25->isEnabled());
}

void TestJobFollow::noFollowingWithoutTheExports()
{
    OtherFake old(NPS_NOANSWERS_FAKE);
    old.reset();
    old.config().printers = "Receipt80\n";
    MessageLog log;
    TfrmMain w(QStringLiteral(NPS_NOANSWERS_FAKE));
    QVERIFY(settled(w));
    // Nor is the printer asked how it is: the indicator says why, in grey.
    QCOMPARE(old.callNames(), (std::vector<std::string>{"GetDravikDllVer", "isLanguage", "GetPrintDriveNames",
                                                        "GetSystemSerial", "GetPrintDrivePortNames"}));
    QCOMPARE(w.statusIndicator->shown(), QStringLiteral("Not available on this connection"));
    QVERIFY(w.statusIndicator->toolTip().contains(QStringLiteral("has no QueryPrinter")));
    w.bottomRow->Button12Click();
    old.clearCalls();
    w.printTests->Button14->click();
    w.settings->btnBarcode->click();
    QCOMPARE(old.callNames(), (std::vector<std::string>{"SendBufferToPrint", "SendBufferToPrint"}));
    QVERIFY(log.messages.empty());
    QVERIFY(w.statusLine->status().endsWith(QStringLiteral("to Receipt80: queued by the print server")));
    QCOMPARE(lastOutcome(), CallEntry::Outcome::Queued);
}

void TestJobFollow::chineseWaitingQuestion()
{
    MessageLog log;
    auto w = queueWindow("chinese");
    fake::config().followResults = {0};
    w->printTests->Button9->click();
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY2(log.messages[0].text.startsWith(QString::fromUtf8("“恢复出厂设置”仍在打印队列 Receipt80 中等待")),
             qPrintable(log.messages[0].text));
    QVERIFY(w->statusLine->status().endsWith(QString::fromUtf8("打印机未接收，作业已从队列撤回")));
}

void TestJobFollow::noQueueLeftIsRefusedByTheLibrary_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("hint");
    QTest::newRow("english") << "english"
                             << "There is no print queue to send to. Add a printer, or press Refresh.";
    QTest::newRow("chinese") << "chinese"
                             << QString::fromUtf8("没有可用的打印队列，无法发送。请添加打印机或点击“刷新”。");
}

void TestJobFollow::noQueueLeftIsRefusedByTheLibrary()
{
    QFETCH(QString, language);
    QFETCH(QString, hint);
    MessageLog log;
    auto w = queueWindow(language.toStdString());
    // The print server went away: the refreshed list is empty.
    fake::config().printers.clear();
    fake::config().lastErrorCode = DRAVIK_ERROR_SERVER_UNREACHABLE;
    w->connection->btnRef->click();
    // The press reaches the library with no queue named; its refusal is told
    // as a failed send, with how to get a queue back.
    fake::config().sendResults = {0};
    fake::config().lastErrorCode = DRAVIK_ERROR_NOT_FOUND;
    w->printTests->Button14->click();
    const auto sent = fake::callsOf("SendBufferToPrint");
    QCOMPARE(sent.size(), size_t(1));
    QCOMPARE(sent[0].texts[0], std::string("DRIVE"));
    QCOMPARE(sent[0].texts[1], std::string());
    QCOMPARE(log.messages.size(), size_t(1));
    QVERIFY2(log.messages[0].text.endsWith(hint), qPrintable(log.messages[0].text));
}

void TestJobFollow::queueStatesShowInTheList_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("firstTip");
    QTest::addColumn<QString>("secondTip");
    QTest::addColumn<QString>("status"); // after choosing the second queue
    QTest::newRow("english") << "english"
                             << "idle"
                             << "paused, not accepting jobs (media-empty-error): Out of paper"
                             << "Print queue Kitchen58: paused, not accepting jobs (media-empty-error): Out of paper";
    QTest::newRow("chinese") << "chinese" << QString::fromUtf8("空闲")
                             << QString::fromUtf8("已暂停，不接收作业（media-empty-error）：Out of paper")
                             << QString::fromUtf8(
                                    "打印队列 Kitchen58：已暂停，不接收作业（media-empty-error）：Out of paper");
}

void TestJobFollow::queueStatesShowInTheList()
{
    QFETCH(QString, language);
    QFETCH(QString, firstTip);
    QFETCH(QString, secondTip);
    MessageLog log;
    configureFake(language.toStdString());
    fake::config().queueStates =
        "Receipt80\tidle\t1\t\t\nKitchen58\tstopped\t0\tpaused,media-empty-error\tOut of paper\n";
    TfrmMain w;
    QVERIFY(settled(w));
    QCOMPARE(w.connection->ComboPrinter->itemData(0, Qt::ToolTipRole).toString(), firstTip);
    QCOMPARE(w.connection->ComboPrinter->itemData(1, Qt::ToolTipRole).toString(), secondTip);
    QCOMPARE(w.connection->ComboPrinter->toolTip(), firstTip);
    w.connection->ComboPrinter->setCurrentIndex(1);
    emit w.connection->ComboPrinter->activated(1);
    QTEST(w.statusLine->status(), "status");
    QCOMPARE(w.connection->ComboPrinter->toolTip(), secondTip);
    QVERIFY(log.messages.empty());
}

QTEST_MAIN(TestJobFollow)
#include "tst_job_follow.moc"
