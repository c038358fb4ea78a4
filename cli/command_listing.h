// Lists command bytes for a person: each piece as hex beside the decoder's
// meaning. Used by the dry run (`nemboport decode` lists a stream itself).
#pragma once

#include "command.h"

#include <QTextStream>

#include <vector>

// One heading per command (its number and document name), then its pieces.
void listCommands(QTextStream &out, const std::vector<Command> &commands);
