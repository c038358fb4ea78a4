// The one delivery path through the fake library: the steps' order, the
// steps left out just before their turn, the stop at the first command not
// done with what was left unsent, what becomes of a waiting job, and the
// serial port opened around a plan.
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

QTEST_GUILESS_MAIN(TstDeliveryPath)
#include "tst_delivery_path.moc"
