#include "status_output.h"

#include "delivery.h"
#include "tool_library.h"
#include "tool_text.h"

#include <QJsonArray>

QString targetText(const Target &target, std::uint32_t baud)
{
    switch (target.kind) {
    case Target::Kind::Queue:
        return Nemboport::tr("queue %1").arg(target.name());
    case Target::Kind::Serial:
        return Nemboport::tr("serial port %1 at %2 baud").arg(target.name()).arg(baud);
    case Target::Kind::Port:
        return Nemboport::tr("port %1").arg(target.name());
    case Target::Kind::None:
        break;
    }
    return {};
}

namespace {
QString missingForQuery(const DravikBinding &lib, const Target &target)
{
    const PrinterSession session(lib);
    if (session.missingExport(SessionAction::Query))
        return Nemboport::tr("%1 lacks the export QueryPrinter: this library cannot read the printer's answers "
                             "(install a newer one)")
            .arg(QLatin1String(kDravikFileName));
    const char *missing = nullptr;
    if (target.kind == Target::Kind::Serial)
        for (SessionAction action : {SessionAction::Open, SessionAction::Close})
            if (!missing)
                missing = session.missingExport(action);
    if (missing)
        return Nemboport::tr("%1 lacks the export %2").arg(QLatin1String(kDravikFileName), QLatin1String(missing));
    return {};
}
} // namespace

const DravikBinding *queryLibrary(CliContext &ctx, const Target &target)
{
    const DravikBinding *loaded = toolLibrary(ctx);
    if (!loaded)
        return nullptr;
    const QString missing = missingForQuery(*loaded, target);
    if (missing.isEmpty())
        return loaded;
    ctx.fail(kExitFailed, missing);
    return nullptr;
}

QString withOpenTarget(const DravikBinding &lib, const Target &target, std::uint32_t baud,
                       const std::function<void(const PrinterSession &)> &query)
{
    PrinterSession session(lib);
    session.choose(target.kind, target.name());
    const SerialRun run = withSerialOpen(session, int(baud), [&] { query(session); });
    return serialRunError(run, shownInput(target.name(), kShownPathChars));
}

namespace {

const char *stateKey(QueryState state)
{
    switch (state) {
    case QueryState::Answered:
        return "answered";
    case QueryState::NoAnswer:
        return "no-answer";
    case QueryState::NotAPrinter:
        return "not-a-printer";
    case QueryState::NoAnswers:
        return "no-answers-on-this-connection";
    case QueryState::Failed:
        return "failed";
    case QueryState::NoExport:
        return "no-export";
    case QueryState::NoLibrary:
        return "no-library";
    }
    return "?";
}

QString libraryReason(const FailureReason &reason)
{
    if (!reason.text.isEmpty())
        return reason.text;
    return reason.code >= DRAVIK_ERROR_NONE ? Nemboport::tr("the library reports code %1").arg(reason.code)
                                            : Nemboport::tr("the library gives no reason");
}

} // namespace

QString stateText(const PrinterReport &report)
{
    switch (report.state) {
    case QueryState::Answered: {
        // The condition that matters most, in the conditions' words; "ready" when none does.
        const printer_status::Summary summary = printer_status::summarize(report.conditions);
        return summary == printer_status::Summary::Ready
                   ? Nemboport::tr("ready")
                   : QCoreApplication::translate(printer_status::kConditionContext,
                                                 printer_status::summaryText(summary));
    }
    case QueryState::NoAnswer:
        return Nemboport::tr("no answer");
    case QueryState::NotAPrinter:
        return Nemboport::tr("not a receipt printer's answer");
    case QueryState::NoAnswers:
        return Nemboport::tr("this connection carries no answers");
    case QueryState::Failed:
        return Nemboport::tr("failed: %1").arg(libraryReason(report.reason));
    case QueryState::NoExport:
    case QueryState::NoLibrary:
        break;
    }
    return Nemboport::tr("not available");
}

QString conditionsText(const PrinterReport &report)
{
    QStringList held;
    for (const printer_status::ConditionName &n : printer_status::conditionNames())
        if (report.conditions & n.condition)
            held << QCoreApplication::translate(printer_status::kConditionContext, n.text);
    return held.isEmpty() ? Nemboport::tr("none") : held.join(QStringLiteral(", "));
}

