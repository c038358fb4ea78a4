#include "fake_dravik.h"

#include <cstring>

namespace fake {

namespace {
Config g_config;
std::vector<Call> g_calls;
std::string g_error;

std::string text(const char *s)
{
    return s ? std::string(s) : std::string("<null>");
}

void record(Call call)
{
    g_calls.push_back(std::move(call));
}

int next(std::deque<int> &results)
{
    if (results.empty())
        return 1;
    const int r = results.front();
    results.pop_front();
    return r;
}
} // namespace

void reset()
{
    g_config = Config();
    g_calls.clear();
    g_error.clear();
}

Config &config()
{
    return g_config;
}

const std::vector<Call> &calls()
{
    return g_calls;
}

std::vector<Call> callsOf(const std::string &function)
{
    std::vector<Call> out;
    for (const Call &c : g_calls)
        if (c.function == function)
            out.push_back(c);
    return out;
}

void clearCalls()
{
    g_calls.clear();
}

} // namespace fake

using namespace fake;

extern "C" {

#ifndef FAKE_PARTIAL
__attribute__((visibility("default"))) int SendBufferToPrint(const char *portName, const char *printerName,
                                                             const char *docName, const unsigned char *data, int length)
{
    Call c{"SendBufferToPrint", {text(portName), text(printerName), text(docName)}, {}, length};
    if (data && length > 0)
        c.bytes.assign(data, data + length);
    record(std::move(c));
    return 1;
}
#endif

#ifndef FAKE_PARTIAL
__attribute__((visibility("default"))) int OpenComm(const char *port, int baudRate)
{
    record({"OpenComm", {text(port)}, {}, baudRate});
    const int r = next(g_config.openResults);
    g_error = r == 1 ? std::string() : g_config.lastError;
    return r;
}
#endif

__attribute__((visibility("default"))) int CloseComm(const char *port)
{
    record({"CloseComm", {text(port)}, {}, 0});
    const int r = next(g_config.closeResults);
    g_error = r ? std::string() : g_config.lastError;
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
    return g_config.serialPorts.c_str();
}

__attribute__((visibility("default"))) const char *GetPrintDrivePortNames(const char *kind)
{
    record({"GetPrintDrivePortNames", {text(kind)}, {}, 0});
    return g_config.portNames.c_str();
}

__attribute__((visibility("default"))) const char *GetPrintDriveNames(void)
{
    record({"GetPrintDriveNames", {}, {}, 0});
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
#endif

__attribute__((visibility("default"))) const char *GetDravikDllVer(void)
{
    record({"GetDravikDllVer", {}, {}, 0});
    return g_config.version.c_str();
}

} // extern "C"
