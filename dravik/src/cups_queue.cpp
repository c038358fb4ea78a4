#include "cups_queue.h"

#include "common.h"
#include "timeouts.h"

#include <algorithm>
#include <memory>

#include <cups/cups.h>

namespace dravik {

namespace {

// Never ask anyone for a password (the default callback prompts on the
// terminal and would hang a program started from one).
const char *noPassword(const char *, http_t *, const char *, const char *, void *)
{
    return nullptr;
}

// Give up on a server that stops answering.
int giveUp(http_t *, void *)
{
    return 0;
}

struct HttpDeleter {
    void operator()(http_t *h) const { httpClose(h); }
};
using Http = std::unique_ptr<http_t, HttpDeleter>;

struct IppDeleter {
    void operator()(ipp_t *i) const { ippDelete(i); }
};
using Ipp = std::unique_ptr<ipp_t, IppDeleter>;

std::string serverText()
{
    const char *server = cupsServer();
    std::string s = server ? server : "";
    if (!s.empty() && s[0] != '/')
        s += ":" + std::to_string(ippPort());
    return s;
}

// A connection to the server, or null with the reason set.
Http connectServer()
{
    // Re-read CUPS_SERVER / client.conf on each call (libcups caches them per
    // thread), and never prompt.
    cupsSetServer(nullptr);
    cupsSetPasswordCB2(noPassword, nullptr);
    const char *server = cupsServer();
    http_t *h = httpConnect2(server, ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, cupsConnectTimeoutMs, nullptr);
    if (!h) {
        // (errno is not worth showing here: libcups has closed sockets since.)
        setError("no CUPS server answers at " + serverText() +
                 " (is cupsd running? CUPS_SERVER or client.conf may name another server)");
        return {};
    }
    httpSetTimeout(h, cupsAnswerTimeoutSeconds, giveUp, nullptr);
    return Http(h);
}

std::string cupsReason()
{
    const ipp_status_t st = cupsLastError();
    const char *text = cupsLastErrorString();
    std::string s = ippErrorString(st);
    if (text && *text && s != text)
        s += ": " + std::string(text);
    return s;
}

} // namespace

std::vector<std::string> listQueues()
{
    SigpipeGuard noSigpipe;
    Http http = connectServer();
    if (!http)
        return {};
    ipp_t *request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
    static const char *const wanted[] = {"printer-name", "printer-type"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    Ipp response(cupsDoRequest(http.get(), request, "/"));
    if (!response) {
        if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            return {}; // no queues at all
        setError("listing the print queues of " + serverText() + " failed: " + cupsReason());
        return {};
    }
    if (ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING) {
        if (ippGetStatusCode(response.get()) != IPP_STATUS_ERROR_NOT_FOUND)
            setError("listing the print queues of " + serverText() + " failed: " +
                     ippErrorString(ippGetStatusCode(response.get())));
        return {};
    }
    std::vector<std::string> names;
    std::string defaultName;
    std::string name;
    int type = 0;
    auto flush = [&] {
        if (!name.empty()) {
            if (type & CUPS_PRINTER_DEFAULT)
                defaultName = name;
            else
                names.push_back(name);
        }
        name.clear();
        type = 0;
    };
    for (ipp_attribute_t *a = ippFirstAttribute(response.get()); a; a = ippNextAttribute(response.get())) {
        const char *an = ippGetName(a);
        if (!an) { // group separator: one printer ends
            flush();
            continue;
        }
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER)
            continue;
        const std::string n = an;
        if (n == "printer-name" && ippGetValueTag(a) == IPP_TAG_NAME) {
            const char *v = ippGetString(a, 0, nullptr);
            name = v ? v : "";
        } else if (n == "printer-type" && ippGetValueTag(a) == IPP_TAG_ENUM) {
            type = ippGetInteger(a, 0);
        }
    }
    flush();
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    if (!defaultName.empty())
        names.insert(names.begin(), defaultName);
    return names;
}

bool sendToQueue(const std::string &queueName, const char *docName, const unsigned char *data, std::size_t length)
{
    SigpipeGuard noSigpipe; // a server that goes away must not end the program
    Http http = connectServer();
    if (!http)
        return false;
    std::string queue = queueName;
    if (queue.empty()) {
        const char *def = cupsGetDefault2(http.get());
        if (!def) {
            setError("no print queue named, and the CUPS server " + serverText() + " has no default queue");
            return false;
        }
        queue = def;
    }
    // An unknown queue gives an unclear error at submit time: look first.
    cups_dest_t *dest = cupsGetNamedDest(http.get(), queue.c_str(), nullptr);
    if (!dest) {
        if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND || cupsLastError() <= IPP_STATUS_OK_CONFLICTING)
            setError("no print queue named \"" + queue + "\" on the CUPS server " + serverText());
        else
            setError("looking up print queue \"" + queue + "\" failed: " + cupsReason());
        return false;
    }
    const char *accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool refuses = accepting && std::string(accepting) == "false";
    cupsFreeDests(1, dest);
    if (refuses) {
        setError("print queue \"" + queue + "\" is not accepting jobs (cupsaccept " + queue + ")");
        return false;
    }
    const int job = cupsCreateJob(http.get(), queue.c_str(), docName, 0, nullptr);
    if (job <= 0) {
        setError("print queue \"" + queue + "\" refused the job: " + cupsReason());
        return false;
    }
    auto fail = [&](const std::string &what) {
        const std::string reason = what + ": " + cupsReason();
        cupsCancelJob2(http.get(), queue.c_str(), job, 0);
        setError(reason);
        return false;
    };
    if (cupsStartDocument(http.get(), queue.c_str(), job, docName, CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE)
        return fail("starting the document of job " + std::to_string(job) + " on \"" + queue + "\" failed");
    std::size_t done = 0;
    while (done < length) {
        const std::size_t n = std::min<std::size_t>(length - done, 65536);
        if (cupsWriteRequestData(http.get(), reinterpret_cast<const char *>(data + done), n) != HTTP_STATUS_CONTINUE)
            return fail("sending the bytes of job " + std::to_string(job) + " to \"" + queue + "\" failed");
        done += n;
    }
    if (cupsFinishDocument(http.get(), queue.c_str()) > IPP_STATUS_OK_CONFLICTING)
        return fail("print queue \"" + queue + "\" did not take job " + std::to_string(job));
    return true;
}

} // namespace dravik
