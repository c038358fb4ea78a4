// Text from the user (arguments, profile lines, paths, names the library
// reports) as it appears in a message: control characters escaped, so an
// ESC cannot drive the terminal, and long text shortened, so a 1 MB key
// does not make a 1 MB message.
#pragma once

#include <QString>

// Control and format characters (and half surrogate pairs) as \x1b or
// \u202e; the rest unchanged.
QString escapedControls(const QString &text);

// Escaped as above, then cut to at most maxChars characters ending in "...".
QString shownInput(const QString &text, int maxChars = 60);

// The room a path or a device name gets: more than a key, still bounded.
inline constexpr int kShownPathChars = 160;
