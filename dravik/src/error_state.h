// The per-thread state of the last failed call: its kind and its reason.
#pragma once

#include "dravik.h"

#include <string>

namespace dravik {

// The last failed call of this thread: its kind (the codes of dravik.h) and
// its reason for a person.
// Both are recorded together, here only; a success clears both.
void clearError();
void setError(DravikErrorCode code, const std::string &text);
const std::string &errorText();
DravikErrorCode errorCode();

} // namespace dravik
