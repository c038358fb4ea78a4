// The whole of `nemboport`, callable in-process: the arguments after the
// program name in, the exit status out.
#pragma once

#include "cli_context.h"

#include <QStringList>

int runNemboport(CliContext &ctx, const QStringList &args);

// The `serve` command (the virtual printer), handed in by the program; the
// tool's in-process runs do without it.
using ServeCommand = int (*)(const QStringList &args);
void setServeCommand(ServeCommand run);
