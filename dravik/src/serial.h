// Serial ports ("COM"): the table of open ports, and writing, reading and
// asking through them.
#pragma once

#include <cstddef>
#include <string>

namespace dravik {

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
