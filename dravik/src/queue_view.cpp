#include "queue_view.h"

#include <algorithm>

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

std::string reasonText(std::string r, const std::string &queue)
{
    for (const char *suffix : {"-error", "-warning", "-report"}) {
        const std::string sx = suffix;
        if (r.size() > sx.size() && r.compare(r.size() - sx.size(), sx.size(), sx) == 0)
            r.erase(r.size() - sx.size());
    }
    if (r == "none" || r == "job-incoming" || r == "job-printing" || r == "job-queued" ||
        r == "processing-to-stop-point")
        return {};
    if (r == "paused" || r == "printer-stopped")
        return "the queue is paused (cupsenable " + queue + " resumes it)";
    if (r == "connecting-to-device")
        return "connecting to the printer";
    if (r == "offline" || r == "timed-out")
        return "the printer is off-line";
    if (r == "media-empty" || r == "media-needed")
        return "out of paper";
    if (r == "media-low")
        return "paper low";
    if (r == "media-jam")
        return "paper jam";
    if (r == "door-open" || r == "cover-open")
        return "cover open";
    if (r == "shutdown")
        return "the printer is shut down";
    if (r == "job-hold-until-specified" || r == "job-held-on-create")
        return "the job is held";
    if (r == "job-canceled-by-user" || r == "job-canceled-by-operator" || r == "job-canceled-at-device")
        return "cancelled by a user or the printer";
    if (r == "aborted-by-system")
        return "aborted by the print server";
    if (r == "printer-stopped-partly")
        return "the queue is partly stopped";
    return r;
}

void addReason(std::vector<std::string> &out, const std::string &text)
{
    if (!text.empty() && std::find(out.begin(), out.end(), text) == out.end())
        out.push_back(text);
}

std::string joined(const std::vector<std::string> &parts)
{
    std::string s;
    for (const std::string &p : parts)
        s += (s.empty() ? "" : ", ") + p;
    return s;
}

std::string serverView(const QueueState &q)
{
    std::string text = q.state == QueueState::Idle       ? "idle"
                       : q.state == QueueState::Printing ? "printing"
                       : q.state == QueueState::Stopped  ? "paused (cupsenable " + q.name + " resumes it)"
                                                         : "in an unknown state";
    text += q.accepting ? ", accepting jobs" : ", not accepting jobs (cupsaccept " + q.name + ")";
    std::vector<std::string> reasons;
    for (const std::string &r : q.reasons)
        if (r != "paused" && r != "printer-stopped") // said above
            addReason(reasons, reasonText(r, q.name));
    if (!reasons.empty())
        text += ": " + joined(reasons);
    if (!q.message.empty())
        text += " (\"" + oneField(q.message) + "\")";
    return text;
}

} // namespace dravik
