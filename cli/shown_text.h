// Text from the user as the tool's messages show it: control characters
// escaped and long text shortened (core/escaped_text.h).
#pragma once

#include "escaped_text.h"

// The room a path or a device name gets: more than a key, still bounded.
inline constexpr int kShownPathChars = 160;
