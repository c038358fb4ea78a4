#include "qt_translations.h"

#include "core_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace {
Language current = Language::English;

// A translator made once per application object and kept while it lives.
// A set every sound build holds (`required`) is kept even when it failed to
// load, with a warning, so its texts stay English; an optional set that is
// not there is not asked for again.
template <typename Load>
QTranslator *keptTranslator(QPointer<QTranslator> &kept, bool &absent, Load load, const char *required = nullptr)
{
    if (kept || absent)
        return kept;
    auto *t = new QTranslator(QCoreApplication::instance());
    if (load(*t)) {
        kept = t;
    } else if (required) {
        qWarning("%s", required);
        kept = t;
    } else {
        delete t;
        absent = true;
    }
    return kept;
}

// The program's Chinese texts, built into the program as a resource.
QTranslator *programTranslator()
{
    static QPointer<QTranslator> kept;
    static bool absent = false;
    return keptTranslator(
        kept, absent, [](QTranslator &t) { return t.load(QStringLiteral(":/i18n/nemboportsettings_zh_CN.qm")); },
        "The program's Chinese translations are missing from the build");
}

// The core's Chinese words (the printer conditions), built in likewise.
QTranslator *coreTranslator()
{
    static QPointer<QTranslator> kept;
    static bool absent = false;
    return keptTranslator(
        kept, absent, [](QTranslator &t) { return loadCoreChinese(t); },
        "The core's Chinese translations are missing from the build");
}

// The tool's Chinese texts (what its finder and rate search say, shown in
// the windows), built into the program beside the windows' own; null in a
// test program built without them.
QTranslator *toolTranslator()
{
    static QPointer<QTranslator> kept;
    static bool absent = false;
    return keptTranslator(kept, absent,
                          [](QTranslator &t) { return t.load(QStringLiteral(":/i18n/nemboport_zh_CN.qm")); });
}

// Qt's own Chinese texts, or null when this machine lacks them (Qt's texts
// then stay English).
QTranslator *qtTranslator()
{
    static QPointer<QTranslator> kept;
    static bool absent = false;
    return keptTranslator(kept, absent, [](QTranslator &t) {
        return t.load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    });
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
