// What the virtual printer keeps across a restart, as a printer keeps its
// flash: the settings, the stored logos and the QR text, in printer.json of
// its output folder. Counters start again with each run.
#pragma once

#include "printer_state.h"

#include <QByteArray>
#include <QString>

// The settings and flash of state as printer.json.
QByteArray flashJson(const PrinterState &state);

// Reads printer.json into the settings and flash of state (its counters
// kept). False with the reason when any part is missing, of the wrong kind
// or out of range; state is then unchanged.
bool readFlash(const QByteArray &json, PrinterState &state, QString &why);
