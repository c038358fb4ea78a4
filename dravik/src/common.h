// What every part of the library shares, in one include: the per-thread
// error state, errno texts, text helpers, the device root and the deadline
// writer.
#pragma once

#include "deadline_write.h"
#include "device_root.h"
#include "errno_text.h"
#include "error_state.h"
#include "text_helpers.h"
