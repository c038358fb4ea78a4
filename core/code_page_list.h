// The printer's code pages: one table holding each one's number, its plain
// name for the command line, and the display texts of the main window and
// the NV logo window.
#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>

struct CodePage
{
    int number;              // what the code page command sends
    const char *code;        // "CP1250", "PC437", "Iran": what `codepage NAME` takes
    const char *description; // "Central European"; empty where the code says it all
    const char *text;        // the windows' display text in English, translated in kCodePageContext

    // The plain name: "CP1250 Central European".
    QString plainName() const;
};

// The 35 code pages in the windows' order.
const CodePage *codePagesBegin();
const CodePage *codePagesEnd();
inline std::size_t codePageCount()
{
    return std::size_t(codePagesEnd() - codePagesBegin());
}

inline constexpr const char *kCodePageContext = "CodePage";

// The code page with this number, or null.
const CodePage *codePageByNumber(int number);

// Positions of the default entries: "15,CP936" (Chinese), "00, PC437"
// (English), and "36, CP1253[Greek]" of the NV logo window.
inline constexpr int kChineseDefaultCodePage = 14;
inline constexpr int kEnglishDefaultCodePage = 0;
inline constexpr int kLogoWindowDefaultCodePage = 29;
