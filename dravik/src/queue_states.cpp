#include "queue_states.h"

namespace dravik {

std::string oneField(std::string s)
{
    for (char &c : s)
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    return s;
}

std::string stateLines(const std::vector<QueueState> &queues)
{
    std::string out;
    for (const QueueState &q : queues) {
        // A queue the server reports in no state we know is shown stopped:
        // it is not known to take jobs.
        const char *state = q.state == QueueState::Idle       ? "idle"
                            : q.state == QueueState::Printing ? "printing"
                                                              : "stopped";
        std::string reasons;
        for (const std::string &r : q.reasons)
            reasons += (reasons.empty() ? "" : ",") + oneField(r);
        out += oneField(q.name) + '\t' + state + '\t' + (q.accepting ? "1" : "0") + '\t' + reasons + '\t' +
               oneField(q.message) + '\n';
    }
    return out;
}

} // namespace dravik
