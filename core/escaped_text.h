// Text from the user (arguments, profile lines, paths, names a library or a
// peer reports) as it appears in a message or a log line: control
// characters escaped, so an ESC cannot drive the terminal, and long text
// shortened where asked, so a 1 MB key does not make a 1 MB message.
#pragma once

#include <QString>

// Control and format characters (and half surrogate pairs) as \x1b or
// \u202e; the rest unchanged. Text with none comes back as it is, at the
// cost of one look at each character.
QString escapedControls(const QString &text);

// Escaped as above, then cut to at most maxChars characters ending in "...".
QString shownInput(const QString &text, int maxChars = 60);
