// What every nemboport command runs with: where its output goes, how long
// the flash write takes, and the exit statuses it returns.
#pragma once

#include "shown_text.h"

#include <QString>
#include <QTextStream>

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,   // the library or the device failed
    kExitUsage = 2,    // wrong usage or a refused input
    kExitNotReady = 3, // status: the printer answered but cannot print
    kExitStopped = 4,  // a job was stopped while the print server handed it to the printer
};

struct CliContext
{
    QTextStream &out;
    QTextStream &err;
    // A progress line is drawn only when the output is a terminal.
    bool outIsTerminal = false;
    // How long the printer needs to write a downloaded logo to its flash.
    int flashWaitMs = 10000;
    // How many print queues are sent to at the same time when several are given.
    int parallelTargets = 8;
    // The same while the jobs are followed until they printed: the threads
    // then mostly wait on the print server, which runs one job of each queue
    // at a time, so more run at once, each with one connection to it kept (a
    // print server takes about 100 at a time).
    int parallelFollowed = 32;
    // How many rounds status --watch runs; 0: until interrupted (tests bound it).
    int watchRounds = 0;

    // One line on stderr with the reason; returns the status to exit with.
    // Control characters that reached the reason from input are escaped.
    int fail(int status, const QString &reason)
    {
        err << "nemboport: " << escapedControls(reason) << '\n';
        err.flush();
        return status;
    }
};
