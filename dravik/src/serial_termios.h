// Serial device set-up with termios: the rates a port is set to, raw 8N1
// without flow control, and letting go of a device.
#pragma once

#include "common.h"

#include <string>

namespace dravik {

// Whether a port is set to the rate at all: from 50 to 4000000 baud, those
// termios names no constant for (128000) included; false with the reason.
bool rateTaken(int baud, const std::string &path, std::string &why);

// Raw 8N1 without flow control at the rate; false with the kind and reason.
bool configure(int fd, int baud, const std::string &path, DravikErrorCode &code, std::string &why);

// Gives up exclusive use (TIOCNXCL, the advisory lock) and closes.
void releaseFd(int fd);

} // namespace dravik
