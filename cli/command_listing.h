// Lists command bytes for a person: each piece as hex beside the decoder's
// meaning. Used by the dry run and by `nemboport decode`.
#pragma once

#include "command.h"

#include <QIODevice>
#include <QTextStream>

#include <vector>

// One heading per command (its number and document name), then its pieces.
void listCommands(QTextStream &out, const std::vector<Command> &commands);

// Reads a byte stream to its end and lists its pieces as soon as each is
// whole, each with its offset in hex: memory stays bounded whatever the
// stream holds. A piece longer than the longest command this printer takes
// (a run of text, or a frame declaring more bytes than any logo) is listed
// in parts. Returns an error text when reading failed, or empty.
QString listStream(QIODevice &in, QTextStream &out);
