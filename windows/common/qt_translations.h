// The interface language: the program's Chinese translations and Qt's own
// (the standard buttons of message boxes, the file dialog), installed while
// the windows speak Chinese.
#pragma once

#include <QString>

enum class Language {
    English,
    Chinese
};

// The language the windows speak now; English until one is chosen.
Language currentLanguage();

// Makes language the interface language: installs the program's and Qt's
// Chinese translations for Chinese (Qt's where this machine has them),
// removes them for English. Every text read through tr() or translate()
// afterwards is in that language; shown texts must be set again.
void setInterfaceLanguage(Language language);

// A text marked with QT_TRANSLATE_NOOP (or QT_TRANSLATE_NOOP3, whose comment
// is the disambiguation) in context, in the language asked for whatever the
// interface language: the source itself in English, its translation in
// Chinese. For the texts a window shows in English by design.
QString textIn(Language language, const char *context, const char *source, const char *disambiguation = nullptr);
