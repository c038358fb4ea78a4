#include "line_rate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include <termios.h>

namespace {

struct Speed
{
    speed_t code;
    long baud;
};

constexpr Speed kSpeeds[] = {
    {B50, 50},           {B75, 75},           {B110, 110},         {B134, 134},         {B150, 150},
    {B200, 200},         {B300, 300},         {B600, 600},         {B1200, 1200},       {B1800, 1800},
    {B2400, 2400},       {B4800, 4800},       {B9600, 9600},       {B19200, 19200},     {B38400, 38400},
    {B57600, 57600},     {B115200, 115200},   {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
    {B576000, 576000},   {B921600, 921600},   {B1000000, 1000000}, {B1152000, 1152000}, {B1500000, 1500000},
    {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000}, {B3500000, 3500000}, {B4000000, 4000000},
};

} // namespace

long lineRate(int fd)
{
    termios t{};
    if (::tcgetattr(fd, &t) != 0)
        return 0;
    const speed_t code = ::cfgetospeed(&t);
    for (const Speed &s : kSpeeds)
        if (s.code == code)
            return s.baud;
    return 0;
}

QByteArray readAtOtherRate(const QByteArray &bytes, long sentAt, long readAt)
{
    if (sentAt == readAt || sentAt <= 0 || readAt <= 0)
        return bytes;
    // The line, one level per bit the sender sends: start 0, data bits
    // least significant first, stop 1. Past the end it is idle (1).
    const qsizetype bits = bytes.size() * 10;
    auto level = [&](qsizetype i) {
        if (i < 0 || i >= bits)
            return 1;
        const int within = int(i % 10);
        if (within == 0)
            return 0;
        if (within == 9)
            return 1;
        return (std::uint8_t(bytes[i / 10]) >> (within - 1)) & 1;
    };
    // Times in the sender's bit times.
    const double readBit = double(sentAt) / double(readAt);
    auto at = [&](double t) { return level(qsizetype(std::floor(t))); };
    QByteArray read;
    qsizetype edge = 0; // the sender's bit where the search for a start goes on
    while (edge < bits) {
        // A start: the line goes from 1 to 0 at a bit boundary.
        while (edge < bits && !(level(edge) == 0 && level(edge - 1) == 1))
            ++edge;
        if (edge >= bits)
            break;
        const double start = double(edge);
        if (at(start + 0.5 * readBit) != 0) { // a glitch, not a start bit
            ++edge;
            continue;
        }
        int value = 0;
        for (int b = 0; b < 8; ++b)
            value |= at(start + (1.5 + b) * readBit) << b;
        read += char(value);
        // The next start is looked for after the stop bit's middle, once the
        // line was idle again.
        edge = std::max(edge + 1, qsizetype(std::ceil(start + 9.5 * readBit)));
        while (edge < bits && level(edge - 1) == 0)
            ++edge;
    }
    return read;
}
