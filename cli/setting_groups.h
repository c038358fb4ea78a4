// The nine configuration settings with readable values: reading "darkness 8"
// or "buzzer receive,cut" into the catalogue's terms.
#pragma once

#include "setting_choices.h"

#include <QString>
#include <QStringList>

// The group names in the one-key update's order ("codepage", "baud", ...).
QStringList settingGroupNames();

// Reads one GROUP VALUE pair into the choices; an error text, or empty.
// A group chosen twice is refused.
QString chooseSetting(SettingChoices &choices, const QString &group, const QString &value);

// The note to print after a baud rate was sent, or empty.
QString settingNotes(const SettingChoices &choices);
