#include "serial_termios.h"

#include <cerrno>

#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace dravik {

namespace {

struct Speed
{
    int baud;
    speed_t code;
};
const Speed kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

} // namespace

bool speedCode(int baud, speed_t &code)
{
    for (const Speed &s : kSpeeds)
        if (s.baud == baud) {
            code = s.code;
            return true;
        }
    return false;
}

void releaseFd(int fd)
{
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
    ::close(fd);
}

// Raw 8N1 without flow control at the speed; false with the kind and reason.
bool configure(int fd, int baud, speed_t speed, const std::string &path, DravikErrorCode &code, std::string &why)
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
    ::cfsetispeed(&t, speed);
    ::cfsetospeed(&t, speed);
    if (::tcsetattr(fd, TCSANOW, &t) != 0) {
        const int e = errno;
        code = e == EINVAL ? DRAVIK_ERROR_INVALID_ARGUMENT : codeForErrno(e);
        why = "cannot set " + path + " to " + std::to_string(baud) + " baud 8N1: " + errnoText(e);
        return false;
    }
    termios back{};
    if (::tcgetattr(fd, &back) != 0 || ::cfgetospeed(&back) != speed) {
        code = DRAVIK_ERROR_INVALID_ARGUMENT;
        why = path + " does not take " + std::to_string(baud) + " baud";
        return false;
    }
    return true;
}

} // namespace dravik
