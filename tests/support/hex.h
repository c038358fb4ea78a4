// Shows a command's bytes as upper-case hex pairs ("1B 23 23"), so the test
// tables read like the byte listings and a failure shows both sides plainly.
#pragma once

#include "command.h"

#include <QByteArray>

inline QByteArray hexOf(const Bytes &bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())).toHex(' ').toUpper();
}
