// Why a listed device cannot be used, asked without sending a byte: no
// permission, or another program holds it.
#pragma once

#include <QString>

// The device path behind a raw printer port name as the I/O library maps it
// ("LPT1" is the first of /dev/lp*, then /dev/usb/lp*), or empty.
QString printerPortDevice(const QString &lptName);

enum class DeviceProblem {
    None,
    NoPermission, // the user may not open it (a group grants it)
    Busy,         // another program holds it
    NoDevice,     // nothing behind the device node (unplugged)
    Other,        // detail says what
};

struct DeviceCheck
{
    DeviceProblem problem = DeviceProblem::None;
    QString detail; // with Other: the system's words
};

// Whether the device can be opened for writing now, asked without sending a
// byte.
DeviceCheck checkDevice(const QString &path);

// Empty when the device can be opened for writing now; otherwise why not.
// group names the group that grants access ("dialout", "lp").
QString deviceUnusableReason(const QString &path, const char *group);
