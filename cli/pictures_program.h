// nemboport-pictures: the tool with `logo` and `serve`, the commands that
// need Qt Gui and Qt Network. nemboport starts without those libraries and
// hands these two commands over to it, whole command line and all.
#pragma once

#include "cli_context.h"

#include <QString>

inline constexpr char kPicturesProgramName[] = "nemboport-pictures";

// Where it is: beside the running program (the build tree), else in the
// installed programs' private folder. Empty when neither holds one that can
// be run.
QString picturesProgram();

// Runs argv (the command line as given) in that program in this process's
// place; returns only when it cannot, with the reason said.
int handOverToPicturesProgram(CliContext &ctx, char *argv[]);
