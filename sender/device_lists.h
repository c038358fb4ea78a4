// The library's lists for finding printers and the queues that lead to them
// (its optional GetUsbPrinters, GetPrintServerDevices and
// GetPrintDriveDevices), read into values, and a printer's IEEE 1284
// identity. Widget-free.
#pragma once

#include "dravik_binding.h"
#include "send_path.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What a printer tells of itself in its IEEE 1284 device ID
// ("MFG:Acme;MDL:TM 1;CMD:ESC/POS;SN:42;").
struct DeviceId
{
    QString maker;
    QString model;
    QString commandSet;
    QString serialNumber;

    bool isEmpty() const { return maker.isEmpty() && model.isEmpty(); }
    // Whether two IDs name the same printer: maker and model alike in any
    // letter case, and the serial numbers where both tell one.
    bool samePrinter(const DeviceId &other) const;
};
DeviceId parseDeviceId(const QString &id);

struct UsbPrinterEntry
{
    QString path; // /dev/usb/lpN
    QString uri;  // the usb:// URI a queue reaches it by; empty when unknown
    DeviceId id;
};

struct ServerDeviceEntry
{
    QString uri;
    QString deviceClass; // direct, network, serial, file
    QString makeAndModel;
    DeviceId id;
    QString info;
};

struct QueueDeviceEntry
{
    QString name;
    QString uri;
    QString link; // where the URI leads here: "HOST:PORT", a device path; empty when nowhere known
};

// The lists, or nothing when the library lacks the export or the call
// failed (then reason says why, when given).
std::optional<std::vector<UsbPrinterEntry>> usbPrinters(const DravikBinding &lib, FailureReason *reason = nullptr);
std::optional<std::vector<ServerDeviceEntry>> serverDevices(const DravikBinding &lib, const char *schemes,
                                                            int timeoutSeconds, FailureReason *reason = nullptr);
std::optional<std::vector<QueueDeviceEntry>> queueDevices(const DravikBinding &lib, FailureReason *reason = nullptr);

// The queues whose device leads to link: the same address and port, or the
// same device (also through a symbolic link such as /dev/serial/by-id/...),
// or, where uri is given, the same device URI.
QStringList queuesLeadingTo(const std::vector<QueueDeviceEntry> &queues, const QString &link, const QString &uri = {});
