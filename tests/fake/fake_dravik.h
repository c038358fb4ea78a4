// A fake printer I/O library for the window tests. It is built as
// libDravik.so beside the test programs, so the program's binding finds it
// as it would find the real one; tests link it too, to configure it and to
// read back every call it received. A second build of it, the partial fake,
// lacks SendBufferToPrint, OpenComm, isLanguage and GetLastErrorText.
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
    std::string lastError;        // GetLastErrorText after a failed open or close
};

void reset();
Config &config();
const std::vector<Call> &calls();
std::vector<Call> callsOf(const std::string &function);
void clearCalls();

} // namespace fake
