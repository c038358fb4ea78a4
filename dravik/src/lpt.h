// Raw printer ports ("LPT"): parallel ports and USB printer-class devices.
//
// Names: a parallel port /dev/lpN is "LPT<N+1>:" (/dev/lp0 is LPT1:). The USB
// printers /dev/usb/lpM come after the parallel ports: with P = (highest N of
// /dev/lpN) + 1, or 0 when there is none, /dev/usb/lpM is "LPT<P+M+1>:". So
// with no parallel port /dev/usb/lp0 is LPT1:, with /dev/lp0 it is LPT2:.
#pragma once

#include "common.h"

#include <string>
#include <vector>

namespace dravik {

struct LptPort
{
    std::string name; // "LPT1:"
    std::string path; // "/dev/lp0"
    long number = 0;  // 1
};

// The ports that exist now, in number order.
std::vector<LptPort> listLptPorts();

// The device path for a name the program passes: "LPT2", "lpt2:" (the number
// as listed now); a full path as it is; "lp0" or "usb/lp0" below /dev. Empty
// with the kind and reason of the failure when no such port exists or the
// name has a ".." component.
std::string lptDevicePath(const std::string &name, DravikErrorCode &code, std::string &why);

// Writes the bytes to a character device (never to a plain file, a FIFO or
// anything else; the test build's stand-ins excepted).
bool sendLpt(const std::string &name, const unsigned char *data, std::size_t length);

// A request and its answer on the same port (see exchange()): the answer's
// length, or -1 with the reason set.
int queryLpt(const std::string &name, const unsigned char *request, std::size_t requestLength, unsigned char *reply,
             std::size_t size, int timeoutMs);

} // namespace dravik
