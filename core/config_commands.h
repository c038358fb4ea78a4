// Builds the printer's configuration commands, byte for byte, in either
// instruction set. Plain functions: values in, bytes out.
#pragma once

#include "command.h"

#include <QString>

#include <cstdint>
#include <vector>

enum class InstructionSet {
    New,
    Old
};

// Document names passed with each command.
inline constexpr const char *kDocCodePage = "Set New Lanage";
inline constexpr const char *kDocBaudRate = "Set New BaudRate";
inline constexpr const char *kDocDarkness = "Set New Level";
inline constexpr const char *kDocBarcode = "Set Barcode";
inline constexpr const char *kDocBlackMark = "Set Black Mark ";
inline constexpr const char *kDocBuzzer = "Set beep ";
inline constexpr const char *kDocCutter = "Set Cut Auto ref";
inline constexpr const char *kDocCutMode = "Set Cut Mode";
inline constexpr const char *kDocCutFeed = "Paper Cutting before or after";

// Reading the list texts: a non-numeric text falls back to 115200 / 2.
std::uint32_t baudRateFromText(const QString &text);
std::uint8_t darknessFromText(const QString &text);

// Buzzer mask: bit 0 chkBeepSet01, bit 1 chkBeepSet02, bit 2 chkBeepSet03,
// bit 3 chkBeepSet04.
std::uint8_t buzzerMask(bool set01, bool set02, bool set03, bool set04);

// Code page, then a function list print and a full cut.
Command codePageCommand(InstructionSet set, std::uint8_t codePage);
// Baud rate, then a function list print and an initialise.
Command baudRateCommand(InstructionSet set, std::uint32_t rate);
Command darknessCommand(InstructionSet set, std::uint8_t level);
Command barcodeCommand(bool on);
Command blackMarkCommand(bool on);
Command buzzerCommand(InstructionSet set, std::uint8_t mask);
Command cutterCommand(bool on);
Command cutModeCommand(bool fullAndHalf);
// Two sends in command mode, three in drive mode.
std::vector<Command> cutFeedCommands(bool commandMode);
