// The one delivery path through the fake library: the steps' order, the
// steps left out just before their turn, the stop at the first command not
// done with what was left unsent, what becomes of a waiting job, and the
// serial port opened around a plan, and a queue's jobs sent back to back and
// followed together.
#include "delivery_path.h"
#include "dravik_binding.h"
#include "fake_dravik.h"

#include <QTest>

Q_DECLARE_METATYPE(CommandEnd)

namespace {

// Steps a b c d of one command each (c of two); b changes the serial rate.
// A command's document name is its step's name and its place in the step.
std::vector<PlanStep> plan()
{
    static const char *const kDocs[] = {"a1", "b1", "c1", "c2", "d1"};
    std::vector<PlanStep> steps;
    for (const char *doc : kDocs) {
        const QString step = QLatin1String(doc).left(1);
        if (steps.empty() || steps.back().name != step)
            steps.push_back({step, {}, step == QLatin1String("b"), false});
        steps.back().commands.push_back(Command{{0x1b, 0x40}, doc});
    }
    return steps;
}

QString sentDocs()
{
    QString docs;
    for (const fake::Call &c : fake::callsOf("SendBufferToPrint"))
        docs += QString::fromStdString(c.texts[2]) + QLatin1Char(' ');
    return docs.trimmed();
}

} // namespace

class TstDeliveryPath : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        fake::reset();
        QVERIFY(lib_.isLoaded() || lib_.load());
    }
    void orderSkipsAndStop_data();
    void orderSkipsAndStop();
    void waitingJob_data();
    void waitingJob();
    void serialPortAroundThePlan_data();
    void serialPortAroundThePlan();
    void backToBack_data();
    void backToBack();

private:
    DravikBinding lib_;
};

void TstDeliveryPath::orderSkipsAndStop_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<bool>("baudLast");
    QTest::addColumn<QString>("skipped");  // steps left out
    QTest::addColumn<QList<int>>("sends"); // successive send results
    QTest::addColumn<QString>("docs");     // sent, in order
    QTest::addColumn<QString>("doneSteps");
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QString>("stoppedAt"); // "" none
    QTest::addColumn<int>("notSent");
    QTest::newRow("the plan's order") << false << false << "" << QList<int>{} << "a1 b1 c1 c2 d1"
                                      << "abcd" << 4 << "" << 0;
    QTest::newRow("baud last asked, not a serial port") << false << true << "" << QList<int>{} << "a1 b1 c1 c2 d1"
                                                        << "abcd" << 4 << "" << 0;
    QTest::newRow("over a serial port the rate last") << true << true << "" << QList<int>{} << "a1 c1 c2 d1 b1"
                                                      << "acdb" << 4 << "" << 0;
    QTest::newRow("steps left out") << true << true << "ac" << QList<int>{} << "d1 b1"
                                    << "db" << 2 << "" << 0;
    QTest::newRow("stops inside a step") << false << false << "" << QList<int>{1, 1, 1, 0} << "a1 b1 c1 c2"
                                         << "ab" << 4 << "c" << 1;
    QTest::newRow("the rate step fails last") << true << true << "a" << QList<int>{1, 1, 1, 0} << "c1 c2 d1 b1"
                                              << "cd" << 3 << "b" << 0;
}

void TstDeliveryPath::orderSkipsAndStop()
{
    QFETCH(bool, serial);
    QFETCH(bool, baudLast);
    QFETCH(QString, skipped);
    QFETCH(QList<int>, sends);
    fake::config().sendResults.assign(sends.begin(), sends.end());
    PrinterSession session(lib_);
    session.choose(serial ? PathKind::Serial : PathKind::Queue, QStringLiteral("dev"));
    QString done;
    DeliveryHooks hooks;
    hooks.wanted = [&skipped](const PlanStep &step) { return !skipped.contains(step.name); };
    hooks.stepDone = [&done](const PlanStep &step) { done += step.name; };
    DeliveryOptions options;
    options.baudRateLast = baudLast;
    const DeliveryResult result = deliverPlan(session, plan(), hooks, options);
    QTEST(sentDocs(), "docs");
    QTEST(done, "doneSteps");
    QTEST(result.wanted, "wanted");
    QCOMPARE(result.done, done.size());
    QFETCH(QString, stoppedAt);
    QCOMPARE(result.stopped() ? plan().at(std::size_t(result.stoppedAt)).name : QString(), stoppedAt);
    QTEST(result.notSent, "notSent");
    QCOMPARE(result.ok(), stoppedAt.isEmpty());
    if (result.stopped())
        QCOMPARE(result.stop.end, CommandEnd::Failed);
}

