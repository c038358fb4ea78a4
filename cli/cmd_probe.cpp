// nemboport probe --serial DEVICE [--json]: finds the rate a serial printer
// listens at, asking its status at each known rate, most common first; only
// an answer with a printer's fixed bits, confirmed by a second request,
// counts. probe --queue/--port NAME: whether that link carries answers.
#include "cli_commands.h"

#include "option_parser.h"
#include "rate_search.h"
#include "settings_catalogue.h"
#include "status_output.h"
#include "tool_library.h"
#include "tool_text.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <optional>

namespace {

// The printer's rates, the most common first.
constexpr std::uint32_t kProbeOrder[] = {9600, 115200, 19200, 38400, 57600, 4800, 2400, 1200, 230400, 128000};

constexpr bool triesEveryRateOnce()
{
    if (std::size(kProbeOrder) != std::size(kBaudRates))
        return false;
    for (std::uint32_t rate : kBaudRates) {
        int times = 0;
        for (std::uint32_t tried : kProbeOrder)
            times += tried == rate ? 1 : 0;
        if (times != 1)
            return false;
    }
    return true;
}
static_assert(triesEveryRateOnce(), "probe must try each of the printer's rates once");

// How long to wait for the answer at a rate: the request and its one-byte
// answer on the wire at that rate (10 bits a byte), twice over, and the time
// a printer takes to answer. A printer that answers takes a few
// milliseconds; the slow rates need the most.
constexpr int kAnswerMs = 50;
constexpr int perRateMs(std::uint32_t rate)
{
    return kAnswerMs + int((2 * (3 + 1) * 10 * 1000 + rate - 1) / rate);
}
static_assert(perRateMs(1200) == 117 && perRateMs(115200) == 51, "the wait follows the rate");
constexpr int kLinkTimeoutMs = 1000;

} // namespace

RateFound findRate(CliContext &ctx, const DravikBinding &lib, const Target &target)
{
    RateFound found;
    bool openedOnce = false;
    for (std::uint32_t rate : kProbeOrder) {
        if (ctx.outIsTerminal) {
            ctx.out << '\r' << Nemboport::tr("trying %1 baud").arg(rate) << "   ";
            ctx.out.flush();
        }
        found.tried.append(double(rate));
        PrinterReport first;
        PrinterReport full;
        bool opened = false;
        found.error = withOpenTarget(lib, target, rate, [&](const PrinterSession &session) {
            opened = true;
            const PrinterTarget printer = session.target();
            first = queryStatusByte(lib, printer, StatusRequest::Printer, perRateMs(rate));
            // Noise at a wrong rate passes the fixed bits one time in sixteen:
            // a second request must pass too.
            if (first.state == QueryState::Answered &&
                queryStatusByte(lib, printer, StatusRequest::OfflineCause, perRateMs(rate)).state ==
                    QueryState::Answered)
                full = session.query({kLinkTimeoutMs, true});
        });
        // A port that opened at another rate and refuses this one as an
        // invalid argument (read right after the failed open) cannot be set
        // to it here: the other rates are still worth trying.
        if (!opened && openedOnce && !found.error.isEmpty() &&
            failureReason(lib).code == DRAVIK_ERROR_INVALID_ARGUMENT) {
            found.refused.append(double(rate));
            found.error.clear();
            continue;
        }
        openedOnce = openedOnce || opened;
        if (first.state == QueryState::Failed || first.state == QueryState::NoAnswers)
            found.error = problemText(first, target, rate, perRateMs(rate));
        if (!found.error.isEmpty())
            break;
        if (full.state == QueryState::Answered) {
            found.rate = rate;
            found.report = full;
            break;
        }
    }
    if (ctx.outIsTerminal) {
        ctx.out << "\r                      \r";
        ctx.out.flush();
    }
    return found;
}

