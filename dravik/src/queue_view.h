// What the print server says about a queue and its jobs: the queue's state,
// its reasons as words, and that as one line of the state list.
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

// A printer or job state reason keyword as words ("media-empty-error": "out
// of paper"); empty for one not worth naming.
std::string reasonText(std::string reason, const std::string &queue);

// Adds a reason's words unless empty or there already.
void addReason(std::vector<std::string> &reasons, const std::string &text);

// The parts joined by ", ".
std::string joined(const std::vector<std::string> &parts);

// The server's view of a queue in words: "idle, accepting jobs", "paused
// (cupsenable X resumes it), not accepting jobs (cupsaccept X): out of paper".
std::string serverView(const QueueState &state);

} // namespace dravik
