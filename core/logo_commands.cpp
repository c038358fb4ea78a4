#include "logo_commands.h"

#include "byte_names.h"

namespace logo {

Command clearFlashCommand()
{
    return {{esc::FS, 'q', 0x00}, kDocClear};
}

Command testPrintCommand(Alignment alignment, std::uint8_t logoNumber)
{
    return {{esc::ESC, 'a', std::uint8_t(alignment), esc::FS, 'p', logoNumber, 0x00}, kDocTestPrint};
}

} // namespace logo
