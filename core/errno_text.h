// The system's own text for an error number ("No such file or directory"),
// in the locale's encoding, for messages that name the cause.
#pragma once

#include <QString>

QString errnoText(int code);
