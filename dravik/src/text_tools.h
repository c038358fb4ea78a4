// The pure helpers behind HexToStr, StrToHex and isLanguage.
#pragma once

#include <string>

namespace dravik {

// Upper-case hex pairs separated by blanks, NUL-terminated, into text[size].
// Returns the text length, or -1 (bad arguments or size too small).
int hexToText(const unsigned char *data, int length, char *text, int size);

// Hex pairs with optional blanks (space, tab, CR, LF) between the pairs.
// Returns the byte count, or -1 on a bad digit, an odd digit, or too small a
// buffer. A NULL text is the empty text (0 bytes).
int textToHex(const char *text, unsigned char *data, int size);

// "chinese" when the first set one of LC_ALL, LC_MESSAGES, LANG starts with
// "zh", otherwise "english".
const char *languageFromLocale();

} // namespace dravik
