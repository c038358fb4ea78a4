// Places a window at its designed position when the whole window fits the
// screen's available area, otherwise moves it the least that makes it fit.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The top-left corner for a window whose frame is `frame` big: `designed`
// when the window fits there, else the nearest position inside `available`
// (the top-left corner of `available` when the window is bigger than it).
QPoint fittedPosition(const QRect &available, const QSize &frame, const QPoint &designed);

// Moves the window to its designed position, kept on the screen that holds
// that position (or the primary screen).
void placeOnScreen(QWidget *window, const QPoint &designed);
