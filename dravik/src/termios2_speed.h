// A line's speed through termios2 (TCGETS2/TCSETS2, BOTHER), for rates
// termios names no constant for. Its source includes <asm/termbits.h>,
// which cannot stand beside <termios.h> in one source file: this header
// names no type of either.
#pragma once

namespace line_speed {

// Sets both directions to baud; 0, or the errno of the failure.
int termios2SetSpeed(int fd, int baud);

// The rate the line sends at; 0 when it cannot be read.
long termios2Speed(int fd);

} // namespace line_speed
