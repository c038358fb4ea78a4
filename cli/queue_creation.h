// Making a raw print queue from the tool (add-queue, discover --add), with
// what became of it told to the user.
#pragma once

#include "cli_context.h"
#include "dravik_binding.h"

#include <QString>

// Why name cannot be a print queue's name, in the user's words; empty when
// it can.
QString queueNameRefusal(const QString &name);

// Asks the library to make the queue. Tells the outcome (on out when
// toOut, else on err) and returns the exit status: 0 made, 1 exists (without
// replace), refused or failed.
int makeQueueAndTell(CliContext &ctx, const DravikBinding &lib, const QString &name, const QString &uri, bool replace,
                     bool toOut = true);
