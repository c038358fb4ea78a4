// The one path by which command bytes leave the program.
#pragma once

#include "command.h"
#include "dravik_binding.h"

#include <QString>

// The library's three access paths: a print queue, a serial port, a printer
// port (parallel or USB).
enum class PathKind {
    None,
    Queue,
    Serial,
    Port
};

// The name the library knows each path by: "DRIVE", "COM", "LPT" (empty for None).
QString portNameOf(PathKind kind);
// The path a port name stands for; None for any other name.
PathKind pathKindOf(const QString &portName);

// Where every command goes: the access path's name and the device within it.
struct PrinterTarget
{
    QString portName;
    QString printerName;
    int baudRate = 0; // the rate the serial port was opened at; 0 when not known

    static PrinterTarget of(PathKind kind, const QString &name, int baudRate = 0)
    {
        return {portNameOf(kind), name, kind == PathKind::Serial ? baudRate : 0};
    }
    PathKind kind() const { return pathKindOf(portName); }
    bool isQueue() const { return kind() == PathKind::Queue; }
    bool isSerial() const { return kind() == PathKind::Serial; }
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
    int code = kUntoldErrorCode; // lastErrorCode(): a DravikErrorCode, or kUntoldErrorCode
    QString text;                // the library's own text, possibly empty
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
