// Sending a print-queue job: one raw document, after the queue was looked at.
#include "cups_jobs.h"
#include "cups_queue.h"
#include "cups_server.h"
#include "timeouts.h"

#include <algorithm>

namespace dravik {

namespace {

// Whether a queue takes jobs, and the resource they go to; false with the
// reason set. An unknown queue gives an unclear error at submit time: it is
// looked at first.
bool lookUpQueue(http_t *http, const std::string &queue, std::string &resource)
{
    static const char *const wanted[] = {"printer-is-accepting-jobs", "printer-type"};
    const Ipp response = askQueue(http, queue, wanted, 2);
    if (!response)
        return false;
    ipp_attribute_t *accepting = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    if (accepting && !ippGetBoolean(accepting, 0)) {
        setError(DRAVIK_ERROR_QUEUE_REFUSED,
                 "print queue \"" + queue + "\" is not accepting jobs (cupsaccept " + queue + ")");
        return false;
    }
    // Jobs go to the queue's own resource, where the server's rules for it apply.
    ipp_attribute_t *type = ippFindAttribute(response.get(), "printer-type", IPP_TAG_ENUM);
    resource = (type && (ippGetInteger(type, 0) & CUPS_PRINTER_CLASS) ? "/classes/" : "/printers/") + queue;
    return true;
}

// Creates an empty job on the queue: its id, or 0 with cupsLastError set.
// (cupsCreateJob, like cupsStartDocument, first fetches every attribute of
// the queue.)
int createJob(http_t *http, const std::string &resource, const char *docName)
{
    ipp_t *request = queueRequest(IPP_OP_CREATE_JOB, resource);
    if (docName)
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, docName);
    Ipp response = askServer(http, request, resource.c_str());
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING)
        return 0;
    ipp_attribute_t *id = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER);
    return id ? ippGetInteger(id, 0) : 0;
}

// Starts the job's one and only document, raw; the bytes follow with
// cupsWriteRequestData and the server's answer with cupsGetResponse.
http_status_t startDocument(http_t *http, const std::string &resource, int job, const char *docName)
{
    Ipp request(queueRequest(IPP_OP_SEND_DOCUMENT, resource));
    ippAddInteger(request.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    if (docName)
        ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_NAME, "document-name", nullptr, docName);
    ippAddString(request.get(), IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr, CUPS_FORMAT_RAW);
    ippAddBoolean(request.get(), IPP_TAG_OPERATION, "last-document", 1);
    return cupsSendRequest(http, request.get(), resource.c_str(), CUPS_LENGTH_VARIABLE);
}

// Whether the server holds the job's document although libcups lost its
// answer to the upload (a job still waiting for its document says
// "job-incoming").
bool documentArrived(http_t *http, const std::string &resource, int job)
{
    ipp_t *request = queueRequest(IPP_OP_GET_JOB_ATTRIBUTES, resource);
    ippAddInteger(request, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", job);
    static const char *const wanted[] = {"job-state", "job-state-reasons"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    const Ipp response = askServer(http, request, "/");
    if (!response || ippGetStatusCode(response.get()) > IPP_STATUS_OK_CONFLICTING ||
        !ippFindAttribute(response.get(), "job-state", IPP_TAG_ENUM))
        return false;
    for (const std::string &reason : keywords(response.get(), "job-state-reasons"))
        if (reason == "job-incoming")
            return false;
    return true;
}

} // namespace

bool sendToQueue(const std::string &queueName, const char *docName, const unsigned char *data, std::size_t length)
{
    forgetLastJob();
    ServerCall call(cupsSendTimeoutMs(static_cast<long long>(length)));
    http_t *http = call.http();
    std::string queue;
    std::string resource;
    if (!http || !namedOrDefaultQueue(http, queueName, queue) || !lookUpQueue(http, queue, resource))
        return false;
    const int job = createJob(http, resource, docName);
    if (job <= 0) {
        setRequestError(cupsLastError(), DRAVIK_ERROR_QUEUE_REFUSED, "the creation of a job on \"" + queue + "\"",
                        "print queue \"" + queue + "\" refused the job");
        return false;
    }
    const LastJob sent{job, queue, resource};
    // A step of the job failed: the server's answer, or the server gone.
    // (The reason is read before the withdrawal changes libcups' last error.)
    auto fail = [&](const std::string &what, ipp_status_t st) {
        setRequestError(st, DRAVIK_ERROR_QUEUE_REFUSED, what, what + " failed");
        cupsCancelJob2(http, queue.c_str(), job, 0);
        return false;
    };
    // HTTP errors of the document upload: no answer at all is the server gone.
    auto statusOf = [](http_status_t h) {
        return h == HTTP_STATUS_ERROR ? IPP_STATUS_ERROR_SERVICE_UNAVAILABLE : cupsLastError();
    };
    const http_status_t started = startDocument(http, resource, job, docName);
    if (started != HTTP_STATUS_CONTINUE)
        return fail("the start of the document of " + jobText(sent), statusOf(started));
    std::size_t done = 0;
    while (done < length) {
        const std::size_t n = std::min<std::size_t>(length - done, 65536);
        const http_status_t wrote = cupsWriteRequestData(http, reinterpret_cast<const char *>(data + done), n);
        if (wrote != HTTP_STATUS_CONTINUE)
            return fail("the sending of the bytes of " + jobText(sent), statusOf(wrote));
        done += n;
    }
    Ipp answer(cupsGetResponse(http, resource.c_str()));
    const ipp_status_t finished = cupsLastError();
    if (finished > IPP_STATUS_OK_CONFLICTING &&
        !(serverWentAway(finished) && !deadlineExpired() && httpReconnect2(http, cupsConnectTimeoutMs, nullptr) == 0 &&
          documentArrived(http, resource, job)))
        return fail("the end of the document of " + jobText(sent), finished);
    rememberLastJob(sent);
    return true;
}

} // namespace dravik
