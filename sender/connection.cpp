#include "connection.h"

QStringList parallelPortNames(const QStringList &lines)
{
    QStringList names;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1String("LPT"), Qt::CaseInsensitive))
            continue;
        QString name = line;
        names << name.remove(QLatin1Char(':'));
    }
    return names;
}
