// Places a window at its designed position when the whole window, frame
// included, fits the screen's available area, otherwise moves it the least
// that makes it fit.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The top-left corner for a window whose frame is `frame` big: `designed`
// when the window fits there, else the nearest position inside `available`
// (the top-left corner of `available` when the window is bigger than it).
QPoint fittedPosition(const QRect &available, const QSize &frame, const QPoint &designed);

// The frame the window manager puts around the window: its own once it has
// been framed; before that the last frame seen on any window of this run,
// else an allowance for a title bar and borders from the style.
QMargins expectedFrameMargins(const QWidget *window);

// Moves the window (its frame's top-left corner) to its designed position,
// kept on the screen that holds that position (or the primary screen). The
// frame is estimated now and the fit checked again once the window manager
// has framed the shown window.
void placeOnScreen(QWidget *window, const QPoint &designed);
