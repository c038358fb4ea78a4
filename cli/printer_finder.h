// Finding receipt printers: the USB printers the kernel's printer driver
// holds and those the print server's USB backend sees, the serial ports
// probed for their rate as probe does, side by side, and the printer port of
// network addresses; each with how it is reached, what it says it is, how
// it is, and the print queues that lead to it. Data only, no texts: the tool
// and the window each say it in their words. Blocking and widget-free; every
// call is bounded and the search stops soon after it is told to.
#pragma once

#include "device_lists.h"
#include "network_scan.h"
#include "port_probe.h"
#include "printer_query.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

enum class FindKind {
    Usb,
    Serial,
    Network
};

enum class FindOutcome {
    Printer,     // a receipt printer (a USB printer is one whether it answers or not)
    NotAPrinter, // network: the port is open, but what listens is no receipt printer
    NoPrinter,   // serial: no printer answered at any rate, or the port could not be used (error)
    Skipped,     // serial: busy or forbidden (check says why): not probed
};

struct Find
{
    FindKind kind = FindKind::Usb;
    FindOutcome outcome = FindOutcome::Printer;
    // /dev/usb/lp0; a usb:// URI for a printer only the print server sees;
    // /dev/ttyUSB0; 127.0.0.2:9100.
    QString link;
    std::uint32_t rate = 0; // serial: the rate it answered at
    QString uri;            // the device URI a print queue reaches it by
    DeviceId deviceId;      // USB: what the printer told the kernel or the print server
    bool asked = false;     // its status was asked (not for a printer only the print server sees)
    PrinterReport report;   // what it answered
    QStringList queues;     // the print queues whose device leads to it
    DeviceCheck check;      // Skipped: why
    QString error;          // NoPrinter: why the port could not be probed, when it could not

    bool isPrinter() const { return outcome == FindOutcome::Printer; }
    // What it says it is: its answer's identity, else its device ID.
    QString maker() const;
    QString model() const;
    QString serialNumber() const;
};

struct FindRequest
{
    bool usb = false;
    bool serial = false;
    QStringList serialPorts;    // empty: every port the library lists
    QStringList leaveAlone;     // serial ports not to probe (the window's own open port)
    std::vector<QString> hosts; // the network addresses to scan (readScanTargets)
    quint16 port = kRawPrinterPort;
    NetworkScanOptions networkOptions;
    int usbServerSeconds = 3; // how long the print server's USB backend may look
};

// What could not be looked at, and why; nothing when all went well.
struct FindNotes
{
    bool usbNotListed = false;    // the library lacks GetUsbPrinters
    bool serialNotProbed = false; // the library lacks GetSystemSerial, OpenComm, CloseComm or QueryPrinter
    bool queuesNotListed = false; // the library lacks GetPrintDriveDevices
    std::optional<FailureReason> usbFailed;
    std::optional<FailureReason> serverDevicesFailed; // DRAVIK_ERROR_NO_PERMISSION: only for administrators
    std::optional<FailureReason> queuesFailed;
};

struct FindProgress
{
    int done = 0;  // USB devices, serial ports and addresses looked at
    int total = 0; // grows as the lists come in
    int printers = 0;
};

struct FindCallbacks
{
    // Each as soon as it is known; never two calls at the same time, from
    // whichever thread found it.
    std::function<void(const Find &)> found;
    std::function<void(const FindProgress &)> progress;
};

struct FindResult
{
    std::vector<Find> finds; // USB, then serial, then network, each in the order of its list
    FindNotes notes;

    int printers() const;
};

FindResult findPrinters(const DravikBinding &lib, const FindRequest &request, const FindCallbacks &callbacks = {},
                        const std::atomic<bool> *stop = nullptr);

// The serial device URI for a port found answering at rate
// ("serial:/dev/ttyUSB0?baud=9600"); a port named through a link outside
// /dev (a virtual printer's announcement) by the device it leads to.
QString serialDeviceUri(const QString &port, std::uint32_t rate);
