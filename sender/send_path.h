// The one path by which command bytes leave the program.
#pragma once

#include "command.h"
#include "dravik_binding.h"

#include <QString>

// Where every command goes: the access path ("DRIVE", "COM", "LPT") and the
// device within it.
struct PrinterTarget
{
    QString portName;
    QString printerName;
};

enum class SendStatus {
    Sent,       // the library was called (its result is not examined)
    NoLibrary,  // the library is not loaded: nothing was called
    NoExport,   // SendBufferToPrint is missing: nothing was called
};

// One call of SendBufferToPrint(port, printer, docName, bytes, length).
// docName may be null: such commands pass no document name.
SendStatus sendBuffer(const DravikBinding &lib, const PrinterTarget &target, const char *docName, const Bytes &bytes);
inline SendStatus sendCommand(const DravikBinding &lib, const PrinterTarget &target, const Command &command)
{
    return sendBuffer(lib, target, command.docName, command.bytes);
}
