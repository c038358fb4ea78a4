// Sending from a window: the send path, plus a message that names the
// library or export when something needed is missing.
#pragma once

#include "send_path.h"

class QWidget;

// True when SendBufferToPrint can be called; otherwise tells the user what
// is missing and returns false.
bool canSendOrReport(QWidget *parent, const DravikBinding &lib, bool chinese);

// Hands the command to the library; returns false, after telling the user,
// when the library or SendBufferToPrint is missing.
bool sendOrReport(QWidget *parent, const DravikBinding &lib, const PrinterTarget &target, const Command &command,
                  bool chinese);
