// Serial ports ("COM"): listing from sysfs, opening and writing with termios.
#pragma once

#include <cstddef>
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

int openSerial(const std::string &name, int baud);
int closeSerial(const std::string &name);
bool sendSerial(const std::string &name, const unsigned char *data, std::size_t length);
int receiveSerial(const std::string &name, unsigned char *buffer, int size);

// A request and its answer (see exchange()) through the port OpenComm opened.
int querySerial(const std::string &name, const unsigned char *request, std::size_t requestLength, unsigned char *reply,
                std::size_t size, int timeoutMs);
// The same on a serial device opened for this request only at that rate
// (through this program's open port when it has the device open).
int querySerialDevice(const std::string &path, int baud, const unsigned char *request, std::size_t requestLength,
                      unsigned char *reply, std::size_t size, int timeoutMs);

} // namespace dravik
