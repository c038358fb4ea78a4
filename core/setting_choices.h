// The chosen value of each setting, in the catalogue's terms, and the
// commands they make: the window reads its controls into these, the tool its
// words and profiles, and both build through the catalogue.
#pragma once

#include "command.h"
#include "config_commands.h"
#include "settings_catalogue.h"

#include <cstdint>
#include <optional>
#include <vector>

// The chosen value of each setting, by SettingKey (see settings_catalogue.h
// for what the numbers mean); an unset one is not sent.
struct SettingChoices
{
    std::optional<std::uint32_t> values[kSettingCount];

    std::optional<std::uint32_t> &operator[](SettingKey key) { return values[std::size_t(key)]; }
    const std::optional<std::uint32_t> &operator[](SettingKey key) const { return values[std::size_t(key)]; }
    bool empty() const;
};

// One chosen setting and its commands.
struct SettingCommands
{
    const Setting *setting;
    std::vector<Command> commands;
};

// The chosen settings in the one-key update's order (code page, baud rate,
// darkness, barcode, cutter, black mark, buzzer, cut feed), then the cut
// mode, which the update itself leaves out; each with the commands the
// catalogue builds for its value.
std::vector<SettingCommands> chosenSettings(const SettingChoices &choices, InstructionSet set);
