// Setting up print queues on the CUPS server: the devices its backends find,
// each queue's device, and a raw queue made for a device URI.
#pragma once

#include <string>
#include <vector>

namespace dravik {

struct QueueDevice
{
    std::string name;
    std::string uri; // the queue's device-uri
};

// The printer queues (not classes) with their device URIs, by name; empty,
// with a reason, when no server answers.
std::vector<QueueDevice> listQueueDevices();

struct ServerDevice
{
    std::string uri;          // device-uri
    std::string deviceClass;  // device-class: direct, network, serial, file
    std::string makeAndModel; // device-make-and-model
    std::string deviceId;     // device-id: the IEEE 1284 ID, possibly empty
    std::string info;         // device-info
};

// CUPS-Get-Devices: what the server's backends find, of the schemes listed
// (blank-separated, "usb serial"; empty: every scheme), each backend given
// timeoutSeconds (1 to 60). False with the reason set (the server lists
// devices only to its administrators: DRAVIK_ERROR_NO_PERMISSION).
bool listServerDevices(const std::string &schemes, int timeoutSeconds, std::vector<ServerDevice> &devices);

// Whether CUPS takes name as a queue's name: 1 to 127 bytes, no blank or
// control character, none of / \ ? ' " # @. Empty when it does, else why not.
std::string queueNameProblem(const std::string &name);

// CUPS-Add-Modify-Printer: a raw queue (no driver) named name whose device
// is uri, enabled and accepting jobs. 1 when made (or, with replace, made
// anew over the queue of that name: its driver goes, its jobs stay); -1 when
// a queue or class of that name exists and replace is 0 (nothing changed);
// 0 on failure with the reason set (DRAVIK_ERROR_NO_PERMISSION naming the
// fix where the user may not administer printers).
int addQueue(const std::string &name, const std::string &uri, bool replace);

} // namespace dravik
