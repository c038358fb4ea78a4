// What status and probe share: the target as the library names it, the
// serial port opened around a query, and the report as text, as JSON and as
// an exit status.
#pragma once

#include "cli_context.h"
#include "printer_session.h"
#include "target_options.h"

#include <QJsonObject>
#include <QTextStream>

#include <functional>

// "serial port /dev/ttyUSB0 at 9600 baud", "queue Office", "port LPT1".
QString targetText(const Target &target, std::uint32_t baud);

// The printer I/O library, loaded, with what a query on this target needs;
// otherwise null, after telling why (the exit status is then 1).
const DravikBinding *queryLibrary(CliContext &ctx, const Target &target);

// Opens a serial target at baud (other targets need no opening), runs the
// query through a session on the target, closes the port. On a failure to
// open or close, an error text.
QString withOpenTarget(const DravikBinding &lib, const Target &target, std::uint32_t baud,
                       const std::function<void(const PrinterSession &)> &query);

// "ready", "paper out", "no answer", ...: one phrase for the report.
QString stateText(const PrinterReport &report);
// The conditions that hold, or "none".
QString conditionsText(const PrinterReport &report);
// Why a report that is not an answer is one, naming the target and the fix.
QString problemText(const PrinterReport &report, const Target &target, std::uint32_t baud, int timeoutMs);

QJsonObject reportJson(const PrinterReport &report);
// State, conditions, identity and answer time, a line each.
void printReport(QTextStream &out, const PrinterReport &report);

// 0 ready, 3 answered but not ready, 1 anything else.
int exitStatusOf(const PrinterReport &report);
