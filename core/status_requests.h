// Builds the requests a printer answers: its real-time status (DLE EOT n),
// its identity (GS I n) and its paper sensor (GS r 1). These bytes never go
// through a print job; they are written where the answer can be read back.
#pragma once

#include "command.h"

#include <cstdint>

// DLE EOT n: one status byte each.
enum class StatusRequest : std::uint8_t {
    Printer = 1,      // on-line, drawer pin
    OfflineCause = 2, // cover open, paper fed by the button, paper end, error
    ErrorCause = 3,   // mechanical, cutter, unrecoverable, auto-recoverable
    RollPaper = 4,    // near end, paper end
};

// GS I n: 1 to 3 answer one byte; 65 and up answer "_", a text and NUL.
enum class IdRequest : std::uint8_t {
    ModelId = 1,
    TypeId = 2,
    RomVersionId = 3,
    Firmware = 65,
    Maker = 66,
    Model = 67,
    SerialNumber = 68,
    Fonts = 69,
};

Bytes statusRequest(StatusRequest which);
Bytes idRequest(IdRequest which);
// GS r 1: the paper sensor status byte.
Bytes paperSensorRequest();

// Whether n is a request number the printer knows, as the decoder reads them.
bool isStatusRequestNumber(unsigned n);
bool isIdRequestNumber(unsigned n);
