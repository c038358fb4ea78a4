// nemboport serve: the virtual receipt printer.
#pragma once

#include <QStringList>

// Runs `nemboport serve` with the arguments after "serve"; returns the exit
// status (0 stopped cleanly, 1 a listener failed, 2 wrong usage).
int runServe(const QStringList &args);
