// Hands a finished plan to the printer I/O library through the one delivery
// path (or, in a dry run, lists its commands in the order they would go):
// serves several print queues side by side, says what became of each, and
// waits for the flash write when a logo went out.
#pragma once

#include "cli_context.h"
#include "command.h"
#include "delivery_path.h"
#include "setting_choices.h"
#include "target_options.h"

#include <QStringList>

#include <vector>

struct Plan
{
    std::vector<PlanStep> steps;
    bool waitForFlash = false; // after a logo download
    QStringList notes;         // printed after a successful send

    // One step of these commands.
    static Plan of(std::vector<Command> commands);
    // The chosen settings, one step each, in the one-key update's order.
    static Plan of(const SettingChoices &choices, InstructionSet set);
    // Its commands in the order they are sent (the baud rate last over a
    // serial port).
    std::vector<Command> inOrder(bool serialPath) const;
};

// Why a serial port could not be opened or closed around an action, naming
// it as shown; empty when it could (or the path is not a serial port).
QString serialRunError(const SerialRun &run, const QString &shown);

// Returns the exit status. Nothing is sent without a target.
int deliver(CliContext &ctx, const SendOptions &options, const Plan &plan);
