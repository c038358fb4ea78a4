#include "library_worker.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>

namespace {
LibraryWorker *g_worker = nullptr;

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

LibraryWorker::LibraryWorker()
    : thread_(new QThread)
    , receiver_(new QObject)
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
    if (!receiver_) { // stopped: the program is ending
        job();
        done();
        return;
    }
    QMetaObject::invokeMethod(
        receiver_,
        [context, job = std::move(job), done = std::move(done)] {
            job();
            QMetaObject::invokeMethod(context, done, Qt::QueuedConnection);
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
    thread_->quit();
    thread_->wait(); // each library call is bounded by the library's own time-outs
    delete thread_;
    thread_ = nullptr;
    receiver_ = nullptr; // deleted on the thread as it finished
}
