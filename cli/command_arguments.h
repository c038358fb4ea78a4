// Reading a sending command's arguments: its own options plus the target
// options, every refusal as one usage error.
#pragma once

#include "cli_context.h"
#include "option_parser.h"
#include "target_options.h"

#include <optional>

// Parses the arguments; on a refusal prints the reason and returns the exit
// status to end with, otherwise nothing.
std::optional<int> readSendingArguments(CliContext &ctx, const QStringList &args, std::vector<OptionSpec> ownSpecs,
                                        ParsedOptions &parsed, SendOptions &send);
