// A print queue's device URI read for what it leads to: its options, the
// IEEE 1284 identity of USB printers the kernel's driver holds, the usb://
// URI such a printer goes by, and the local link (address or device) the
// library would ask the printer through.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace dravik {

// "key=value" of a URI's options ("?baud=9600+bits=8", "?serial=X&interface=1"),
// the key in any letter case; empty when absent.
std::string uriOption(const std::string &uri, const std::string &key);

// %XX escapes of a URI part undone.
std::string unescape(const std::string &s);

// The fields of an IEEE 1284 device ID ("MFG:Acme;MDL:TM 1;SN:42;"), keys in
// lower case.
std::map<std::string, std::string> deviceIdFields(const std::string &id);

// The first of keys that the fields have, or empty.
std::string field(const std::map<std::string, std::string> &f, std::initializer_list<const char *> keys);

// The /dev/usb/lp* device whose IEEE 1284 ID names this make, model (and
// serial number, when the URI has one); empty when none.
std::string usbPrinterPath(const std::string &make, const std::string &model, const std::string &serial);

struct UsbPrinter
{
    std::string path;     // /dev/usb/lpN
    std::string deviceId; // its IEEE 1284 ID as the kernel read it; empty when unknown
};

// Every /dev/usb/lp* device, in number order, with its IEEE 1284 ID from
// sysfs.
std::vector<UsbPrinter> listUsbPrinters();

// The usb:// URI of the printer with this IEEE 1284 ID, as the print
// server's USB backend names it ("usb://Acme/TM%201?serial=42"); empty for
// an ID without maker and model.
std::string usbUriOf(const std::string &deviceId);

// Where a device URI leads on this machine: "HOST:PORT" for socket://
// ("[::1]:9100" for an IPv6 address, port 9100 when none is given), the
// device path for serial:, the /dev/usb/lp* device for a usb:// printer
// present now; empty otherwise.
std::string deviceLink(const std::string &uri);

} // namespace dravik
