#include "tool_text.h"

#include "core_translations.h"

#include <QLocale>

QString EnglishTexts::SourceTexts::translate(const char *, const char *sourceText, const char *, int) const
{
    return QString::fromUtf8(sourceText);
}

EnglishTexts::EnglishTexts()
{
    QCoreApplication::installTranslator(&source_);
}

EnglishTexts::~EnglishTexts()
{
    QCoreApplication::removeTranslator(&source_);
}

void installToolTranslator()
{
    if (QLocale::system().language() != QLocale::Chinese)
        return;
    // Built into the program from translations/nemboport_zh_CN.ts, and the
    // core's words (the printer conditions) from the core's own.
    static QTranslator translator;
    if (translator.load(QStringLiteral(":/i18n/nemboport_zh_CN.qm")))
        QCoreApplication::installTranslator(&translator);
    static QTranslator core;
    if (loadCoreChinese(core))
        QCoreApplication::installTranslator(&core);
}
