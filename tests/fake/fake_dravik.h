// A fake printer I/O library for the window tests. It is built as
// libDravik.so beside the test programs, so the program's binding finds it
// as it would find the real one; tests link it too, to configure it and to
// read back every call it received. A second build of it, the partial fake,
// lacks SendBufferToPrint, OpenComm, isLanguage, GetLastErrorText and
// GetLastErrorCode. The program calls it from its worker thread: the record
// is guarded, and calls() hands out a copy.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace fake {

struct Call
{
    std::string function;            // export name
    std::vector<std::string> texts;  // text arguments in order ("<null>" for NULL)
    std::vector<std::uint8_t> bytes; // SendBufferToPrint's buffer
    int number = 0;                  // OpenComm's baud rate, SendBufferToPrint's length
};

struct Config
{
    std::string printers;      // GetPrintDriveNames
    std::string serialPorts;   // GetSystemSerial
    std::string portNames;     // GetPrintDrivePortNames
    std::string language = "english";
    std::string version = "0.0-fake";
    std::deque<int> openResults;  // successive OpenComm results; 1 once empty
    std::deque<int> closeResults; // successive CloseComm results; 1 once empty
    std::string lastError;        // GetLastErrorText after a failed open, close or send
    int lastErrorCode = 9;        // GetLastErrorCode after a failed open, close or send
    std::deque<int> sendResults;  // successive SendBufferToPrint results; 1 once empty
    int sendDelayMs = 0;          // how long each SendBufferToPrint takes
};

void reset();
Config &config();
std::vector<Call> calls();
std::vector<Call> callsOf(const std::string &function);
void clearCalls();
// The most calls that were ever inside the library at the same time.
int maxConcurrentCalls();

} // namespace fake
