#include "fake_dravik.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>

namespace fake {

namespace {
Config g_config;
std::vector<Call> g_calls;
std::mutex g_mutex; // guards g_calls and g_config's result queues
// The last failure's reason, per thread as the real library keeps it: the
// search for printers calls from several threads at once.
thread_local std::string g_error;
thread_local int g_errorCode = DRAVIK_ERROR_NONE;
std::atomic<int> g_openRate{0}; // the rate of the last OpenComm that succeeded
std::atomic<int> g_inside{0};
std::atomic<int> g_maxInside{0};

// Counts the calls inside the library at one time.
struct Inside
{
    Inside()
    {
        const int now = ++g_inside;
        int seen = g_maxInside.load();
        while (now > seen && !g_maxInside.compare_exchange_weak(seen, now)) {
        }
    }
    ~Inside() { --g_inside; }
};

void fail(bool failed)
{
    g_error = failed ? g_config.lastError : std::string();
    g_errorCode = failed ? g_config.lastErrorCode : DRAVIK_ERROR_NONE;
}

std::string text(const char *s)
{
    return s ? std::string(s) : std::string("<null>");
}

void record(Call call)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.push_back(std::move(call));
}

int next(std::deque<int> &results)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (results.empty())
        return 1;
    const int r = results.front();
    results.pop_front();
    return r;
}
} // namespace

void reset()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_config = Config();
    g_calls.clear();
    g_error.clear();
    g_errorCode = DRAVIK_ERROR_NONE;
    g_openRate = 0;
    g_maxInside = 0;
}

Config &config()
{
    return g_config;
}

std::vector<Call> calls()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_calls;
}

std::vector<Call> callsOf(const std::string &function)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    std::vector<Call> out;
    for (const Call &c : g_calls)
        if (c.function == function)
            out.push_back(c);
    return out;
}

void clearCalls()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_calls.clear();
    g_maxInside = 0;
}

int maxConcurrentCalls()
{
    return g_maxInside;
}

} // namespace fake

using namespace fake;

namespace {
void slowList()
{
    if (g_config.listDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(g_config.listDelayMs));
}
} // namespace

extern "C" {

#ifndef FAKE_PARTIAL
__attribute__((visibility("default"))) int SendBufferToPrint(const char *portName, const char *printerName,
                                                             const char *docName, const unsigned char *data, int length)
{
    Inside inside;
    Call c{"SendBufferToPrint", {text(portName), text(printerName), text(docName)}, {}, length};
    if (data && length > 0)
        c.bytes.assign(data, data + length);
    record(std::move(c));
    if (g_config.sendDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(g_config.sendDelayMs));
    const int r = next(g_config.sendResults);
    fail(r == 0);
    return r;
}
#endif

#ifndef FAKE_PARTIAL
__attribute__((visibility("default"))) int OpenComm(const char *port, int baudRate)
{
    Inside inside;
    record({"OpenComm", {text(port)}, {}, baudRate});
    const int r = next(g_config.openResults);
    fail(r != 1);
    if (r == 1)
        g_openRate = baudRate;
    return r;
}
#endif

__attribute__((visibility("default"))) int CloseComm(const char *port)
{
    Inside inside;
    record({"CloseComm", {text(port)}, {}, 0});
    const int r = next(g_config.closeResults);
    fail(r == 0);
    return r;
}

__attribute__((visibility("default"))) int GetCommRecvData(const char *, unsigned char *, int)
{
    record({"GetCommRecvData", {}, {}, 0});
    return 0;
}

__attribute__((visibility("default"))) const char *GetSystemSerial(void)
{
    record({"GetSystemSerial", {}, {}, 0});
    slowList();
    return g_config.serialPorts.c_str();
}

__attribute__((visibility("default"))) const char *GetPrintDrivePortNames(const char *kind)
{
    record({"GetPrintDrivePortNames", {text(kind)}, {}, 0});
    slowList();
    return g_config.portNames.c_str();
}

__attribute__((visibility("default"))) const char *GetPrintDriveNames(void)
{
    record({"GetPrintDriveNames", {}, {}, 0});
    slowList();
    return g_config.printers.c_str();
}

__attribute__((visibility("default"))) int HexToStr(const unsigned char *, int, char *, int)
{
    record({"HexToStr", {}, {}, 0});
    return -1;
}

__attribute__((visibility("default"))) int StrToHex(const char *, unsigned char *, int)
{
    record({"StrToHex", {}, {}, 0});
    return -1;
}

#ifndef FAKE_PARTIAL
__attribute__((visibility("default"))) const char *isLanguage(void)
{
    record({"isLanguage", {}, {}, 0});
    return g_config.language.c_str();
}

__attribute__((visibility("default"))) const char *GetLastErrorText(void)
{
    return g_error.c_str();
}

__attribute__((visibility("default"))) int GetLastErrorCode(void)
{
    return g_errorCode;
}
#endif

#if !defined(FAKE_PARTIAL) && !defined(FAKE_WITHOUT_ANSWERS)
__attribute__((visibility("default"))) const char *GetPrintDriveStates(void)
{
    record({"GetPrintDriveStates", {}, {}, 0});
    return g_config.queueStates.c_str();
}

__attribute__((visibility("default"))) int QueryPrinter(const char *portName, const char *printerName,
                                                        const unsigned char *request, int requestLength,
                                                        unsigned char *reply, int replySize, int timeoutMs)
{
    Inside inside;
    Call c{"QueryPrinter", {text(portName), text(printerName)}, {}, timeoutMs};
    if (request && requestLength > 0)
        c.bytes.assign(request, request + requestLength);
    const std::vector<std::uint8_t> asked = c.bytes;
    record(std::move(c));
    if (g_config.queryDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(g_config.queryDelayMs));
    int forced = 1;
    std::vector<std::uint8_t> answer;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_config.queryResults.empty()) {
            forced = g_config.queryResults.front();
            g_config.queryResults.pop_front();
        }
        if (forced <= 0) {
        } else if (text(portName) == "COM" && g_config.answerRate != 0 && g_openRate != g_config.answerRate) {
            answer = g_config.noise;
        } else {
            const auto found = g_config.answers.find(asked);
            if (found != g_config.answers.end())
                answer = found->second;
        }
    }
    fail(forced < 0);
    if (forced <= 0)
        return forced;
    const int n = std::min<int>(int(answer.size()), replySize);
    if (n > 0)
        std::memcpy(reply, answer.data(), std::size_t(n));
    return n;
}

