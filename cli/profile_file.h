// A profile: an INI file naming the target, the instruction set and any of
// the nine settings.
//
//   [target]
//   queue = Receipt          (or serial = /dev/ttyUSB0 with baud = 115200,
//                             or port = LPT1)
//   instructions = new       (new | old)
//   [settings]
//   darkness = 8
//
// Lines starting with # or ;, and the rest of a line from a blank followed
// by ; or #, are comments. Unknown sections or keys, a key
// given twice and a bad value are refused with their line number.
#pragma once

#include "setting_groups.h"
#include "target_options.h"

#include <QByteArray>
#include <QString>

struct Profile
{
    SendOptions send;
    SettingChoices settings;
};

// Reads a profile's text; returns an error text, or empty.
QString parseProfile(const QByteArray &text, Profile &profile);

// The profile text for profile: its target (when it has one), the
// instruction set and each chosen setting, in the catalogue's order. Reading
// it back gives the same profile. An error text instead when the target's
// name cannot stand in a profile (a control character, or a blank followed
// by ; or # that would read as a comment).
QString writeProfile(const Profile &profile, QByteArray &text);

// The commented template `nemboport profile` prints.
QString profileTemplate();
