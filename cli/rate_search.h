// probe's search for the rate a serial printer listens at, which discover
// runs on several ports side by side.
#pragma once

#include "cli_context.h"
#include "printer_query.h"
#include "target_options.h"

#include <QJsonArray>

#include <cstdint>

struct RateFound
{
    std::uint32_t rate = 0; // 0: none answered
    PrinterReport report;
    QJsonArray tried;
    QJsonArray refused; // rates the port would not take, though it opened at others (a driver's limits)
    QString error;      // the port could not be used at all
};

// Asks the printer on the serial target its status at each of the printer's
// rates, the most common first, until one answers twice with a printer's
// fixed bits; then asks all it answers there. A progress line goes to ctx.out
// on a terminal.
RateFound findRate(CliContext &ctx, const DravikBinding &lib, const Target &target);
