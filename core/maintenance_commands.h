// Builds the test and maintenance commands of the main window's test group.
#pragma once

#include "command.h"

#include <QByteArray>

// The fixed text of the QR test: this project's own web address.
inline constexpr const char *kQrText = "https://nemboportsettings.example.org/";
inline constexpr int kQrTextMax = 248;

Command functionListCommand();
Command codePageListCommand();
Command cashDrawerCommand();
Command fullCutCommand();
Command halfCutCommand();
Command factoryRestoreCommand();
// Stores the text (at most 248 bytes are taken) in the QR symbol area.
Command qrStoreCommand(const QByteArray &text);
Command qrPrintCommand();
