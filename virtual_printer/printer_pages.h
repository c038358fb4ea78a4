// The two pages the printer prints about itself: the function list (its
// settings) and the code page list, as lines of text.
#pragma once

#include "printer_state.h"

#include <QByteArrayList>

QByteArrayList functionListLines(const PrinterState &state);
QByteArrayList codePageListLines(const PrinterState &state);
