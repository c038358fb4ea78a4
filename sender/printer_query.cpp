#include "printer_query.h"

#include "status_requests.h"

#include <QElapsedTimer>

namespace {

constexpr int kIdTextMax = 80; // "_", the text, NUL; longer is no answer of ours

struct Exchange
{
    int result = 0; // QueryPrinter's: -1 failed, 0 no answer, else the byte count
    QByteArray reply;
    qint64 ms = 0;
};

Exchange exchange(const DravikBinding &lib, const PrinterTarget &target, const Bytes &request, int replySize,
                  int timeoutMs)
{
    const QByteArray port = target.portName.toLocal8Bit();
    const QByteArray printer = target.printerName.toLocal8Bit();
    QByteArray reply(replySize, '\0');
    QElapsedTimer clock;
    clock.start();
    Exchange e;
    e.result = lib.queryPrinter(port.constData(), printer.constData(), request.data(), int(request.size()),
                                reinterpret_cast<unsigned char *>(reply.data()), replySize, timeoutMs);
    e.ms = clock.elapsed();
    if (e.result > 0)
        e.reply = reply.left(qMin(e.result, replySize));
    return e;
}

void takeFailure(PrinterReport &report, const DravikBinding &lib)
{
    report.reason = failureReason(lib);
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
void askIdentity(const DravikBinding &lib, const PrinterTarget &target, int timeoutMs, PrinterReport &report)
{
    const struct
    {
        IdRequest request;
        QString PrinterIdentity::*field;
    } asks[] = {{IdRequest::Maker, &PrinterIdentity::maker},
                {IdRequest::Model, &PrinterIdentity::model},
                {IdRequest::Firmware, &PrinterIdentity::firmware},
                {IdRequest::SerialNumber, &PrinterIdentity::serialNumber}};
    for (const auto &ask : asks) {
        const Exchange e = exchange(lib, target, idRequest(ask.request), kIdTextMax, timeoutMs);
        if (e.result < 0) {
            takeFailure(report, lib);
            return;
        }
        if (e.result == 0)
            return;
        if (const auto text = printer_status::decodeIdText(e.reply))
            report.identity.*ask.field = QString::fromLatin1(*text);
    }
}

} // namespace

PrinterReport queryStatusByte(const DravikBinding &lib, const PrinterTarget &target, StatusRequest which, int timeoutMs)
{
    PrinterReport report;
    if (!lib.isLoaded())
        return report;
    if (!lib.queryPrinter) {
        report.state = QueryState::NoExport;
        return report;
    }
    const Exchange e = exchange(lib, target, statusRequest(which), 1, timeoutMs);
    report.answerMs = e.ms;
    if (e.result < 0) {
        takeFailure(report, lib);
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

PrinterReport queryPrinter(const DravikBinding &lib, const PrinterTarget &target, const QueryOptions &options)
{
    PrinterReport report = queryStatusByte(lib, target, StatusRequest::Printer, options.timeoutMs);
    if (report.state != QueryState::Answered)
        return report;
    for (StatusRequest which : {StatusRequest::OfflineCause, StatusRequest::ErrorCause, StatusRequest::RollPaper}) {
        const PrinterReport more = queryStatusByte(lib, target, which, options.timeoutMs);
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
        askIdentity(lib, target, options.timeoutMs, report);
    return report;
}
