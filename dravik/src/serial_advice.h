// What a user refused a serial device can do about it.
#pragma once

#include <string>

namespace dravik {

// Join the group that may read and write the device, or, when no group may
// (a device of root's with mode 0600), have a udev rule give it one.
std::string permissionAdvice(const std::string &path);

} // namespace dravik
