#include "printer_query.h"

#include "status_requests.h"

#include <QElapsedTimer>

#include <optional>

namespace {

constexpr int kIdTextMax = 80; // "_", the text, NUL; longer is no answer of ours

QueryExchange exchange(const DravikBinding &lib, const PrinterTarget &target, const Bytes &request, int replySize,
                       int timeoutMs)
{
    const QByteArray port = target.portName.toLocal8Bit();
    const QByteArray printer = target.printerName.toLocal8Bit();
    QByteArray reply(replySize, '\0');
    QElapsedTimer clock;
    clock.start();
    QueryExchange e;
    e.result = lib.queryPrinter(port.constData(), printer.constData(), request.data(), int(request.size()),
                                reinterpret_cast<unsigned char *>(reply.data()), replySize, timeoutMs);
    e.ms = clock.elapsed();
    if (e.result > 0)
        e.reply = reply.left(qMin(e.result, replySize));
    else if (e.result < 0)
        e.failure = failureReason(lib);
    return e;
}

QueryAsker libraryAsker(const DravikBinding &lib, const PrinterTarget &target)
{
    return [&lib, target](const Bytes &request, int replySize, int timeoutMs) {
        return exchange(lib, target, request, replySize, timeoutMs);
    };
}

void takeFailure(PrinterReport &report, const FailureReason &reason)
{
    report.reason = reason;
    report.state = report.reason.code == DRAVIK_ERROR_NO_ANSWERS ? QueryState::NoAnswers : QueryState::Failed;
}

const char *requestName(StatusRequest which)
{
    switch (which) {
    case StatusRequest::Printer:
        return "printer status";
    case StatusRequest::OfflineCause:
        return "off-line cause";
    case StatusRequest::ErrorCause:
        return "error cause";
    case StatusRequest::RollPaper:
        return "roll paper sensor";
    }
    return "?";
}

// The identity texts; stops at the first request left unanswered, which a
// printer without these requests leaves so, to not wait for each in turn.
void askIdentity(const QueryAsker &ask, int timeoutMs, PrinterReport &report)
{
    const struct
    {
        IdRequest request;
        QString PrinterIdentity::*field;
    } asks[] = {{IdRequest::Maker, &PrinterIdentity::maker},
                {IdRequest::Model, &PrinterIdentity::model},
                {IdRequest::Firmware, &PrinterIdentity::firmware},
                {IdRequest::SerialNumber, &PrinterIdentity::serialNumber}};
    for (const auto &one : asks) {
        const QueryExchange e = ask(idRequest(one.request), kIdTextMax, timeoutMs);
        if (e.result < 0) {
            takeFailure(report, e.failure);
            return;
        }
        if (e.result == 0)
            return;
        if (const auto text = printer_status::decodeIdText(e.reply))
            report.identity.*one.field = QString::fromLatin1(*text);
    }
}

// One status request and its one-byte answer, read with the fixed-bit check.
PrinterReport statusByte(const QueryAsker &ask, StatusRequest which, int timeoutMs)
{
    PrinterReport report;
    const QueryExchange e = ask(statusRequest(which), 1, timeoutMs);
    report.answerMs = e.ms;
    if (e.result < 0) {
        takeFailure(report, e.failure);
        return report;
    }
    if (e.result == 0) {
        report.state = QueryState::NoAnswer;
        return report;
    }
    const auto conditions = printer_status::decodeStatusByte(which, std::uint8_t(e.reply.at(0)));
    if (!conditions) {
        report.state = QueryState::NotAPrinter;
        report.notAnAnswer = e.reply;
        return report;
    }
    report.state = QueryState::Answered;
    report.conditions = *conditions;
    return report;
}

// The state that stands for a library that cannot be asked, or nothing.
std::optional<QueryState> unaskable(const DravikBinding &lib)
{
    if (!lib.isLoaded())
        return QueryState::NoLibrary;
    if (!lib.queryPrinter)
        return QueryState::NoExport;
    return std::nullopt;
}

} // namespace

PrinterReport queryStatusByte(const DravikBinding &lib, const PrinterTarget &target, StatusRequest which, int timeoutMs)
{
    if (const auto state = unaskable(lib)) {
        PrinterReport report;
        report.state = *state;
        return report;
    }
    return statusByte(libraryAsker(lib, target), which, timeoutMs);
}

PrinterReport queryPrinter(const DravikBinding &lib, const PrinterTarget &target, const QueryOptions &options)
{
    if (const auto state = unaskable(lib)) {
        PrinterReport report;
        report.state = *state;
        return report;
    }
    return queryThrough(libraryAsker(lib, target), options);
}

PrinterReport queryThrough(const QueryAsker &ask, const QueryOptions &options)
{
    PrinterReport report = statusByte(ask, StatusRequest::Printer, options.timeoutMs);
    if (report.state != QueryState::Answered)
        return report;
    for (StatusRequest which : {StatusRequest::OfflineCause, StatusRequest::ErrorCause, StatusRequest::RollPaper}) {
        const PrinterReport more = statusByte(ask, which, options.timeoutMs);
        if (more.state == QueryState::Failed || more.state == QueryState::NoAnswers) {
            report.state = QueryState::Failed;
            report.reason = more.reason;
            return report;
        }
        if (more.state == QueryState::Answered)
            report.conditions |= more.conditions;
        else
            report.unanswered << QLatin1String(requestName(which));
    }
    if (options.identity)
        askIdentity(ask, options.timeoutMs, report);
    return report;
}
