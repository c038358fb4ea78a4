#include "logo_commands.h"

namespace logo {

Command clearFlashCommand()
{
    return {{0x1C, 0x71, 0x00}, kDocClear};
}

Command testPrintCommand(Alignment alignment, std::uint8_t logoNumber)
{
    return {{0x1B, 0x61, std::uint8_t(alignment), 0x1C, 0x70, logoNumber, 0x00}, kDocTestPrint};
}

} // namespace logo
