// The test group's commands: fixed buffers, plus the QR store whose length
// bytes follow the text.
#include "commands.h"

#include <algorithm>

namespace {

constexpr const char *kDocFunctionList = "Set config list";
constexpr const char *kDocCodePageList = "Set Lanage list";
constexpr const char *kDocCashDrawer = "Open cash box";
constexpr const char *kDocQr = "QR download";

} // namespace

Command functionListCommand()
{
    // ESC # F, then a full cut and four line feeds.
    return {{0x1B, 0x23, 0x46, 0x1B, 0x69, 0x0A, 0x0A, 0x0A, 0x0A}, kDocFunctionList};
}

Command codePageListCommand()
{
    // ESC # H, then a full cut and four line feeds.
    return {{0x1B, 0x23, 0x48, 0x1B, 0x69, 0x0A, 0x0A, 0x0A, 0x0A}, kDocCodePageList};
}

Command cashDrawerCommand()
{
    // ESC p: pin 2, 20 ms on, 100 ms off.
    return {{0x1B, 0x70, 0x00, 0x0A, 0x32}, kDocCashDrawer};
}

Command fullCutCommand()
{
    return {{0x1B, 0x69}, nullptr};
}

Command halfCutCommand()
{
    return {{0x1B, 0x6D}, nullptr};
}

Command factoryRestoreCommand()
{
    return {{0x1B, 0x23, 0x23, 'R', 'E', 'C', 'F'}, nullptr};
}

Command qrStoreCommand(const QByteArray &text)
{
    const int k = std::min<int>(int(text.size()), kQrTextMax);
    // pL pH count the data plus cn, fn and m.
    const int count = k + 3;
    Bytes bytes{0x1D, 0x28, 0x6B, std::uint8_t(count % 256), std::uint8_t((count / 256) % 256),
                0x31, 0x50, 0x30};
    bytes.insert(bytes.end(), text.constBegin(), text.constBegin() + k);
    return {bytes, kDocQr};
}

Command qrPrintCommand()
{
    return {{0x1D, 0x28, 0x6B, 0x03, 0x00, 0x31, 0x51, 0x30}, kDocQr};
}
