// The print queues the server lists, with their states, and one queue's
// device and state.
#include "cups_admin.h"
#include "cups_queue.h"
#include "cups_server.h"
#include "timeouts.h"

#include <algorithm>

namespace dravik {

namespace {

// CUPS-Get-Printers asking only for the attributes wanted: the server's
// answer, or null (with the reason set; none when it has no queues at all).
Ipp askForQueues(http_t *http, const char *const *wanted, int count)
{
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", count, nullptr, wanted);
    Ipp response = askServer(http, request, "/");
    if (!response) {
        const ipp_status_t st = cupsLastError();
        if (st == IPP_STATUS_ERROR_NOT_FOUND && !deadlineExpired())
            return {}; // no queues at all
        setRequestError(st, DRAVIK_ERROR_OTHER, "the listing of its print queues",
                        "listing the print queues of " + serverText() + " failed");
        return {};
    }
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) {
        const ipp_status_t st = ippGetStatusCode(response.get());
        if (st != IPP_STATUS_ERROR_NOT_FOUND)
            setError(kindOf(st, DRAVIK_ERROR_OTHER),
                     "listing the print queues of " + serverText() + " failed: " + ippErrorString(st));
        return {};
    }
    return response;
}

std::string textValue(ipp_attribute_t *a)
{
    const char *v = ippGetString(a, 0, nullptr);
    return v ? v : "";
}

QueueState::Kind stateKind(int ps)
{
    return ps == IPP_PSTATE_IDLE         ? QueueState::Idle
           : ps == IPP_PSTATE_PROCESSING ? QueueState::Printing
           : ps == IPP_PSTATE_STOPPED    ? QueueState::Stopped
                                         : QueueState::Unknown;
}

// Reads a printer-state, printer-is-accepting-jobs, printer-state-reasons
// or printer-state-message attribute into state; any other is passed over.
void readStateAttribute(ipp_attribute_t *a, QueueState &state)
{
    const std::string n = ippGetName(a);
    const ipp_tag_t tag = ippGetValueTag(a);
    if (n == "printer-state" && tag == IPP_TAG_ENUM) {
        state.state = stateKind(ippGetInteger(a, 0));
    } else if (n == "printer-is-accepting-jobs" && tag == IPP_TAG_BOOLEAN) {
        state.accepting = ippGetBoolean(a, 0) != 0;
    } else if (n == "printer-state-reasons" && tag == IPP_TAG_KEYWORD) {
        for (int i = 0; i < ippGetCount(a); ++i) {
            const char *r = ippGetString(a, i, nullptr);
            if (r && *r && std::string(r) != "none")
                state.reasons.emplace_back(r);
        }
    } else if (n == "printer-state-message" && (tag == IPP_TAG_TEXT || tag == IPP_TAG_TEXTLANG)) {
        state.message = textValue(a);
    }
}

// The server's queues, the default first, then by name, each once; with
// their states when asked for. Empty, with the reason set, when the listing
// failed.
std::vector<QueueState> askQueues(bool withStates)
{
    ServerCall call(cupsListTimeoutMs);
    if (!call.http())
        return {};
    // The names and types, then the states.
    static const char *const wanted[] = {"printer-name",          "printer-type",
                                         "printer-state",         "printer-is-accepting-jobs",
                                         "printer-state-reasons", "printer-state-message"};
    const Ipp response = askForQueues(call.http(), wanted, withStates ? 6 : 2);
    if (!response)
        return {};
    std::vector<QueueState> queues;
    std::string defaultName;
    QueueState queue;
    int type = 0;
    auto queueEnds = [&] {
        if (!queue.name.empty()) {
            if (type & CUPS_PRINTER_DEFAULT)
                defaultName = queue.name;
            queues.push_back(std::move(queue));
        }
        queue = QueueState();
        type = 0;
    };
    for (ipp_attribute_t *a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get())) {
        if (!ippGetName(a)) { // group separator: one printer ends
            queueEnds();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER)
            continue;
        const std::string n = ippGetName(a);
        if (n == "printer-name" && ippGetValueTag(a) == IPP_TAG_NAME)
            queue.name = textValue(a);
        else if (n == "printer-type" && ippGetValueTag(a) == IPP_TAG_ENUM)
            type = ippGetInteger(a, 0);
        else
            readStateAttribute(a, queue);
    }
    queueEnds();
    std::stable_sort(queues.begin(), queues.end(), [&](const QueueState &a, const QueueState &b) {
        const bool ad = a.name == defaultName, bd = b.name == defaultName;
        return ad != bd ? ad : a.name < b.name;
    });
    queues.erase(std::unique(queues.begin(), queues.end(),
                             [](const QueueState &a, const QueueState &b) { return a.name == b.name; }),
                 queues.end());
    return queues;
}

} // namespace