void TstDeliveryPath::waitingJob_data()
{
    QTest::addColumn<bool>("keepWaiting"); // the step offers to leave it queued
    QTest::addColumn<QList<int>>("follow");
    QTest::addColumn<int>("cancel");
    QTest::addColumn<CommandEnd>("end");
    QTest::addColumn<QString>("docs");
    QTest::newRow("printed") << false << QList<int>{1} << 1 << CommandEnd::Done << "a1 b1 c1 c2 d1";
    QTest::newRow("being handed to the printer: stopped, not withdrawn")
        << false << QList<int>{0} << 0 << CommandEnd::StoppedWhilePrinting << "a1";
    QTest::newRow("withdrawn") << false << QList<int>{0} << 1 << CommandEnd::Withdrawn << "a1";
    QTest::newRow("printed while withdrawn") << false << QList<int>{0, 1} << 0 << CommandEnd::Done << "a1 b1 c1 c2 d1";
    QTest::newRow("could not be withdrawn") << false << QList<int>{0, 0} << 0 << CommandEnd::NotWithdrawn << "a1";
    QTest::newRow("left queued") << true << QList<int>{0} << 1 << CommandEnd::LeftQueued << "a1";
}

void TstDeliveryPath::waitingJob()
{
    QFETCH(bool, keepWaiting);
    QFETCH(QList<int>, follow);
    QFETCH(int, cancel);
    fake::config().followResults.assign(follow.begin(), follow.end());
    fake::config().cancelResults = {cancel};
    fake::config().lastError = "paused";
    if (QTest::currentDataTag() == QByteArray("being handed to the printer: stopped, not withdrawn"))
        fake::config().lastErrorCode = DRAVIK_ERROR_STOPPED_WHILE_PRINTING;
    PrinterSession session(lib_);
    session.choose(PathKind::Queue, QStringLiteral("Receipt80"));
    std::vector<PlanStep> steps = plan();
    steps.front().keepWaitingJobs = keepWaiting;
    std::vector<CommandEnd> ends;
    DeliveryHooks hooks;
    hooks.commandEnded = [&ends](const PlanStep &, const Command &, const CommandOutcome &o) { ends.push_back(o.end); };
    const DeliveryResult result = deliverPlan(session, steps, hooks);
    QTEST(sentDocs(), "docs");
    QFETCH(CommandEnd, end);
    QCOMPARE(ends.front(), end);
    QCOMPARE(result.stopped(), end != CommandEnd::Done);
    if (result.stopped()) {
        QCOMPARE(result.stop.end, end);
        QCOMPARE(result.stop.reason.text, QStringLiteral("paused")); // the queue's reason, named once
        QCOMPARE(result.notSent, 4);
    }
}

void TstDeliveryPath::serialPortAroundThePlan_data()
{
    QTest::addColumn<int>("open");
    QTest::addColumn<int>("close");
    QTest::addColumn<QString>("calls");
    QTest::addColumn<bool>("ok");
    QTest::newRow("opened and closed") << 1 << 1 << "OpenComm SendBufferToPrint CloseComm" << true;
    QTest::newRow("missing or held: nothing sent") << -1 << 1 << "OpenComm" << false;
    QTest::newRow("failed close") << 1 << 0 << "OpenComm SendBufferToPrint CloseComm" << false;
}

void TstDeliveryPath::serialPortAroundThePlan()
{
    QFETCH(int, open);
    QFETCH(int, close);
    fake::config().openResults = {open};
    fake::config().closeResults = {close};
    PrinterSession session(lib_);
    session.choose(PathKind::Serial, QStringLiteral("/dev/ttyUSB0"));
    DeliveryOptions options;
    options.openSerial = true;
    options.serialRate = 19200;
    std::vector<PlanStep> steps = plan();
    steps.resize(1);
    const DeliveryResult result = deliverPlan(session, steps, {}, options);
    QStringList names;
    for (const fake::Call &c : fake::calls())
        if (c.function != "GetLastErrorText" && c.function != "GetLastErrorCode")
            names << QString::fromStdString(c.function);
    QTEST(names.join(QLatin1Char(' ')), "calls");
    QTEST(result.ok(), "ok");
    QCOMPARE(fake::callsOf("OpenComm").at(0).number, 19200);
    QVERIFY(!session.portOpen() || close == 0);
}