QString problemText(const PrinterReport &report, const Target &target, std::uint32_t baud, int timeoutMs)
{
    const QString where = targetText(target, baud);
    const bool serial = target.kind == Target::Kind::Serial;
    const QString probe = Nemboport::tr("try `nemboport probe --serial %1`").arg(target.name());
    switch (report.state) {
    case QueryState::Answered:
        return {};
    case QueryState::NoAnswer:
        return Nemboport::tr("no answer from %1 within %2 ms: check that the printer is on and connected%3")
            .arg(where)
            .arg(timeoutMs)
            .arg(serial ? Nemboport::tr("; the rate may be wrong: %1").arg(probe) : QString());
    case QueryState::NotAPrinter:
        return Nemboport::tr("%1 sent back %2, which is not a receipt printer's status: %3")
            .arg(where, QString::fromLatin1(report.notAnAnswer.toHex(' ').toUpper()),
                 serial ? Nemboport::tr("at the wrong rate a printer reads like this; %1").arg(probe)
                        : Nemboport::tr("check that a receipt printer is at the other end"));
    case QueryState::NoAnswers:
        return Nemboport::tr("%1 carries no answers (%2): reach the printer by --serial or --port, or through a "
                             "queue whose device is socket://, serial: or usb://")
            .arg(where, libraryReason(report.reason));
    case QueryState::Failed:
        return Nemboport::tr("asking %1 failed: %2").arg(where, libraryReason(report.reason));
    case QueryState::NoExport:
        return Nemboport::tr("%1 lacks the export QueryPrinter").arg(QLatin1String(kDravikFileName));
    case QueryState::NoLibrary:
        break;
    }
    return Nemboport::tr("%1 is not loaded").arg(QLatin1String(kDravikFileName));
}

QJsonObject reportJson(const PrinterReport &report)
{
    QJsonObject o{{QStringLiteral("state"), QLatin1String(stateKey(report.state))},
                  {QStringLiteral("ready"), report.ready()}};
    if (report.state == QueryState::Answered) {
        o.insert(QStringLiteral("summary"), stateText(report));
        o.insert(QStringLiteral("online"), !(report.conditions & printer_status::Offline));
        QJsonObject conditions;
        for (const printer_status::ConditionName &n : printer_status::conditionNames())
            conditions.insert(QLatin1String(n.key), bool(report.conditions & n.condition));
        o.insert(QStringLiteral("conditions"), conditions);
        const PrinterIdentity &id = report.identity;
        o.insert(QStringLiteral("identity"), QJsonObject{{QStringLiteral("maker"), id.maker},
                                                         {QStringLiteral("model"), id.model},
                                                         {QStringLiteral("firmware"), id.firmware},
                                                         {QStringLiteral("serialNumber"), id.serialNumber}});
        if (!report.unanswered.isEmpty())
            o.insert(QStringLiteral("unanswered"), QJsonArray::fromStringList(report.unanswered));
    }
    if (report.answerMs >= 0)
        o.insert(QStringLiteral("answerMs"), double(report.answerMs));
    if (report.state == QueryState::Failed || report.state == QueryState::NoAnswers)
        o.insert(QStringLiteral("error"), libraryReason(report.reason));
    if (report.state == QueryState::NotAPrinter)
        o.insert(QStringLiteral("received"), QString::fromLatin1(report.notAnAnswer.toHex(' ').toUpper()));
    return o;
}

void printReport(QTextStream &out, const PrinterReport &report)
{
    out << Nemboport::tr("state: %1").arg(stateText(report)) << '\n';
    if (report.state != QueryState::Answered)
        return;
    out << Nemboport::tr("conditions: %1").arg(conditionsText(report)) << '\n';
    if (!report.unanswered.isEmpty())
        out << Nemboport::tr("not answered: %1").arg(report.unanswered.join(QStringLiteral(", "))) << '\n';
    const PrinterIdentity &id = report.identity;
    const std::pair<const char *, QString> lines[] = {
        {QT_TRANSLATE_NOOP("Nemboport", "maker: %1"), id.maker},
        {QT_TRANSLATE_NOOP("Nemboport", "model: %1"), id.model},
        {QT_TRANSLATE_NOOP("Nemboport", "firmware: %1"), id.firmware},
        {QT_TRANSLATE_NOOP("Nemboport", "serial number: %1"), id.serialNumber}};
    bool told = false;
    for (const auto &[label, value] : lines)
        if (!value.isEmpty()) {
            out << Nemboport::tr(label).arg(value) << '\n';
            told = true;
        }
    if (!told)
        out << Nemboport::tr("identity: not told by the printer") << '\n';
    out << Nemboport::tr("answer time: %1 ms").arg(report.answerMs) << '\n';
}

int exitStatusOf(const PrinterReport &report)
{
    if (report.state != QueryState::Answered)
        return kExitFailed;
    return report.ready() ? kExitOk : kExitNotReady;
}
