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

bool connectionReady(LinkMode mode, bool portOpen)
{
    switch (mode) {
    case LinkMode::Serial:
        return portOpen;
    case LinkMode::Driver:
    case LinkMode::Parallel:
        return true;
    case LinkMode::None:
        break;
    }
    return false;
}

QString portNameFor(LinkMode mode)
{
    switch (mode) {
    case LinkMode::Driver:
        return QStringLiteral("DRIVE");
    case LinkMode::Serial:
        return QStringLiteral("COM");
    case LinkMode::Parallel:
        return QStringLiteral("LPT");
    case LinkMode::None:
        break;
    }
    return {};
}
