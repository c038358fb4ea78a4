// Serial device set-up with termios: the rates a port can take, raw 8N1
// without flow control, and letting go of a device.
#pragma once

#include "common.h"

#include <string>

#include <termios.h>

namespace dravik {

// The termios code of a baud rate; false for a rate no port takes.
bool speedCode(int baud, speed_t &code);

// Raw 8N1 without flow control at the speed; false with the kind and reason.
bool configure(int fd, int baud, speed_t speed, const std::string &path, DravikErrorCode &code, std::string &why);

// Gives up exclusive use (TIOCNXCL, the advisory lock) and closes.
void releaseFd(int fd);

} // namespace dravik
