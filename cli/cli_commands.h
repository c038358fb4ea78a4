// The nemboport commands; each takes the arguments after its name and
// returns the exit status.
#pragma once

#include "cli_context.h"

#include <QStringList>

int runList(CliContext &ctx, const QStringList &args);
int runSet(CliContext &ctx, const QStringList &args);
int runTest(CliContext &ctx, const QStringList &args);
int runLogo(CliContext &ctx, const QStringList &args);
int runApply(CliContext &ctx, const QStringList &args);
int runProfile(CliContext &ctx, const QStringList &args);
int runDecode(CliContext &ctx, const QStringList &args);
int runStatus(CliContext &ctx, const QStringList &args);
int runProbe(CliContext &ctx, const QStringList &args);
int runDiscover(CliContext &ctx, const QStringList &args);
int runAddQueue(CliContext &ctx, const QStringList &args);
