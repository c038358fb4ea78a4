#include "termios2_speed.h"

#include <cerrno>

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace line_speed {

int termios2SetSpeed(int fd, int baud)
{
    if (baud <= 0)
        return EINVAL;
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    // The input rate follows the output rate (CIBAUD zero).
    t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | CIBAUD);
    t.c_cflag |= BOTHER;
    t.c_ispeed = static_cast<speed_t>(baud);
    t.c_ospeed = static_cast<speed_t>(baud);
    if (::ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

long termios2Speed(int fd)
{
    termios2 t{};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    return static_cast<long>(t.c_ospeed);
}

} // namespace line_speed