__attribute__((visibility("default"))) const char *GetPrintDriveDevices(void)
{
    record({"GetPrintDriveDevices", {}, {}, 0});
    fail(false);
    return g_config.queueDevices.c_str();
}

__attribute__((visibility("default"))) const char *GetUsbPrinters(void)
{
    record({"GetUsbPrinters", {}, {}, 0});
    fail(false);
    return g_config.usbPrinters.c_str();
}

__attribute__((visibility("default"))) const char *GetPrintServerDevices(const char *schemes, int timeoutSeconds)
{
    Inside inside;
    record({"GetPrintServerDevices", {text(schemes)}, {}, timeoutSeconds});
    fail(g_config.serverDevicesCode != DRAVIK_ERROR_NONE);
    if (g_config.serverDevicesCode != DRAVIK_ERROR_NONE) {
        g_errorCode = g_config.serverDevicesCode;
        return "";
    }
    return g_config.serverDevices.c_str();
}

__attribute__((visibility("default"))) int AddPrintQueue(const char *name, const char *deviceUri, int replace)
{
    Inside inside;
    record({"AddPrintQueue", {text(name), text(deviceUri)}, {}, replace});
    const int r = next(g_config.addQueueResults);
    fail(r <= 0);
    if (r > 0) {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_config.printers += std::string(name) + "\n";
        g_config.queueDevices += std::string(name) + "\t" + deviceUri + "\t\n";
    }
    return r;
}

__attribute__((visibility("default"))) int FollowLastJob(int timeoutMs)
{
    Inside inside;
    record({"FollowLastJob", {}, {}, timeoutMs});
    const int r = next(g_config.followResults);
    fail(r != 1);
    if (r == 0)
        g_errorCode = DRAVIK_ERROR_WAITING_IN_QUEUE;
    return r;
}

__attribute__((visibility("default"))) int CancelLastJob(void)
{
    Inside inside;
    record({"CancelLastJob", {}, {}, 0});
    const int r = next(g_config.cancelResults);
    fail(r == 0);
    return r;
}
#endif

__attribute__((visibility("default"))) const char *GetDravikDllVer(void)
{
    record({"GetDravikDllVer", {}, {}, 0});
    return g_config.version.c_str();
}

} // extern "C"
