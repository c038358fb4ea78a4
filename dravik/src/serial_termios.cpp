#include "serial_termios.h"

#include "line_speed.h"

#include <cerrno>

#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace dravik {

bool rateTaken(int baud, const std::string &path, std::string &why)
{
    if (baud >= line_speed::kSlowest && baud <= line_speed::kFastest)
        return true;
    why = "unsupported baud rate " + std::to_string(baud) + " for " + path + " (" +
          std::to_string(line_speed::kSlowest) + " to " + std::to_string(line_speed::kFastest) + ")";
    return false;
}

void releaseFd(int fd)
{
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

bool configure(int fd, int baud, const std::string &path, DravikErrorCode &code, std::string &why)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0) {
        const int e = errno;
        code = e == ENOTTY ? DRAVIK_ERROR_INVALID_ARGUMENT : codeForErrno(e);
        why = "cannot read the settings of " + path + ": " + errnoText(e);
        return false;
    }
    ::cfmakeraw(&t);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    // A rate termios names is set with the rest; any other after it, through
    // termios2.
    speed_t named = 0;
    const bool isNamed = line_speed::namedSpeed(baud, named);
    if (isNamed) {
        ::cfsetispeed(&t, named);
        ::cfsetospeed(&t, named);
    }
    int e = ::tcsetattr(fd, TCSANOW, &t) == 0 ? 0 : errno;
    if (e == 0 && !isNamed)
        e = line_speed::setOtherSpeed(fd, baud);
    if (e != 0) {
        code = e == EINVAL ? DRAVIK_ERROR_INVALID_ARGUMENT : codeForErrno(e);
        why = "cannot set " + path + " to " + std::to_string(baud) + " baud 8N1: " + errnoText(e);
        return false;
    }
    if (line_speed::lineSpeed(fd) != baud) {
        code = DRAVIK_ERROR_INVALID_ARGUMENT;
        why = path + " does not take " + std::to_string(baud) + " baud";
        return false;
    }
    return true;
}

} // namespace dravik
