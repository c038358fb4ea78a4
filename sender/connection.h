// The connection's plain rules, free of widgets: the parallel port filter.
#pragma once

#include <QString>
#include <QStringList>

// Keeps the lines whose first three characters are "LPT" in any letter case,
// each with every ":" removed ("LPT1:" gives "LPT1").
QStringList parallelPortNames(const QStringList &lines);
