// The nine configuration settings with readable values: reading "darkness 8"
// or "buzzer receive,cut", and building their commands in the one-key
// update's order with the same builders the window uses.
#pragma once

#include "command.h"
#include "config_commands.h"
#include "settings_catalogue.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

// The chosen value of each setting, by SettingKey (see settings_catalogue.h
// for what the numbers mean).
struct SettingChoices
{
    std::optional<std::uint32_t> values[kSettingCount];

    std::optional<std::uint32_t> &operator[](SettingKey key) { return values[std::size_t(key)]; }
    const std::optional<std::uint32_t> &operator[](SettingKey key) const { return values[std::size_t(key)]; }
    bool empty() const;
};

// The group names in the one-key update's order ("codepage", "baud", ...).
QStringList settingGroupNames();

// Reads one GROUP VALUE pair into the choices; an error text, or empty.
// A group chosen twice is refused.
QString chooseSetting(SettingChoices &choices, const QString &group, const QString &value);

// The commands, group by group in the one-key update's order (code page,
// baud rate, darkness, barcode, cutter, black mark, buzzer, cut feed), then
// the cut mode, which the update itself leaves out. With baudLast the baud
// rate goes after all the others: over a serial port the printer changes its
// rate at once, so anything sent after it at the old rate would be lost.
std::vector<Command> settingCommands(const SettingChoices &choices, InstructionSet set, bool baudLast = false);

// The note to print after a baud rate was sent, or empty.
QString settingNotes(const SettingChoices &choices);
