#include "library_worker.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSemaphore>
#include <QThread>

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

namespace {
LibraryWorker *g_worker = nullptr;
// A thread left running a leavable job when the program ended.
QThread *g_leftThread = nullptr;

void stopWorker()
{
    if (g_worker)
        g_worker->stop();
}
} // namespace

LibraryWorker &LibraryWorker::instance()
{
    if (!g_worker) {
        g_worker = new LibraryWorker;
        // The thread is joined before the application object is gone.
        qAddPostRoutine(stopWorker);
    }
    return *g_worker;
}

struct LibraryWorker::Flight
{
    std::mutex mutex;
    bool leavableRunning = false;
    bool left = false; // the program ended without it
};

LibraryWorker::LibraryWorker()
    : thread_(new QThread)
    , receiver_(new QObject)
    , relay_(new QObject)
    , flight_(std::make_shared<Flight>())
{
    thread_->setObjectName(QStringLiteral("printer I/O"));
    receiver_->moveToThread(thread_);
    QObject::connect(thread_, &QThread::finished, receiver_, &QObject::deleteLater);
    thread_->start();
}

LibraryWorker::~LibraryWorker()
{
    stop();
}

void LibraryWorker::post(QObject *context, std::function<void()> job, std::function<void()> done)
{
    postJob(context, std::move(job), std::move(done), false);
}

void LibraryWorker::postLeavable(QObject *context, std::function<void()> job, std::function<void()> done)
{
    postJob(context, std::move(job), std::move(done), true);
}

void LibraryWorker::postJob(QObject *context, std::function<void()> job, std::function<void()> done, bool leavable)
{
    if (!receiver_) { // stopped: the program is ending
        job();
        done();
        return;
    }
    // Checked where done runs: a context gone meanwhile takes no answer.
    const QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(
        receiver_,
        [guard, job = std::move(job), done = std::move(done), leavable, relay = relay_, flight = flight_] {
            if (leavable) {
                const std::lock_guard<std::mutex> lock(flight->mutex);
                flight->leavableRunning = true;
            }
            job();
            if (leavable) {
                std::unique_lock<std::mutex> lock(flight->mutex);
                flight->leavableRunning = false;
                if (flight->left) {
                    // The program ended without it: touch nothing more.
                    lock.unlock();
                    for (;;)
                        std::this_thread::sleep_for(std::chrono::hours(1));
                }
            }
            QMetaObject::invokeMethod(
                relay,
                [guard, done] {
                    if (guard)
                        done();
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void LibraryWorker::drain()
{
    if (!receiver_)
        return; // stopped: every job ran inline
    QSemaphore ran;
    QMetaObject::invokeMethod(
        receiver_, [&ran] { ran.release(); }, Qt::QueuedConnection);
    ran.acquire();
}

void LibraryWorker::stop()
{
    if (!thread_)
        return;
    {
        const std::lock_guard<std::mutex> lock(flight_->mutex);
        if (flight_->leavableRunning) {
            // Left to end with the program: its job owns what it uses.
            flight_->left = true;
            g_leftThread = std::exchange(thread_, nullptr);
            receiver_ = nullptr;
            return;
        }
    }
    thread_->quit();
    thread_->wait(); // each library call is bounded by the library's own time-outs
    delete thread_;
    thread_ = nullptr;
    receiver_ = nullptr; // deleted on the thread as it finished
}
