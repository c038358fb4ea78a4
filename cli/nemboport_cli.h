// The whole of `nemboport`, callable in-process: the arguments after the
// program name in, the exit status out.
#pragma once

#include "cli_context.h"

#include <QStringList>

#include <functional>
#include <utility>

int runNemboport(CliContext &ctx, const QStringList &args);

// `logo` loads pictures (Qt Gui) and `serve`, the virtual printer, draws
// them and listens on the network (Qt Gui, Qt Network); the other commands
// start without those libraries. A program that links the two commands hands
// them in; one that does not hands them over to one that does: handOver runs
// the whole command line there and returns its exit status, if it returns.
struct PictureCommands
{
    int (*logo)(CliContext &ctx, const QStringList &args) = nullptr;
    int (*serve)(const QStringList &args) = nullptr;
    std::function<int(CliContext &ctx)> handOver;
};
void setPictureCommands(PictureCommands commands);
