// A command buffer: the exact bytes one send hands to the printer I/O library,
// with the document name that goes with them.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

struct Command
{
    Bytes bytes;
    const char *docName = nullptr; // null: the command passes no document name
};
