// What the print server says about a queue, and that as one line of the
// state list.
#pragma once

#include <string>
#include <vector>

namespace dravik {

struct QueueState
{
    enum Kind {
        Unknown,
        Idle,
        Printing,
        Stopped
    };
    std::string name;
    Kind state = Unknown;
    bool accepting = true;
    std::vector<std::string> reasons; // printer-state-reasons keywords, "none" left out
    std::string message;              // printer-state-message
};

// The text with every tab, carriage return and line feed made a blank (a
// field of a tab-separated line).
std::string oneField(std::string s);

// "NAME\tSTATE\tACCEPTING\tREASONS\tMESSAGE\n" for each queue.
std::string stateLines(const std::vector<QueueState> &queues);

} // namespace dravik