std::vector<std::string> listQueues()
{
    std::vector<std::string> names;
    for (QueueState &q : askQueues(false))
        names.push_back(std::move(q.name));
    return names;
}

std::vector<QueueState> listQueueStates()
{
    return askQueues(true);
}

std::vector<QueueDevice> listQueueDevices()
{
    ServerCall call(cupsListTimeoutMs);
    if (!call.http())
        return {};
    static const char *const wanted[] = {"printer-name", "printer-type", "device-uri"};
    const Ipp response = askForQueues(call.http(), wanted, 3);
    if (!response)
        return {};
    std::vector<QueueDevice> queues;
    QueueDevice queue;
    int type = 0;
    auto queueEnds = [&] {
        // A class has no device of its own.
        if (!queue.name.empty() && !queue.uri.empty() && !(type & CUPS_PRINTER_CLASS))
            queues.push_back(std::move(queue));
        queue = QueueDevice();
        type = 0;
    };
    for (ipp_attribute_t *a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get())) {
        if (!ippGetName(a)) {
            queueEnds();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER)
            continue;
        const std::string n = ippGetName(a);
        if (n == "printer-name" && ippGetValueTag(a) == IPP_TAG_NAME)
            queue.name = textValue(a);
        else if (n == "printer-type" && ippGetValueTag(a) == IPP_TAG_ENUM)
            type = ippGetInteger(a, 0);
        else if (n == "device-uri" && ippGetValueTag(a) == IPP_TAG_URI)
            queue.uri = textValue(a);
    }
    queueEnds();
    std::sort(queues.begin(), queues.end(), [](const QueueDevice &a, const QueueDevice &b) { return a.name < b.name; });
    return queues;
}

bool queueDevice(const std::string &queueName, std::string &uri, QueueState &state)
{
    ServerCall call(cupsListTimeoutMs);
    std::string queue;
    if (!call.http() || !namedOrDefaultQueue(call.http(), queueName, queue))
        return false;
    static const char *const wanted[] = {
        "device-uri",           "printer-type", "printer-state", "printer-is-accepting-jobs", "printer-state-reasons",
        "printer-state-message"};
    const Ipp response = askQueue(call.http(), queue, wanted, 6);
    if (!response)
        return false;
    state = QueueState();
    state.name = queue;
    for (ipp_attribute_t *a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get()))
        if (ippGetName(a) && ippGetGroupTag(a) == IPP_TAG_PRINTER)
            readStateAttribute(a, state);
    ipp_attribute_t *type = ippFindAttribute(response.get(), "printer-type", IPP_TAG_ENUM);
    ipp_attribute_t *device = ippFindAttribute(response.get(), "device-uri", IPP_TAG_URI);
    if ((type && (ippGetInteger(type, 0) & CUPS_PRINTER_CLASS)) || !device || !ippGetString(device, 0, nullptr)) {
        setError(DRAVIK_ERROR_NO_ANSWERS,
                 "print queue \"" + queue +
                     "\" is a class of queues or has no device of its own: it carries no answers; "
                     "the print server says: " +
                     serverView(state));
        return false;
    }
    uri = ippGetString(device, 0, nullptr);
    return true;
}

} // namespace dravik
