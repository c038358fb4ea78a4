// Serial ports: which exist (from sysfs), and the device path of a name.
#pragma once

#include <string>
#include <vector>

namespace dravik {

// The device paths of the serial ports that really exist, USB adapters
// (ttyUSB*) first, then ACM devices (ttyACM*), then the rest (on-board ttyS*
// with a UART behind them, ttyAMA*, ...), each in number order. A port the
// kernel uses as its console is left out.
std::vector<std::string> listSerialPorts();

// A serial name as the program passes it, as a device path: a path starting
// with "/" as it is; "COM1".."COMn" (any case, ":" allowed) as /dev/ttyS0..;
// any other name as /dev/NAME ("ttyUSB0" -> /dev/ttyUSB0). Empty for an empty
// (or blank) name.
std::string serialDevicePath(const std::string &name);

} // namespace dravik
