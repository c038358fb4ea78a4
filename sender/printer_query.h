// Asks the printer how it is and who it is, through the library's
// QueryPrinter: the status requests, then the identity. Widget-free and
// blocking; the window runs it on its worker thread, the tool directly.
// A serial port must already be open (OpenComm), as for a send.
#pragma once

#include "dravik_binding.h"
#include "send_path.h"
#include "status_answers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

enum class QueryState {
    Answered,    // the printer answered: conditions hold its state
    NoAnswer,    // nothing came back in time
    NotAPrinter, // bytes came back, but not a receipt printer's status (a wrong serial rate reads so)
    NoAnswers,   // the library says this path carries no answers (DRAVIK_ERROR_NO_ANSWERS)
    Failed,      // the library failed; reason says why
    NoExport,    // the library lacks QueryPrinter: nothing was called
    NoLibrary,   // no library: nothing was called
};

struct PrinterIdentity
{
    QString maker;
    QString model;
    QString firmware;
    QString serialNumber;
};

struct PrinterReport
{
    QueryState state = QueryState::NoLibrary;
    printer_status::Conditions conditions = 0;
    PrinterIdentity identity;
    qint64 answerMs = -1;   // the round trip of the first status request
    QStringList unanswered; // later requests the printer left unanswered
    QByteArray notAnAnswer; // with NotAPrinter: the bytes that came back
    FailureReason reason;   // with Failed and NoAnswers

    bool ready() const { return state == QueryState::Answered && !(conditions & printer_status::kNotReady); }
};

struct QueryOptions
{
    int timeoutMs = 1000; // per request: how long to wait for the first byte
    bool identity = true; // also ask maker, model, firmware and serial number
};

PrinterReport queryPrinter(const DravikBinding &lib, const PrinterTarget &target, const QueryOptions &options = {});

// One request and its answer on a link, as QueryPrinter gives them: result
// -1 failed (failure says why), 0 no answer in time, else the byte count.
struct QueryExchange
{
    int result = 0;
    QByteArray reply;
    qint64 ms = 0; // how long the answer took
    FailureReason failure;
};
// Writes request and reads up to replySize bytes of the answer, waiting up
// to timeoutMs for the first.
using QueryAsker = std::function<QueryExchange(const Bytes &request, int replySize, int timeoutMs)>;

// The same questions as queryPrinter, asked through ask: for a link the
// library does not reach (a printer's network port found by a scan).
PrinterReport queryThrough(const QueryAsker &ask, const QueryOptions &options = {});

// One status request and its one-byte answer, read with the fixed-bit check:
// the conditions, or the state that stands instead (for probing rates).
PrinterReport queryStatusByte(const DravikBinding &lib, const PrinterTarget &target, StatusRequest which,
                              int timeoutMs);
