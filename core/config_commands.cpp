// The printer's configuration commands. Most belong to the ESC # # family:
// 1B 23 23, four upper-case letters, then the parameter bytes.
#include "config_commands.h"

#include "byte_names.h"
#include "settings_catalogue.h"

namespace {

// The rate goes out in three bytes; a larger number cannot be a rate.
constexpr std::uint32_t kMaxBaudRate = 0xFFFFFF;
constexpr std::uint8_t kDefaultDarkness = 2;

using esc::append;
using esc::tagged;

std::uint8_t asciiFlag(bool on)
{
    return on ? '1' : '0';
}

} // namespace

std::uint32_t baudRateFromText(const QString &text)
{
    bool ok = false;
    const long long rate = text.toLongLong(&ok, 10);
    // Zero, negative and over-long numbers would send a rate the printer
    // cannot use; they are treated like any other unreadable text.
    if (!ok || rate <= 0 || rate > kMaxBaudRate)
        return kSerialOpenRate;
    return std::uint32_t(rate);
}

std::uint8_t darknessFromText(const QString &text)
{
    bool ok = false;
    const int level = text.toInt(&ok, 10);
    // Only the printer's own levels are sent; anything else would be cut
    // down to a byte and land on an arbitrary level.
    if (!ok || level < kDarknessMin || level > kDarknessMax)
        return kDefaultDarkness;
    return std::uint8_t(level);
}

std::uint8_t buzzerMask(bool set01, bool set02, bool set03, bool set04)
{
    return std::uint8_t((set01 ? 0x01 : 0) | (set02 ? 0x02 : 0) | (set03 ? 0x04 : 0) | (set04 ? 0x08 : 0));
}

Command codePageCommand(InstructionSet set, std::uint8_t codePage)
{
    Bytes bytes;
    if (set == InstructionSet::Old)
        bytes = {esc::ESC, 't', codePage};
    else {
        bytes = tagged("SLAN");
        bytes.push_back(codePage);
    }
    append(bytes, esc::kPrintFunctionList);
    append(bytes, esc::kFullCut); // after the list
    return {bytes, kDocCodePage};
}

Command baudRateCommand(InstructionSet set, std::uint32_t rate)
{
    Bytes bytes = set == InstructionSet::Old ? Bytes{esc::ESC, 'z', '7'} : tagged("SBDR");
    // Little-endian, low three bytes of the rate; the fourth is always zero.
    append(bytes, {std::uint8_t(rate), std::uint8_t(rate >> 8), std::uint8_t(rate >> 16), 0x00});
    append(bytes, esc::kPrintFunctionList);
    append(bytes, esc::kInitialize);
    return {bytes, kDocBaudRate};
}

Command darknessCommand(InstructionSet set, std::uint8_t level)
{
    if (set == InstructionSet::Old)
        return {{esc::GS, 'i', level}, kDocDarkness};
    Bytes bytes = tagged("STDP");
    bytes.push_back(level);
    return {bytes, kDocDarkness};
}

Command barcodeCommand(bool on)
{
    return {{esc::GS, 'E', 'C', std::uint8_t(on ? 0x01 : 0x00)}, kDocBarcode};
}

Command blackMarkCommand(bool on)
{
    return {{esc::US, esc::ESC, esc::US, 0x80, 0x04, 0x05, 0x06, std::uint8_t(on ? 'D' : 'f')}, kDocBlackMark};
}

Command buzzerCommand(InstructionSet set, std::uint8_t mask)
{
    if (set == InstructionSet::New) {
        Bytes bytes = tagged("STBP");
        append(bytes, {mask, 0x00});
        return {bytes, kDocBuzzer};
    }
    // The old form switches the buzzer as a whole: on when any event is chosen.
    Bytes bytes = tagged("ENBP");
    bytes.push_back(asciiFlag(mask != 0));
    return {bytes, kDocBuzzer};
}

Command cutterCommand(bool on)
{
    Bytes bytes = tagged("ECAT");
    bytes.push_back(asciiFlag(on));
    return {bytes, kDocCutter};
}

Command cutModeCommand(bool fullAndHalf)
{
    Bytes bytes = tagged("EFCT");
    bytes.push_back(asciiFlag(fullAndHalf));
    return {bytes, kDocCutMode};
}

std::vector<Command> cutFeedCommands(bool commandMode)
{
    // 16-bit values, low byte first.
    auto feed = [](const char(&tag)[5], std::uint16_t value) {
        Bytes bytes = tagged(tag);
        append(bytes, {std::uint8_t(value), std::uint8_t(value >> 8)});
        return Command{bytes, kDocCutFeed};
    };
    std::vector<Command> commands{feed("CTFD", 0), feed("ACFD", 40)};
    if (!commandMode)
        commands.push_back(feed("CTFD", 88));
    return commands;
}
