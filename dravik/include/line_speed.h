// A serial line's speed on Linux: the rates termios names (B9600...), and any
// other through termios2 (BOTHER). Shared by the printer I/O library, which
// sets the rate a port is opened at, and the virtual printer, which reads the
// rate its pseudo-terminal was set to. Plain C++ and POSIX: no Qt, no state.
#pragma once

#include <termios.h>

namespace line_speed {

// The rates a line is set to, slowest and fastest.
inline constexpr int kSlowest = 50;
inline constexpr int kFastest = 4000000;

// termios's constant for a rate; false when it names none (128000, say).
bool namedSpeed(int baud, speed_t &code);

// Sets both directions of the terminal behind fd to a rate termios names no
// constant for, leaving its other settings; 0, or the errno of the failure.
int setOtherSpeed(int fd, int baud);

// The rate the terminal behind fd sends at, in baud, whether termios names
// it or not; 0 when it cannot be read.
long lineSpeed(int fd);

} // namespace line_speed
