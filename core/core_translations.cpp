#include "core_translations.h"

#include <QString>
#include <QTranslator>

bool loadCoreChinese(QTranslator &translator)
{
    // Compiled from translations/nemboport_core_zh_CN.ts at build time.
    return translator.load(QStringLiteral(":/i18n/nemboport_core_zh_CN.qm"));
}
