// The nine configuration settings, each described once: its values and
// default, the commands that send it, the command-line word (also its
// profile key), its place in the one-key update, and the prose the tool
// prints about it. The window, the
// tool and the profiles all read their lists, ranges and order from here.
#pragma once

#include "command.h"
#include "config_commands.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

enum class SettingKey {
    CodePage,
    BaudRate,
    Darkness,
    Barcode,
    Cutter,
    BlackMark,
    Buzzer,
    CutFeed,
    CutMode
};

// The serial rates the printer knows, slowest first.
inline constexpr std::uint32_t kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 128000, 230400};
// The rate a serial port is opened at unless another is chosen.
inline constexpr std::uint32_t kSerialOpenRate = 115200;
// The printer's darkness levels.
inline constexpr int kDarknessMin = 0;
inline constexpr int kDarknessMax = 40;

// What a setting's value is. Every value travels as a number: the code
// page's number, the rate, the level, 1 for a switch's first word (on,
// command, full+half) and 0 for its second, or the buzzer's event mask.
enum class SettingValues {
    CodePage, // the code page table (code_page_list.h)
    Rate,     // one of kBaudRates
    Level,    // kDarknessMin..kDarknessMax
    Switch,   // firstWord or secondWord
    Events    // none, or any set of the buzzer events
};

struct BuzzerEvent
{
    const char *word; // "receive"
    std::uint8_t bit; // its bit in buzzerMask()
};

// The buzzer events in the order the tool names them.
inline constexpr BuzzerEvent kBuzzerEvents[] = {{"receive", 0x01}, {"paper-out", 0x04}, {"cut", 0x02}, {"error", 0x08}};

struct Setting
{
    SettingKey key;
    const char *word; // the tool's word and the profile key: "baud"
    int updateStep;   // its place in the one-key update from 1, or 0: not part of it
    SettingValues values;
    const char *firstWord; // a switch's words; null for the other kinds
    const char *secondWord;
    std::uint32_t defaultValue; // what the window shows at first and the profile template sets
    const char *help;           // after the value in the tool's help (untranslated), or empty
    const char *note;           // the profile template's comment above the key (untranslated), or empty
    std::vector<Command> (*commands)(InstructionSet set, std::uint32_t value);
};

// The settings in the one-key update's order, the cut mode last.
const Setting *settingsBegin();
const Setting *settingsEnd();
inline constexpr std::size_t kSettingCount = 9;
const Setting &setting(SettingKey key);
// The setting a word names, or null.
const Setting *settingByWord(const QString &word);
// The settings the one-key update sends, in its order.
std::vector<const Setting *> updateOrder();

// How a text was read as a setting's value.
enum class ValueRead {
    Taken,
    Refused,  // not one of the values
    Ambiguous // a code page name more than one code page has
};
ValueRead readSettingValue(const Setting &s, const QString &text, std::uint32_t &value);

// A value as the tool writes it: "15", "9600", "on", "receive,cut", "none".
QString settingValueText(const Setting &s, std::uint32_t value);
// The values' shape in the tool's help: "N|NAME", "RATE", "0..40", "on|off".
QString settingSyntax(const Setting &s);
// What a refused value should have been: "a level from 0 to 40".
QString expectedSettingValues(const Setting &s);
// The translated help and profile note, with their lists filled in.
QString settingHelp(const Setting &s);
QString settingNote(const Setting &s);

bool isBaudRate(std::uint32_t rate);
// "1200 2400 ... 230400"
QString baudRateList();
