// A fake printer I/O library for the window tests. It is built as
// libDravik.so beside the test programs, so the program's binding finds it
// as it would find the real one; tests link it too, to configure it and to
// read back every call it received. A second build of it, the partial fake,
// lacks SendBufferToPrint, OpenComm, isLanguage and every optional export;
// a third, the fake without answers, lacks only QueryPrinter, FollowLastJob
// and CancelLastJob, as a library made before them. The program calls it from its worker thread (and the
// search for printers from several at once): the record is guarded, calls() hands out a copy, and the last
// failure is kept per thread, as the real library keeps it.
#pragma once

#include "dravik.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace fake {

struct Call
{
    std::string function;            // export name
    std::vector<std::string> texts;  // text arguments in order ("<null>" for NULL)
    std::vector<std::uint8_t> bytes; // SendBufferToPrint's buffer, QueryPrinter's request
    int number = 0;                  // OpenComm's baud rate, SendBufferToPrint's length, the time-outs
};

struct Config
{
    std::string printers;    // GetPrintDriveNames
    std::string serialPorts; // GetSystemSerial
    std::string portNames;   // GetPrintDrivePortNames
    std::string queueStates; // GetPrintDriveStates (absent from the fake without answers)
    std::string language = "english";
    std::string version = "0.0-fake";
    std::deque<int> openResults;            // successive OpenComm results; 1 once empty
    std::deque<int> closeResults;           // successive CloseComm results; 1 once empty
    std::string lastError;                  // GetLastErrorText after a failed open, close or send
    int lastErrorCode = DRAVIK_ERROR_OTHER; // GetLastErrorCode after a failed open, close or send
    std::deque<int> sendResults;            // successive SendBufferToPrint results; 1 once empty
    int sendDelayMs = 0;                    // how long each SendBufferToPrint takes
    int listDelayMs = 0;                    // how long each of the three list calls takes (a slow print server)

    // QueryPrinter: the answer to each request (a request not listed gets
    // none: 0). Over COM the printer answers only while the port is open at
    // answerRate (0: any rate); at another rate it answers noise.
    std::map<std::vector<std::uint8_t>, std::vector<std::uint8_t>> answers;
    int answerRate = 0;
    std::vector<std::uint8_t> noise;
    std::deque<int> queryResults; // successive results: -1 fails, 0 no answer, 1 answers; answers once empty
    int queryDelayMs = 0;         // how long each QueryPrinter takes
    std::deque<int>
        followResults; // successive FollowLastJob results; 1 once empty (0 leaves DRAVIK_ERROR_WAITING_IN_QUEUE)
    std::deque<int> cancelResults; // successive CancelLastJob results; 1 once empty

    // Finding printers (absent from the fake without answers, like QueryPrinter).
    std::string queueDevices;                  // GetPrintDriveDevices
    std::string usbPrinters;                   // GetUsbPrinters
    std::string serverDevices;                 // GetPrintServerDevices
    int serverDevicesCode = DRAVIK_ERROR_NONE; // GetPrintServerDevices fails with this code, when set
    std::deque<int> addQueueResults;           // successive AddPrintQueue results; 1 once empty
                                               // (a queue made joins printers and queueDevices)
};

void reset();
Config &config();
std::vector<Call> calls();
std::vector<Call> callsOf(const std::string &function);
void clearCalls();
// The most calls that were ever inside the library at the same time.
int maxConcurrentCalls();

} // namespace fake
