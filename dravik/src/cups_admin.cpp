#include "cups_admin.h"

#include "cups_server.h"
#include "queue_view.h"
#include "timeouts.h"

#include <algorithm>

namespace dravik {

namespace {

std::string stringValue(ipp_attribute_t *a)
{
    const char *v = a ? ippGetString(a, 0, nullptr) : nullptr;
    return v ? v : "";
}

// The fix for a user the server does not let administer printers.
std::string adminAdvice()
{
    const char *user = cupsUser();
    const std::string who = user && *user ? user : "this user";
    return "join the group lpadmin (sudo usermod -aG lpadmin " + who +
           ", then log in again), or run the command with sudo";
}

// Refused for want of rights: the server's no, in its words, and the fix.
bool refusedAsNotAdmin(ipp_status_t st)
{
    return st == IPP_STATUS_ERROR_FORBIDDEN || st == IPP_STATUS_ERROR_NOT_AUTHENTICATED ||
           st == IPP_STATUS_ERROR_NOT_AUTHORIZED || st == IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED;
}

// Whether a queue or class of that name exists: 1 yes, 0 no, -1 the server
// could not be asked (the reason set).
int queueExists(http_t *http, const std::string &name)
{
    static const char *const wanted[] = {"printer-name"};
    const Ipp response = askQueue(http, name, wanted, 1);
    if (response)
        return 1;
    if (errorCode() == DRAVIK_ERROR_NOT_FOUND) {
        clearError();
        return 0;
    }
    return -1;
}

} // namespace

std::string queueNameProblem(const std::string &name)
{
    if (name.empty())
        return "a print queue needs a name";
    if (name.size() > 127)
        return "a print queue's name has at most 127 bytes (this one has " + std::to_string(name.size()) + ")";
    for (const char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 127)
            return "a print queue's name has no blanks or control characters";
        if (std::string("/\\?'\"#@").find(c) != std::string::npos)
            return std::string("a print queue's name has none of / \\ ? ' \" # @ (this one has ") + c + ")";
    }
    return {};
}

bool listServerDevices(const std::string &schemes, int timeoutSeconds, std::vector<ServerDevice> &devices)
{
    devices.clear();
    const int seconds = std::max(1, std::min(60, timeoutSeconds));
    // The backends are given their time, and the server a little more.
    ServerCall call(seconds * 1000LL + cupsListTimeoutMs);
    if (!call.http())
        return false;
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_GET_DEVICES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "timeout", seconds);
    std::vector<std::string> wantedSchemes;
    for (std::size_t at = 0; at < schemes.size();) {
        const std::size_t end = std::min(schemes.find(' ', at), schemes.size());
        if (end > at)
            wantedSchemes.push_back(schemes.substr(at, end - at));
        at = end + 1;
    }
    if (!wantedSchemes.empty()) {
        std::vector<const char *> values;
        for (const std::string &s : wantedSchemes)
            values.push_back(s.c_str());
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "include-schemes", static_cast<int>(values.size()),
                      nullptr, values.data());
    }
    Ipp response(cupsDoRequest(call.http(), request, "/"));
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (!response || st > IPP_STATUS_OK_CONFLICTING) {
        if (refusedAsNotAdmin(st) && !deadlineExpired())
            setError(DRAVIK_ERROR_NO_PERMISSION, "the CUPS server at " + serverText() +
                                                     " lists the devices its backends find only to its "
                                                     "administrators: " +
                                                     adminAdvice());
        else if (st == IPP_STATUS_ERROR_NOT_FOUND && !deadlineExpired())
            return true; // no device at all
        else
            setRequestError(st, DRAVIK_ERROR_OTHER, "the listing of its devices",
                            "listing the devices of " + serverText() + " failed");
        return false;
    }
    ServerDevice device;
    auto deviceEnds = [&] {
        if (!device.uri.empty())
            devices.push_back(device);
        device = ServerDevice();
    };
    for (ipp_attribute_t *a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get())) {
        if (!ippGetName(a)) {
            deviceEnds();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER)
            continue;
        const std::string n = ippGetName(a);
        if (n == "device-uri")
            device.uri = stringValue(a);
        else if (n == "device-class")
            device.deviceClass = stringValue(a);
        else if (n == "device-make-and-model")
            device.makeAndModel = stringValue(a);
        else if (n == "device-id")
            device.deviceId = stringValue(a);
        else if (n == "device-info")
            device.info = stringValue(a);
    }
    deviceEnds();
    return true;
}

int addQueue(const std::string &name, const std::string &uri, bool replace)
{
    const std::string problem = queueNameProblem(name);
    if (!problem.empty()) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, "print queue name \"" + name + "\" refused: " + problem);
        return 0;
    }
    if (uri.empty() || uri.find(':') == std::string::npos || uri.find_first_of(" \t\r\n") != std::string::npos) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, "device URI \"" + uri + "\" refused: it is no URI (scheme:...)");
        return 0;
    }
    ServerCall call(cupsAdminTimeoutMs);
    if (!call.http())
        return 0;
    const int exists = queueExists(call.http(), name);
    if (exists < 0)
        return 0;
    if (exists && !replace) {
        setError(DRAVIK_ERROR_INVALID_ARGUMENT, "a print queue or class named \"" + name +
                                                    "\" exists already on the CUPS server at " + serverText() +
                                                    ": choose another name, or replace it");
        return -1;
    }
    ipp_t *request = queueRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, "/printers/" + name);
    ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, uri.c_str());
    // A queue replaced loses its driver: it becomes as raw as a new one.
    if (exists)
        ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_NAME, "ppd-name", nullptr, "raw");
    ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
    ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
    Ipp response(cupsDoRequest(call.http(), request, "/admin/"));
    const ipp_status_t st = response ? ippGetStatusCode(response.get()) : cupsLastError();
    if (response && st <= IPP_STATUS_OK_CONFLICTING)
        return 1;
    const std::string shown = "print queue \"" + name + "\"";
    if (refusedAsNotAdmin(st) && !deadlineExpired())
        setError(DRAVIK_ERROR_NO_PERMISSION, "the CUPS server at " + serverText() + " does not let " +
                                                 textOf(cupsUser()) + " add or change print queues: " + adminAdvice());
    else
        setRequestError(st, DRAVIK_ERROR_INVALID_ARGUMENT, "the making of " + shown,
                        "the CUPS server at " + serverText() + " did not make " + shown + " for " + uri);
    return 0;
}

} // namespace dravik
