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

PathKind pathKindFor(LinkMode mode)
{
    switch (mode) {
    case LinkMode::Driver:
        return PathKind::Queue;
    case LinkMode::Serial:
        return PathKind::Serial;
    case LinkMode::Parallel:
        return PathKind::Port;
    case LinkMode::None:
        break;
    }
    return PathKind::None;
}
