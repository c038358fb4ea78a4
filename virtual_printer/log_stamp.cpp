#include "log_stamp.h"

#include <QDateTime>

QString logStamp()
{
    static qint64 second = -1;
    static QString upToSeconds;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now / 1000 != second) {
        second = now / 1000;
        upToSeconds = QDateTime::fromMSecsSinceEpoch(second * 1000).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss."));
    }
    const int ms = int(now % 1000);
    const char digits[] = {char('0' + ms / 100), char('0' + ms / 10 % 10), char('0' + ms % 10)};
    QString stamp = upToSeconds;
    stamp += QLatin1String(digits, 3);
    return stamp;
}
