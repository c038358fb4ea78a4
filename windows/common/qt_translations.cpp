#include "qt_translations.h"

#include "core_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {
Language current = Language::English;

// The program's Chinese texts, built into the program as a resource.
QTranslator *programTranslator()
{
    static QPointer<QTranslator> translator;
    if (!translator) {
        auto *t = new QTranslator(QCoreApplication::instance());
        // Never missing from a sound build; without it the texts stay English.
        if (!t->load(QStringLiteral(":/i18n/nemboportsettings_zh_CN.qm")))
            qWarning("The program's Chinese translations are missing from the build");
        translator = t;
    }
    return translator;
}

// The core's Chinese words (the printer conditions), built in likewise.
QTranslator *coreTranslator()
{
    static QPointer<QTranslator> translator;
    if (!translator) {
        auto *t = new QTranslator(QCoreApplication::instance());
        if (!loadCoreChinese(*t))
            qWarning("The core's Chinese translations are missing from the build");
        translator = t;
    }
    return translator;
}

// The tool's Chinese texts (what its finder and rate search say, shown in
// the windows), built into the program beside the windows' own; null in a
// test program built without them.
QTranslator *toolTranslator()
{
    static QPointer<QTranslator> translator;
    static bool tried = false;
    if (!translator && !tried) {
        tried = true;
        auto *t = new QTranslator(QCoreApplication::instance());
        if (t->load(QStringLiteral(":/i18n/nemboport_zh_CN.qm")))
            translator = t;
        else
            delete t;
    }
    return translator;
}

// Qt's own Chinese texts, or null when this machine lacks them.
QTranslator *qtTranslator()
{
    static QPointer<QTranslator> translator;
    static bool tried = false;
    if (!translator && !tried) {
        tried = true;
        auto *t = new QTranslator(QCoreApplication::instance());
        if (t->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            translator = t;
        else
            delete t; // not installed here: Qt's texts stay English
    }
    return translator;
}
} // namespace

Language currentLanguage()
{
    return current;
}

void setInterfaceLanguage(Language language)
{
    current = language;
    for (QTranslator *t : {programTranslator(), coreTranslator(), toolTranslator(), qtTranslator()}) {
        if (!t)
            continue;
        QCoreApplication::removeTranslator(t); // never installed twice
        if (language == Language::Chinese)
            QCoreApplication::installTranslator(t);
    }
}

QString textIn(Language language, const char *context, const char *source, const char *disambiguation)
{
    if (language == Language::Chinese)
        for (const QTranslator *t : {programTranslator(), coreTranslator()}) {
            const QString translated = t->translate(context, source, disambiguation);
            if (!translated.isEmpty())
                return translated;
        }
    return QString::fromUtf8(source);
}
