// One request and its answer on an open, non-blocking descriptor: what
// QueryPrinter does on every path once it has the device.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>

namespace dravik {

// Discards input already waiting, writes the request (within timeoutMs), and
// reads the answer: returns once `size` bytes arrived, or 100 ms passed with
// no new byte after at least one, or timeoutMs passed since the start (then
// with what came, maybe nothing). The answer to an identity request (GS I n,
// n 65 to 69) ends at its NUL. `what` names the device in messages. With
// endOnEof, end of file ends the answer (a connection the far end closed);
// without, it means "nothing now" (a printer port).
int exchange(int fd, const std::string &what, const unsigned char *request, std::size_t requestLength,
             unsigned char *reply, std::size_t size, int timeoutMs, bool endOnEof);

// The lock that lets one request at a time reach a device (by its key: a
// resolved path, or "tcp:HOST:PORT"). Waits at most timeoutMs; false (with
// code 2) when another request holds it longer.
class DeviceTurn
{
public:
    DeviceTurn(const std::string &key, int timeoutMs);
    ~DeviceTurn();
    DeviceTurn(const DeviceTurn &) = delete;
    DeviceTurn &operator=(const DeviceTurn &) = delete;
    bool ok() const { return ok_; }

private:
    std::string key_;
    bool ok_ = false;
};

} // namespace dravik
