#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

void useQtTranslations(bool chinese)
{
    static QPointer<QTranslator> translator;
    if (!translator) {
        auto *t = new QTranslator(QCoreApplication::instance());
        if (!t->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            delete t; // not installed here: Qt's texts stay English
            return;
        }
        translator = t;
    }
    if (chinese)
        QCoreApplication::installTranslator(translator);
    else
        QCoreApplication::removeTranslator(translator);
}
