// The whole of `nemboport`, callable in-process: the arguments after the
// program name in, the exit status out.
#pragma once

#include "cli_context.h"

#include <QStringList>

int runNemboport(CliContext &ctx, const QStringList &args);
