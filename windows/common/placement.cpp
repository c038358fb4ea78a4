#include "placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

QPoint fittedPosition(const QRect &available, const QSize &frame, const QPoint &designed)
{
    auto fit = [](int designedStart, int length, int areaStart, int areaLength) {
        const int lastStart = areaStart + areaLength - length;
        return std::max(areaStart, std::min(designedStart, lastStart));
    };
    return {fit(designed.x(), frame.width(), available.x(), available.width()),
            fit(designed.y(), frame.height(), available.y(), available.height())};
}

void placeOnScreen(QWidget *window, const QPoint &designed)
{
    QScreen *screen = QGuiApplication::screenAt(designed);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window->move(designed);
        return;
    }
    // Before the window is shown its frame is not known: allow for a title bar.
    QSize frame = window->frameGeometry().size();
    if (!window->isVisible())
        frame += QSize(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window));
    window->move(fittedPosition(screen->availableGeometry(), frame, designed));
}
