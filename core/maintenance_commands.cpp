// The test group's commands: fixed buffers, plus the QR store whose length
// bytes follow the text.
#include "maintenance_commands.h"

#include "byte_names.h"

#include <algorithm>

namespace {

constexpr const char *kDocFunctionList = "Set config list";
constexpr const char *kDocCodePageList = "Set Lanage list";
constexpr const char *kDocCashDrawer = "Open cash box";
constexpr const char *kDocQr = "QR download";

// A list print, then a full cut and four line feeds.
Bytes withCutAndFeed(std::initializer_list<std::uint8_t> print)
{
    Bytes bytes(print);
    esc::append(bytes, esc::kFullCut);
    bytes.insert(bytes.end(), 4, esc::LF);
    return bytes;
}

} // namespace

Command functionListCommand()
{
    return {withCutAndFeed(esc::kPrintFunctionList), kDocFunctionList};
}

Command codePageListCommand()
{
    return {withCutAndFeed(esc::kPrintCodePageList), kDocCodePageList};
}

Command cashDrawerCommand()
{
    // ESC p: pin 2, 20 ms on, 100 ms off.
    return {{esc::ESC, 'p', 0x00, 0x0A, 0x32}, kDocCashDrawer};
}

Command fullCutCommand()
{
    return {Bytes(esc::kFullCut), nullptr};
}

Command halfCutCommand()
{
    return {Bytes(esc::kHalfCut), nullptr};
}

Command factoryRestoreCommand()
{
    return {esc::tagged("RECF"), nullptr};
}

Command qrStoreCommand(const QByteArray &text)
{
    const int k = std::min<int>(int(text.size()), kQrTextMax);
    // pL pH count the data plus cn, fn and m.
    const int count = k + 3;
    Bytes bytes{esc::GS, '(', 'k', std::uint8_t(count % 256), std::uint8_t((count / 256) % 256), 0x31, 0x50, 0x30};
    bytes.insert(bytes.end(), text.constBegin(), text.constBegin() + k);
    return {bytes, kDocQr};
}

Command qrPrintCommand()
{
    return {{esc::GS, '(', 'k', 0x03, 0x00, 0x31, 0x51, 0x30}, kDocQr};
}
