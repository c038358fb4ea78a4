// The one thread on which every call into the printer I/O library that may
// block runs (sends, serial open and close, the lists of queues and ports,
// printer queries), so the windows keep painting.
// Jobs run one at a time, in the order they were posted. Widget-free.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QThread;

class LibraryWorker
{
public:
    // The worker of this run, started on first use and stopped (after the job
    // in flight ends) when the application object goes away.
    static LibraryWorker &instance();

    // Runs job on the worker thread, then done on the thread that owns
    // context; done is dropped when context is gone by then.
    void post(QObject *context, std::function<void()> job, std::function<void()> done);
    // The same for a job the program may leave behind when it ends (a
    // question to the printer): the job owns everything it uses, and the end
    // of the run does not wait for it (bounded as it is by its own time-out).
    void postLeavable(QObject *context, std::function<void()> job, std::function<void()> done);

    // Blocks the calling thread (never the worker's own) until every job
    // posted so far has run; their done callbacks still wait for their
    // contexts' event loops.
    void drain();

    // Ends the thread once the job in flight, if any, has ended; a leavable
    // job in flight is left to end with the program.
    void stop();

    LibraryWorker(const LibraryWorker &) = delete;
    LibraryWorker &operator=(const LibraryWorker &) = delete;

private:
    LibraryWorker();
    ~LibraryWorker();

    void postJob(QObject *context, std::function<void()> job, std::function<void()> done, bool leavable);

    QThread *thread_ = nullptr;
    QObject *receiver_ = nullptr; // lives on the worker thread
    QObject *relay_ = nullptr;    // lives on the thread that made the worker: hands each done on
    struct Flight;                // whether a leavable job is running, and whether it was left
    std::shared_ptr<Flight> flight_;
};
