// The main window's messages in both languages, in one place. Each function
// takes the language test's answer (true: Chinese).
#pragma once

#include "notifier.h"

class DravikBinding;

namespace messages {

// Tells what the press needs and the program lacks: the library itself, or
// one of its exports.
Message missingPiece(const DravikBinding &lib, const char *exportName, bool chinese);

Message serialOpenFailed(bool chinese);
Message serialConnectionError(const QString &port, bool chinese);
Message serialCloseFailed(const QString &printerName, bool chinese);
Message baudRateRestart(bool chinese);

} // namespace messages
