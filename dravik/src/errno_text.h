// What an errno of an open, read or write stands for.
#pragma once

#include "error_state.h"

#include <string>

namespace dravik {

// The kind that an errno of an open, read or write stands for.
DravikErrorCode codeForErrno(int err);

// strerror_r as a std::string.
std::string errnoText(int err);

} // namespace dravik
