// nemboport status [--json] [--watch SECONDS] TARGET: asks the printer how it
// is and who it is. --watch asks again every SECONDS and prints a line only
// when the answer changes, until Ctrl+C.
#include "cli_commands.h"

#include "library_reason.h"
#include "option_parser.h"
#include "status_output.h"
#include "tool_library.h"
#include "tool_text.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QThread>

#include <csignal>
#include <optional>

namespace {

constexpr int kTimeoutMs = 1000;
constexpr double kWatchMin = 0.1;
constexpr double kWatchMax = 86400;

volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int)
{
    g_interrupted = 1;
}

// Ctrl+C ends the watch after the query under way, so a serial port is
// closed as after any other command.
class InterruptWatch
{
public:
    InterruptWatch()
    {
        g_interrupted = 0;
        struct sigaction action = {};
        action.sa_handler = onInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &old_);
    }
    ~InterruptWatch() { sigaction(SIGINT, &old_, nullptr); }
    InterruptWatch(const InterruptWatch &) = delete;
    InterruptWatch &operator=(const InterruptWatch &) = delete;

private:
    struct sigaction old_ = {};
};

// One query; an error opening or closing the port stands as a failure.
PrinterReport ask(const DravikBinding &lib, const Target &target, bool identity)
{
    PrinterReport report;
    const QString portError = withOpenTarget(lib, target, target.baud, [&](const PrinterSession &session) {
        report = session.query({kTimeoutMs, identity});
    });
    if (!portError.isEmpty()) {
        report = PrinterReport();
        report.state = QueryState::Failed;
        report.reason = {kToolWordedCode, portError};
    }
    return report;
}

int statusOnce(CliContext &ctx, const DravikBinding &lib, const Target &target, bool json)
{
    const PrinterReport report = ask(lib, target, true);
    if (json) {
        QJsonObject o = reportJson(report);
        o.insert(QStringLiteral("target"), target.name());
        ctx.out << QJsonDocument(o).toJson(QJsonDocument::Indented);
    } else if (report.state == QueryState::Answered) {
        printReport(ctx.out, report);
    }
    ctx.out.flush();
    if (report.state != QueryState::Answered)
        return ctx.fail(kExitFailed, problemText(report, target, target.baud, kTimeoutMs));
    return exitStatusOf(report);
}

// The part of a watch line that tells a change: everything but the time.
QString watchState(const PrinterReport &report)
{
    if (report.state != QueryState::Answered)
        return stateText(report);
    const QString summary = stateText(report);
    return report.conditions ? QStringLiteral("%1 (%2)").arg(summary, conditionsText(report)) : summary;
}

bool waitInterruptibly(double seconds)
{
    QElapsedTimer clock;
    clock.start();
    const qint64 total = qint64(seconds * 1000);
    while (!g_interrupted && clock.elapsed() < total)
        QThread::msleep(quint32(qMin<qint64>(50, total - clock.elapsed())));
    return !g_interrupted;
}

int watch(CliContext &ctx, const DravikBinding &lib, const Target &target, bool json, double seconds)
{
    InterruptWatch interrupts;
    QString shown;
    bool identityKnown = false;
    int status = kExitFailed;
    for (int round = 1;; ++round) {
        const PrinterReport report = ask(lib, target, !identityKnown);
        status = exitStatusOf(report);
        const QString state = watchState(report);
        const QString now = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
        if (state != shown) {
            if (json) {
                QJsonObject o = reportJson(report);
                o.insert(QStringLiteral("time"), now);
                o.insert(QStringLiteral("target"), target.name());
                if (identityKnown)
                    o.remove(QStringLiteral("identity"));
                ctx.out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
            } else {
                ctx.out << now << ' ' << state << '\n';
            }
            ctx.out.flush();
            shown = state;
        }
        if (report.state == QueryState::Answered)
            identityKnown = true;
        if ((ctx.watchRounds > 0 && round >= ctx.watchRounds) || !waitInterruptibly(seconds))
            break;
    }
    return status;
}

} // namespace

int runStatus(CliContext &ctx, const QStringList &args)
{
    const ParsedOptions parsed = parseOptions(
        args, {{"queue", true}, {"serial", true}, {"baud", true}, {"port", true}, {"json", false}, {"watch", true}});
    if (!parsed.error.isEmpty())
        return ctx.fail(kExitUsage, parsed.error);
    if (!parsed.positional.isEmpty())
        return ctx.fail(kExitUsage, Nemboport::tr("status takes no words, only options (see nemboport status --help)"));
    SendOptions send;
    const QString error = readSendOptions(parsed, send);
    if (!error.isEmpty())
        return ctx.fail(kExitUsage, error);
    const Target &target = send.target;
    if (target.kind == Target::Kind::None)
        return ctx.fail(kExitUsage, Nemboport::tr("no target: give --queue NAME, --serial DEVICE or --port NAME"));
    double seconds = 0;
    if (parsed.has("watch")) {
        bool ok = false;
        seconds = parsed.value("watch").toDouble(&ok);
        if (!ok || !(seconds >= kWatchMin && seconds <= kWatchMax))
            return ctx.fail(kExitUsage, Nemboport::tr("--watch %1: give the seconds between questions, %2 to %3")
                                            .arg(parsed.value("watch"))
                                            .arg(kWatchMin)
                                            .arg(kWatchMax));
    }

    const DravikBinding *loaded = queryLibrary(ctx, target);
    if (!loaded)
        return kExitFailed;
    const bool json = parsed.has("json");
    // JSON is for scripts: its texts, and the messages beside it, in English.
    std::optional<EnglishTexts> jsonTexts;
    if (json)
        jsonTexts.emplace();
    return parsed.has("watch") ? watch(ctx, *loaded, target, json, seconds) : statusOnce(ctx, *loaded, target, json);
}
