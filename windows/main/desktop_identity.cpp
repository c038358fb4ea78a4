#include "desktop_identity.h"

#include "notifier.h"

#include <QApplication>
#include <QIcon>

void applyDesktopIdentity()
{
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));

    // The icon the package installs in the theme; the same picture built in
    // when the program runs from its build folder.
    QIcon builtIn;
    for (int size : {32, 64, 256})
        builtIn.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(kDesktopId)).arg(size),
                        QSize(size, size));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopId), builtIn));
}
