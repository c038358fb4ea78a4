// Where the library looks for devices: "/" in the shipped library. Only the
// library built for its own tests (DRAVIK_TEST_HOOKS) can look below a folder
// of stand-ins for /dev and /sys instead.
#pragma once

#include <string>

namespace dravik {

// The folder standing in for "/" (without a trailing "/"), or empty: always
// empty in the shipped library. In the test library, the folder named by the
// test hook's variable, when it is set.
std::string testRoot();

// Listings and name mappings (LPT1, COM1, ttyUSB0) look below testRoot();
// device paths passed in full are never changed.
inline std::string underRoot(const std::string &absolutePath)
{
    return testRoot() + absolutePath;
}

} // namespace dravik
