// The NV logo window's short commands: clear the logo flash, print a stored
// logo. (The download is raster.h; the code page is config's builder.)
#pragma once

#include "command.h"

#include <cstdint>

namespace logo {

enum class Alignment : std::uint8_t {
    Left = 0,
    Middle = 1,
    Right = 2
};

inline constexpr const char *kDocClear = "Clear NV LOGO";
inline constexpr const char *kDocTestPrint = "Print NV Logo";

// FS q 0: 1C 71 00.
Command clearFlashCommand();
// ESC a j, then FS p m 0 (normal size): 1B 61 j 1C 70 m 00.
Command testPrintCommand(Alignment alignment, std::uint8_t logoNumber);

} // namespace logo
