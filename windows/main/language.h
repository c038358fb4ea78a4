// The interface language and its one test.
#pragma once

#include <QString>

// Chinese exactly when the language text is "chinese"; anything else,
// the empty text included, is English.
inline bool isChineseLanguage(const QString &language)
{
    return language == QLatin1String("chinese");
}

// Lower-cases the letters A to Z only; every other character stays.
inline QString lowerAscii(QString text)
{
    for (QChar &c : text)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    return text;
}
