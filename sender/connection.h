// The connection's plain rules, free of widgets: the parallel port filter and
// the connection-ready test.
#pragma once

#include "send_path.h"

#include <QString>
#include <QStringList>

// The checked connection radio button; None until a mode is first chosen.
enum class LinkMode {
    None,
    Driver,
    Serial,
    Parallel
};

// Keeps the lines whose first three characters are "LPT" in any letter case,
// each with every ":" removed ("LPT1:" gives "LPT1").
QStringList parallelPortNames(const QStringList &lines);

// False only in serial mode with the port closed, or when no mode is chosen.
bool connectionReady(LinkMode mode, bool portOpen);

// The access path each mode sends through.
PathKind pathKindFor(LinkMode mode);
