#include "placement.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// The last frame a window manager put around a window of this run.
QMargins g_lastFrame;

QMargins framedMargins(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle && window->isVisible() ? handle->frameMargins() : QMargins();
}

QScreen *screenFor(const QPoint &point)
{
    QScreen *screen = QGuiApplication::screenAt(point);
    return screen ? screen : QGuiApplication::primaryScreen();
}

// Watches a window for a short while after it is first shown: once the
// window manager has framed it (its frame margins are known, which on X11
// comes after the window is mapped), the frame is fitted to the screen once.
class FrameFit : public QObject
{
public:
    explicit FrameFit(QWidget *window)
        : QObject(window)
        , window_(window)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_) {
            switch (event->type()) {
            case QEvent::Show:
                if (!clock_.isValid()) {
                    clock_.start();
                    // Also without a further event: the frame may arrive quietly.
                    for (int ms : {100, 500, kWatchMs})
                        QTimer::singleShot(ms, this, [this] { check(); });
                }
                QTimer::singleShot(0, this, [this] { check(); });
                break;
            case QEvent::Move:
            case QEvent::Resize:
                QTimer::singleShot(0, this, [this] { check(); });
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    static constexpr int kWatchMs = 2000;

    void check()
    {
        if (!window_ || !window_->isVisible() || !clock_.isValid())
            return;
        const QMargins margins = framedMargins(window_);
        if (!margins.isNull()) {
            g_lastFrame = margins;
            const QRect frame = window_->frameGeometry();
            if (QScreen *screen = screenFor(frame.topLeft())) {
                const QPoint fitted = fittedPosition(screen->availableGeometry(), frame.size(), frame.topLeft());
                if (fitted != frame.topLeft())
                    window_->move(fitted);
            }
            deleteLater(); // fitted once: later moves are the user's
            return;
        }
        if (clock_.elapsed() >= kWatchMs)
            deleteLater(); // no window manager frame (or none reported)
    }

    QPointer<QWidget> window_;
    QElapsedTimer clock_;
};

} // namespace

QPoint fittedPosition(const QRect &available, const QSize &frame, const QPoint &designed)
{
    auto fit = [](int designedStart, int length, int areaStart, int areaLength) {
        const int lastStart = areaStart + areaLength - length;
        return std::max(areaStart, std::min(designedStart, lastStart));
    };
    return {fit(designed.x(), frame.width(), available.x(), available.width()),
            fit(designed.y(), frame.height(), available.y(), available.height())};
}

QMargins expectedFrameMargins(const QWidget *window)
{
    const QMargins own = framedMargins(window);
    if (!own.isNull())
        return own;
    if (!g_lastFrame.isNull())
        return g_lastFrame;
    const int border = std::max(1, window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window));
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {border, title + border, border, border};
}

void placeOnScreen(QWidget *window, const QPoint &designed)
{
    QScreen *screen = screenFor(designed);
    if (!screen) {
        window->move(designed);
        return;
    }
    const QMargins margins = expectedFrameMargins(window);
    const QSize frame = window->size().grownBy(margins);
    window->move(fittedPosition(screen->availableGeometry(), frame, designed));
    if (!window->isVisible())
        new FrameFit(window);
}
