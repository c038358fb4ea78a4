// The code page list of the main window and the NV logo window.
#pragma once

#include <QString>
#include <QStringList>

// The 35 code page entries: the Chinese wording when the language is exactly
// "chinese", the English wording for any other text.
QStringList GetLanguageList(const QString &language);

// The number in an entry's first two characters, or -1 when they are not
// decimal digits.
int codePageNumber(const QString &entry);

// Positions of the default entries: "15,CP936" (Chinese), "00, PC437"
// (English), and "36, CP1253[Greek]" of the NV logo window.
inline constexpr int kChineseDefaultCodePage = 14;
inline constexpr int kEnglishDefaultCodePage = 0;
inline constexpr int kLogoWindowDefaultCodePage = 29;