namespace {

int probeSerial(CliContext &ctx, const DravikBinding &lib, const Target &target, bool json)
{
    const RateFound found = findRate(ctx, lib, target);
    if (json) {
        QJsonObject o = found.rate ? reportJson(found.report) : QJsonObject();
        o.insert(QStringLiteral("device"), target.name());
        o.insert(QStringLiteral("rate"), found.rate ? QJsonValue(double(found.rate)) : QJsonValue());
        o.insert(QStringLiteral("tried"), found.tried);
        if (!found.refused.isEmpty())
            o.insert(QStringLiteral("refused"), found.refused);
        if (!found.error.isEmpty())
            o.insert(QStringLiteral("error"), found.error);
        ctx.out << QJsonDocument(o).toJson(QJsonDocument::Indented);
    } else if (found.rate) {
        ctx.out << Nemboport::tr("%1 answers at %2 baud").arg(target.name()).arg(found.rate) << '\n';
        printReport(ctx.out, found.report);
    }
    ctx.out.flush();
    if (!found.error.isEmpty())
        return ctx.fail(kExitFailed, found.error);
    if (!found.rate) {
        QString why = Nemboport::tr("no receipt printer answered on %1 at any of the rates %2: check "
                                    "that it is on, the cable, and that it is a serial printer")
                          .arg(target.name(), baudRateList());
        for (qsizetype i = 0; i < found.refused.size(); ++i)
            why += Nemboport::tr(" (the port could not be set to %1 baud)").arg(found.refused.at(i).toInteger());
        return ctx.fail(kExitFailed, why);
    }
    return kExitOk;
}

int probeLink(CliContext &ctx, const DravikBinding &lib, const Target &target, bool json)
{
    PrinterReport report;
    withOpenTarget(lib, target, 0, [&](const PrinterSession &session) {
        report = session.query({kLinkTimeoutMs, false});
    });
    const bool answers = report.state == QueryState::Answered;
    if (json) {
        QJsonObject o = reportJson(report);
        o.insert(QStringLiteral("target"), target.name());
        o.insert(QStringLiteral("answers"), answers);
        ctx.out << QJsonDocument(o).toJson(QJsonDocument::Indented);
    } else if (answers) {
        ctx.out
            << Nemboport::tr("%1 carries answers: the printer says %2").arg(targetText(target, 0), stateText(report))
            << '\n';
    }
    ctx.out.flush();
    return answers ? kExitOk : ctx.fail(kExitFailed, problemText(report, target, 0, kLinkTimeoutMs));
}

} // namespace

int runProbe(CliContext &ctx, const QStringList &args)
{
    const ParsedOptions parsed =
        parseOptions(args, {{"queue", true}, {"serial", true}, {"port", true}, {"baud", true}, {"json", false}});
    if (!parsed.error.isEmpty())
        return ctx.fail(kExitUsage, parsed.error);
    if (!parsed.positional.isEmpty())
        return ctx.fail(kExitUsage, Nemboport::tr("probe takes no words, only options (see nemboport probe --help)"));
    if (parsed.has("baud"))
        return ctx.fail(kExitUsage, Nemboport::tr("probe tries every rate itself: leave out --baud"));
    SendOptions send;
    const QString error = readSendOptions(parsed, send);
    if (!error.isEmpty())
        return ctx.fail(kExitUsage, error);
    const Target &target = send.target;
    if (target.kind == Target::Kind::None)
        return ctx.fail(kExitUsage, Nemboport::tr("no target: give --serial DEVICE, --queue NAME or --port NAME"));

    const DravikBinding *loaded = queryLibrary(ctx, target);
    if (!loaded)
        return kExitFailed;
    const bool json = parsed.has("json");
    // JSON is for scripts: its texts, and the messages beside it, in English.
    std::optional<EnglishTexts> jsonTexts;
    if (json)
        jsonTexts.emplace();
    return target.kind == Target::Kind::Serial ? probeSerial(ctx, *loaded, target, json)
                                               : probeLink(ctx, *loaded, target, json);
}
