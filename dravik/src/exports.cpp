// The exported C functions: argument checks, the per-thread error text, and a
// wall that keeps every C++ exception inside the library.
#include "dravik.h"

#include "announced.h"
#include "common.h"
#include "cups_admin.h"
#include "cups_queue.h"
#include "device_uri.h"
#include "lpt.h"
#include "query.h"
#include "serial.h"
#include "serial_names.h"
#include "text_tools.h"
#include "timeouts.h"

#include <exception>
#include <string>

#ifndef DRAVIK_VERSION
#define DRAVIK_VERSION "0.0.0"
#endif

namespace {

using namespace dravik;

// Runs body; an escaping exception becomes the failure value and a reason.
template <typename R, typename F>
R guarded(R failure, F body) noexcept
{
    try {
        clearError();
        return body();
    } catch (const std::exception &e) {
        try {
            setError(DRAVIK_ERROR_OTHER, std::string("internal error: ") + e.what());
        } catch (...) {
        }
    } catch (...) {
        try {
            setError(DRAVIK_ERROR_OTHER, "internal error");
        } catch (...) {
        }
    }
    return failure;
}

// Storage of the returned lists: one per export and thread, valid until the
// same export is called again on the same thread.
thread_local std::string t_driveNames;
thread_local std::string t_driveStates;
thread_local std::string t_serialNames;
thread_local std::string t_portNames;
thread_local std::string t_driveDevices;
thread_local std::string t_usbPrinters;
thread_local std::string t_serverDevices;

const char *keep(std::string &slot, std::string text)
{
    slot = std::move(text);
    return slot.c_str();
}

} // namespace

extern "C" {

int SendBufferToPrint(const char *portName, const char *printerName, const char *docName, const unsigned char *data,
                      int length)
{
    return guarded(0, [&]() -> int {
        forgetLastJob(); // a queue send below makes its job the last one
        const std::string kind = lower(trim(textOf(portName)));
        const std::string name = textOf(printerName);
        if (kind != "drive" && kind != "com" && kind != "lpt") {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT,
                     "unknown port kind \"" + textOf(portName) + "\" (DRIVE, COM or LPT)");
            return 0;
        }
        if (length < 0) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "negative length " + std::to_string(length));
            return 0;
        }
        if (length > maxSendLength) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "buffer of " + std::to_string(length) + " bytes refused (at most " +
                                                        std::to_string(maxSendLength) + ")");
            return 0;
        }
        if (length > 0 && !data) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "no data (NULL) for " + std::to_string(length) + " bytes");
            return 0;
        }
        if (length == 0)
            return 1; // nothing to hand on
        const std::size_t n = static_cast<std::size_t>(length);
        if (kind != "drive")
            forgetSentJobs();
        bool ok = false;
        if (kind == "drive")
            ok = sendToQueue(trim(name), docName, data, n);
        else if (kind == "com")
            ok = sendSerial(name, data, n);
        else
            ok = sendLpt(name, data, n);
        return ok ? 1 : 0;
    });
}

int OpenComm(const char *port, int baudRate)
{
    return guarded(0, [&] { return openSerial(textOf(port), baudRate); });
}

int CloseComm(const char *port)
{
    return guarded(0, [&] { return closeSerial(textOf(port)); });
}

const char *GetPrintDriveNames(void)
{
    return guarded<const char *>("", [] { return keep(t_driveNames, joinLines(listQueues())); });
}

const char *GetPrintDriveStates(void)
{
    return guarded<const char *>("", [] { return keep(t_driveStates, stateLines(listQueueStates())); });
}

const char *GetPrintDriveDevices(void)
{
    return guarded<const char *>("", [] {
        std::string lines;
        for (const QueueDevice &q : listQueueDevices())
            lines += oneField(q.name) + '\t' + oneField(q.uri) + '\t' + oneField(deviceLink(q.uri)) + '\n';
        return keep(t_driveDevices, lines);
    });
}

const char *GetUsbPrinters(void)
{
    return guarded<const char *>("", [] {
        std::string lines;
        for (const UsbPrinter &p : listUsbPrinters())
            lines += oneField(p.path) + '\t' + oneField(usbUriOf(p.deviceId)) + '\t' + oneField(p.deviceId) + '\n';
        return keep(t_usbPrinters, lines);
    });
}

