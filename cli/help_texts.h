// The --help texts of the tool and of each command.
#pragma once

#include <QString>

QString toolHelp();
// The help of one command, or empty for an unknown name.
QString commandHelp(const QString &command);

// The code pages one a line, "15  CP936 Simplified Chinese", each after prefix.
QString codePageTable(const char *prefix);
