// Hands a finished list of commands to the printer I/O library (or, in a dry
// run, lists them): opens a serial port first and closes it after, stops at
// a device's first failure, serves several print queues side by side, and
// waits for the flash write when a logo went out.
#pragma once

#include "cli_context.h"
#include "command.h"
#include "target_options.h"

#include <QStringList>

#include <vector>

struct Plan
{
    std::vector<Command> commands;
    bool waitForFlash = false; // after a logo download
    QStringList notes;         // printed after a successful send
};

// Returns the exit status. Nothing is sent without a target.
int deliver(CliContext &ctx, const SendOptions &options, const Plan &plan);
