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
    int baudRate = 0; // the rate the serial port was opened at; 0 when not known
};

enum class SendStatus {
    Sent,      // the library took all the bytes
    Failed,    // the library was called and reported failure
    NoLibrary, // the library is not loaded: nothing was called
    NoExport,  // SendBufferToPrint is missing: nothing was called
};

// Why the library says a call failed, read on the thread that made the call.
struct FailureReason
{
    int code = -1; // lastErrorCode(): 1 to 11, or -1 when the library does not tell
    QString text;  // the library's own text, possibly empty
};
FailureReason failureReason(const DravikBinding &lib);

// One call of SendBufferToPrint(port, printer, docName, bytes, length).
// docName may be null: such commands pass no document name. On Failed the
// library's reason goes to *reason when given.
SendStatus sendBuffer(const DravikBinding &lib, const PrinterTarget &target, const char *docName, const Bytes &bytes,
                      FailureReason *reason = nullptr);
inline SendStatus sendCommand(const DravikBinding &lib, const PrinterTarget &target, const Command &command,
                              FailureReason *reason = nullptr)
{
    return sendBuffer(lib, target, command.docName, command.bytes, reason);
}