void TstDeliveryPath::backToBack_data()
{
    QTest::addColumn<QList<int>>("sends");  // successive send results
    QTest::addColumn<int>("printed");       // what the follow of the sent jobs says
    QTest::addColumn<int>("stopCode");      // and the code of the one that stopped it
    QTest::addColumn<int>("withdrawal");    // the withdrawal's result (Withdrawal)
    QTest::addColumn<QString>("docs");      // sent, in order
    QTest::addColumn<QString>("told");      // each command's end, in order: d done, w withdrawn, f failed, s stopped
    QTest::addColumn<QString>("stoppedAt"); // "" none
    QTest::addColumn<int>("behind");        // sent after the stop
    QTest::addColumn<CommandEnd>("behindEnd");
    QTest::addColumn<int>("notSent");
    QTest::addColumn<int>("withdrawals");
    const int waiting = DRAVIK_ERROR_WAITING_IN_QUEUE, other = DRAVIK_ERROR_OTHER;
    const int whole = int(Withdrawal::Withdrawn), stopped = int(Withdrawal::StoppedWhilePrinting),
              meanwhile = int(Withdrawal::PrintedMeanwhile);
    QTest::newRow("all printed, told in order") << QList<int>{} << 5 << 0 << whole << "a1 b1 c1 c2 d1"
                                                << "ddddd"
                                                << "" << 0 << CommandEnd::Withdrawn << 0 << 0;
    QTest::newRow("the third still waits: withdrawn with the two behind it")
        << QList<int>{} << 2 << waiting << whole << "a1 b1 c1 c2 d1"
        << "ddw"
        << "c" << 2 << CommandEnd::Withdrawn << 0 << 1;
    QTest::newRow("the first was being printed: stopped with the rest")
        << QList<int>{} << 0 << waiting << stopped << "a1 b1 c1 c2 d1"
        << "s"
        << "a" << 4 << CommandEnd::StoppedWhilePrinting << 0 << 1;
    QTest::newRow("the second was aborted: the jobs behind it withdrawn")
        << QList<int>{} << 1 << other << whole << "a1 b1 c1 c2 d1"
        << "df"
        << "b" << 3 << CommandEnd::Withdrawn << 0 << 1;
    QTest::newRow("the third printed while withdrawn: the one behind it was withdrawn")
        << QList<int>{} << 2 << waiting << meanwhile << "a1 b1 c1 c2 d1"
        << "dddw"
        << "c" << 1 << CommandEnd::Withdrawn << 0 << 1;
    QTest::newRow("the library refused the fourth: the three before it followed")
        << QList<int>{1, 1, 1, 0} << 3 << 0 << whole << "a1 b1 c1 c2"
        << "dddf"
        << "c" << 0 << CommandEnd::Withdrawn << 1 << 0;
}

void TstDeliveryPath::backToBack()
{
    QFETCH(QList<int>, sends);
    QFETCH(int, printed);
    QFETCH(int, stopCode);
    QFETCH(int, withdrawal);
    fake::config().sendResults.assign(sends.begin(), sends.end());
    PrinterSession session(lib_);
    session.choose(PathKind::Queue, QStringLiteral("Receipt80"));
    QString told, done;
    int withdrawals = 0, followedCount = -1;
    DeliveryHooks hooks;
    hooks.followSent = [&](int sent) {
        followedCount = sent;
        SentJobsFollow f;
        f.printed = qMin(printed, sent);
        f.stop.fate = f.printed == sent                                ? JobFate::Printed
                      : stopCode == int(DRAVIK_ERROR_WAITING_IN_QUEUE) ? JobFate::Waiting
                                                                       : JobFate::Failed;
        f.stop.reason = {stopCode, QStringLiteral("why")};
        return f;
    };
    hooks.withdraw = [&] {
        ++withdrawals;
        WithdrawReport r;
        r.result = Withdrawal(withdrawal);
        return r;
    };
    hooks.commandEnded = [&told](const PlanStep &, const Command &, const CommandOutcome &o) {
        static const char kEnds[] = "dfwlnrs"; // in CommandEnd's order
        told += QLatin1Char(kEnds[int(o.end)]);
    };
    hooks.stepDone = [&done](const PlanStep &step) { done += step.name; };
    DeliveryOptions options;
    options.backToBack = true;
    const DeliveryResult result = deliverPlan(session, plan(), hooks, options);
    QTEST(sentDocs(), "docs");
    QTEST(told, "told");
    // Every send went out before the one follow.
    QCOMPARE(followedCount, int(fake::callsOf("SendBufferToPrint").size()) - (sends.contains(0) ? 1 : 0));
    QCOMPARE(fake::callsOf("FollowLastJob").size(), std::size_t(0));
    QFETCH(QString, stoppedAt);
    QCOMPARE(result.stopped() ? plan().at(std::size_t(result.stoppedAt)).name : QString(), stoppedAt);
    QCOMPARE(result.done, done.size());
    QTEST(result.behind, "behind");
    if (result.behind > 0)
        QTEST(result.behindEnd, "behindEnd");
    QTEST(result.notSent, "notSent");
    QTEST(withdrawals, "withdrawals");
}

QTEST_GUILESS_MAIN(TstDeliveryPath)
#include "tst_delivery_path.moc"
