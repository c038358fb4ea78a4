#include "line_rate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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