const char *GetPrintServerDevices(const char *schemes, int timeoutSeconds)
{
    return guarded<const char *>("", [&] {
        std::vector<ServerDevice> devices;
        if (!listServerDevices(textOf(schemes), timeoutSeconds, devices))
            return keep(t_serverDevices, std::string());
        std::string lines;
        for (const ServerDevice &d : devices)
            lines += oneField(d.uri) + '\t' + oneField(d.deviceClass) + '\t' + oneField(d.makeAndModel) + '\t' +
                     oneField(d.deviceId) + '\t' + oneField(d.info) + '\n';
        return keep(t_serverDevices, lines);
    });
}

int AddPrintQueue(const char *name, const char *deviceUri, int replace)
{
    return guarded(0, [&] { return addQueue(textOf(name), trim(textOf(deviceUri)), replace != 0); });
}

const char *GetSystemSerial(void)
{
    return guarded<const char *>("", [] {
        std::vector<std::string> ports = listSerialPorts();
        for (std::string &p : listAnnouncedPorts())
            ports.push_back(std::move(p));
        return keep(t_serialNames, joinLines(ports));
    });
}

const char *GetPrintDrivePortNames(const char *kind)
{
    return guarded<const char *>("", [&]() -> const char * {
        const std::string k = lower(trim(textOf(kind)));
        if (!k.empty() && k != "lpt") {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT,
                     "unknown port kind \"" + textOf(kind) + "\" (only LPT is listed here)");
            return keep(t_portNames, std::string());
        }
        std::vector<std::string> names;
        for (const LptPort &p : listLptPorts())
            names.push_back(p.name);
        return keep(t_portNames, joinLines(names));
    });
}

const char *isLanguage(void)
{
    return guarded<const char *>("english", [] { return languageFromLocale(); });
}

const char *GetDravikDllVer(void)
{
    return guarded<const char *>(DRAVIK_VERSION, [] { return DRAVIK_VERSION; });
}

int GetCommRecvData(const char *port, unsigned char *buffer, int size)
{
    return guarded(-1, [&] { return receiveSerial(textOf(port), buffer, size); });
}

int HexToStr(const unsigned char *data, int length, char *text, int size)
{
    return guarded(-1, [&] {
        const int n = hexToText(data, length, text, size);
        if (n < 0)
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "HexToStr: bad arguments or the text buffer is too small");
        return n;
    });
}

int StrToHex(const char *text, unsigned char *data, int size)
{
    return guarded(-1, [&] {
        const int n = textToHex(text, data, size);
        if (n < 0)
            setError(DRAVIK_ERROR_INVALID_ARGUMENT,
                     "StrToHex: a bad hex digit, an odd digit, or the byte buffer is too small");
        return n;
    });
}

int QueryPrinter(const char *portName, const char *printerName, const unsigned char *request, int requestLength,
                 unsigned char *reply, int replySize, int timeoutMs)
{
    return guarded(-1, [&]() -> int {
        const std::string kind = lower(trim(textOf(portName)));
        if (kind != "drive" && kind != "com" && kind != "lpt") {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT,
                     "unknown port kind \"" + textOf(portName) + "\" (DRIVE, COM or LPT)");
            return -1;
        }
        if (requestLength < 0 || (requestLength > 0 && !request) || requestLength > maxSendLength) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "QueryPrinter: no request, or a negative or too large length");
            return -1;
        }
        if (replySize <= 0 || !reply) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "QueryPrinter: no room for the answer");
            return -1;
        }
        if (timeoutMs < 0) {
            setError(DRAVIK_ERROR_INVALID_ARGUMENT, "QueryPrinter: negative time-out " + std::to_string(timeoutMs));
            return -1;
        }
        return queryPrinter(kind, textOf(printerName), request, static_cast<std::size_t>(requestLength), reply,
                            static_cast<std::size_t>(replySize), timeoutMs);
    });
}

int FollowLastJob(int timeoutMs)
{
    return guarded(-1, [&] { return followLastJob(timeoutMs); });
}

int FollowSentJobs(int timeoutMs)
{
    return guarded(0, [&] { return followSentJobs(timeoutMs); });
}

int CancelLastJob(void)
{
    return guarded(0, [] { return cancelLastJob(); });
}

const char *GetLastErrorText(void)
{
    // Does not clear: it reports the call before it.
    try {
        return errorText().c_str();
    } catch (...) {
        return "";
    }
}

int GetLastErrorCode(void)
{
    // Does not clear either.
    return static_cast<int>(errorCode());
}

} // extern "C"
