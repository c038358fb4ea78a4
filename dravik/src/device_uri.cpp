#include "device_uri.h"

#include "common.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include <cups/cups.h>
#include <dirent.h>

namespace dravik {

namespace {

// The lpN names of a folder, in number order.
std::vector<std::string> printerNames(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent *e = ::readdir(dir)) {
        const std::string n = e->d_name;
        if (n.size() > 2 && n.compare(0, 2, "lp") == 0 && n.find_first_not_of("0123456789", 2) == std::string::npos)
            names.push_back(n);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

std::string sysfsDeviceId(const std::string &name)
{
    std::ifstream in(underRoot("/sys/class/usbmisc/" + name + "/device/ieee1284_id"));
    std::string id;
    if (!in || !std::getline(in, id))
        return {};
    return trim(id);
}

} // namespace

std::string uriOption(const std::string &uri, const std::string &key)
{
    const std::size_t q = uri.find('?');
    if (q == std::string::npos)
        return {};
    std::size_t at = q + 1;
    while (at < uri.size()) {
        std::size_t end = uri.find_first_of("+&", at);
        if (end == std::string::npos)
            end = uri.size();
        const std::string pair = uri.substr(at, end - at);
        const std::size_t eq = pair.find('=');
        if (eq != std::string::npos && lower(pair.substr(0, eq)) == key)
            return pair.substr(eq + 1);
        at = end + 1;
    }
    return {};
}

std::string unescape(const std::string &s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            const std::string hex = s.substr(i + 1, 2);
            char *end = nullptr;
            const long v = std::strtol(hex.c_str(), &end, 16);
            if (end == hex.c_str() + 2) {
                out += static_cast<char>(v);
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::map<std::string, std::string> deviceIdFields(const std::string &id)
{
    std::map<std::string, std::string> fields;
    std::size_t at = 0;
    while (at < id.size()) {
        std::size_t end = id.find(';', at);
        if (end == std::string::npos)
            end = id.size();
        const std::string pair = id.substr(at, end - at);
        const std::size_t colon = pair.find(':');
        if (colon != std::string::npos)
            fields[lower(trim(pair.substr(0, colon)))] = trim(pair.substr(colon + 1));
        at = end + 1;
    }
    return fields;
}

std::string field(const std::map<std::string, std::string> &f, std::initializer_list<const char *> keys)
{
    for (const char *k : keys) {
        const auto it = f.find(k);
        if (it != f.end())
            return it->second;
    }
    return {};
}

std::string usbPrinterPath(const std::string &make, const std::string &model, const std::string &serial)
{
    for (const std::string &n : printerNames(underRoot("/sys/class/usbmisc"))) {
        const std::string id = sysfsDeviceId(n);
        if (id.empty())
            continue;
        const auto f = deviceIdFields(id);
        if (lower(field(f, {"mfg", "manufacturer"})) != lower(trim(make)) ||
            lower(field(f, {"mdl", "model"})) != lower(trim(model)))
            continue;
        if (!serial.empty() && lower(field(f, {"sn", "sern", "serialnumber"})) != lower(trim(serial)))
            continue;
        return underRoot("/dev/usb/" + n);
    }
    return {};
}

std::vector<UsbPrinter> listUsbPrinters()
{
    std::vector<UsbPrinter> printers;
    for (const std::string &n : printerNames(underRoot("/dev/usb")))
        printers.push_back({underRoot("/dev/usb/" + n), sysfsDeviceId(n)});
    return printers;
}

std::string usbUriOf(const std::string &deviceId)
{
    const auto f = deviceIdFields(deviceId);
    const std::string make = field(f, {"mfg", "manufacturer"});
    const std::string model = field(f, {"mdl", "model"});
    if (make.empty() || model.empty())
        return {};
    const std::string serial = field(f, {"sn", "sern", "serialnumber"});
    char uri[HTTP_MAX_URI];
    const http_uri_status_t st =
        serial.empty() ? httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "usb", nullptr, make.c_str(), 0, "/%s",
                                          model.c_str())
                       : httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "usb", nullptr, make.c_str(), 0,
                                          "/%s?serial=%s", model.c_str(), serial.c_str());
    return st >= HTTP_URI_STATUS_OK ? std::string(uri) : std::string();
}

std::string deviceLink(const std::string &uri)
{
    const std::string scheme = lower(uri.substr(0, uri.find(':')));
    if (scheme == "serial") {
        std::string path = uri.substr(scheme.size() + 1);
        path = unescape(path.substr(0, path.find('?')));
        return path.compare(0, 5, "/dev/") == 0 && !hasDotDotComponent(path) ? path : std::string();
    }
    if (scheme != "socket" && scheme != "usb")
        return {};
    char sch[32], user[256], host[256], resource[1024];
    int port = 0;
    if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), sch, sizeof sch, user, sizeof user, host, sizeof host, &port,
                        resource, sizeof resource) < HTTP_URI_STATUS_OK ||
        !*host)
        return {};
    if (scheme == "socket") {
        const std::string h = host;
        return (h.find(':') != std::string::npos ? "[" + h + "]" : h) + ":" + std::to_string(port > 0 ? port : 9100);
    }
    std::string model = resource;
    const std::size_t first = model.find_first_not_of('/');
    model = first == std::string::npos ? std::string() : model.substr(first);
    model = model.substr(0, model.find('?'));
    return usbPrinterPath(host, model, unescape(uriOption(uri, "serial")));
}

} // namespace dravik
