#include "library_call.h"

#include "library_worker.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

namespace {

// Installed on the application while a call or wait is in flight: user input
// to any window is dropped, and closing a window waits until the call ended.
class InputBlocker : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::InputMethod:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::Drop:
            event->accept();
            return true;
        case QEvent::Close: {
            auto *w = qobject_cast<QWidget *>(watched);
            if (w && w->isWindow()) {
                if (!pendingClose_.contains(w))
                    pendingClose_ << w;
                event->ignore();
                return true;
            }
            break;
        }
        default:
            break;
        }
        return false;
    }

    // Closes, once nothing is in flight, the windows the user asked to close.
    void releaseClosing()
    {
        for (const QPointer<QWidget> &w : std::exchange(pendingClose_, {}))
            if (w)
                QTimer::singleShot(0, w, &QWidget::close);
    }

private:
    QList<QPointer<QWidget>> pendingClose_;
};

InputBlocker *g_blocker = nullptr;
int g_depth = 0;

struct Blocked
{
    Blocked()
    {
        if (g_depth++ == 0 && qApp) {
            if (!g_blocker)
                g_blocker = new InputBlocker;
            qApp->installEventFilter(g_blocker);
        }
    }
    ~Blocked()
    {
        if (--g_depth == 0 && qApp && g_blocker) {
            qApp->removeEventFilter(g_blocker);
            g_blocker->releaseClosing();
        }
    }
};

// Processes events until done says so. Deliberately not QEventLoop::exec: a
// quit of the application ends every running event loop, and the wait must
// still last until the call has ended.
void spin(const std::function<bool()> &done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

QString progressText(const CallProgress &p, qint64 elapsedMs)
{
    if (p.baudRate > 0) {
        const qint64 left = librarycall::serialSecondsLeft(p.bytes, p.baudRate, elapsedMs);
        return textIn(p.language, "librarycall", QT_TRANSLATE_NOOP("librarycall", "Sending %1 bytes, about %2 s left"))
            .arg(p.bytes)
            .arg(left);
    }
    const qint64 seconds = elapsedMs / 1000;
    return textIn(p.language, "librarycall",
                  QT_TRANSLATE_NOOP("librarycall", "Waiting for the printer I/O library... %1 s"))
        .arg(seconds);
}

void showProgress(const CallProgress &p, qint64 elapsedMs)
{
    if (!p.bar)
        return;
    if (p.baudRate > 0) {
        const qint64 totalMs = qMax<qint64>(1, p.bytes * 10 * 1000 / p.baudRate);
        p.bar->setRange(0, 1000);
        p.bar->setValue(int(qMin<qint64>(1000, elapsedMs * 1000 / totalMs)));
    } else {
        p.bar->setRange(0, 0); // indeterminate
    }
    p.bar->setFormat(progressText(p, elapsedMs));
    p.bar->setToolTip(p.bar->format());
    if (p.bar->isHidden()) {
        p.bar->show();
        p.bar->raise();
    }
}

} // namespace

namespace librarycall {

bool busy()
{
    return g_depth > 0;
}

qint64 serialSecondsLeft(qint64 bytes, int baudRate, qint64 elapsedMs)
{
    if (baudRate <= 0)
        return 0;
    const qint64 totalMs = bytes * 10 * 1000 / baudRate;
    return qMax<qint64>(0, (totalMs - elapsedMs + 999) / 1000);
}

bool run(const std::function<void()> &job, const CallProgress &progress)
{
    if (busy())
        return false;
    Blocked blocked;
    bool done = false;
    QObject context;
    LibraryWorker::instance().post(&context, job, [&done] { done = true; });

    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, &context, [&] {
        if (clock.elapsed() >= kProgressDelayMs)
            showProgress(progress, clock.elapsed());
    });
    tick.start();
    spin([&done] { return done; });
    tick.stop();
    if (progress.bar)
        progress.bar->hide();
    return true;
}

void wait(int ms, const std::function<void(qint64)> &tick)
{
    Blocked blocked;
    QElapsedTimer clock;
    clock.start();
    QTimer timer;
    timer.setInterval(100);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (tick)
            tick(clock.elapsed());
    });
    QTimer end;
    end.setSingleShot(true);
    end.start(qMax(0, ms)); // wakes the loop at the end
    timer.start();
    spin([&] { return clock.elapsed() >= ms; });
}

} // namespace librarycall
