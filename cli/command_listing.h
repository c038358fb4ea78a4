// Lists command bytes for a person: each piece as hex beside the decoder's
// meaning. Used by the dry run and by `nemboport decode`.
#pragma once

#include "command.h"

#include <QTextStream>

#include <vector>

// One heading per command (its number and document name), then its pieces.
void listCommands(QTextStream &out, const std::vector<Command> &commands);
// The pieces of one byte stream, with their offsets.
void listStream(QTextStream &out, const Bytes &bytes);
