// Receipts saved on a thread of their own: each picture is encoded as PNG
// and written to the output folder while the printer goes on (a 7.5 m
// receipt of dense text takes 10 to 20 ms to encode, too long to keep other
// connections waiting). What became of each comes back on the
// thread that queued it, in order.
#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class OutputWriter;

class ReceiptSaver : public QObject
{
    Q_OBJECT
public:
    struct Outcome
    {
        QString source;
        QString path; // empty when it could not be saved
        QString error;
        int width = 0;
        int height = 0;
    };
    using Report = std::function<void(const Outcome &)>;

    // Only the saver's thread saves receipts through out from now on.
    ReceiptSaver(OutputWriter &out, Report report);
    // Saves what is queued first.
    ~ReceiptSaver() override;

    void save(const QString &source, const QImage &receipt);
    // Dots queued and not yet saved; past kMaxQueuedDots the printer waits.
    bool full() const;
    // Calls then() once every receipt queued so far was saved and reported
    // (at once when none waits).
    void whenSaved(std::function<void()> then);
    // Waits until every receipt queued was saved, and reports them.
    void drain();

    // A few receipts at their longest.
    static constexpr qint64 kMaxQueuedDots = 4LL * 576 * 60000;

private:
    void work();
    // Reports what was saved and runs what waited on it (this thread).
    void deliver();

    OutputWriter &out_;
    Report report_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::pair<QString, QImage>> queue_;
    std::atomic<qint64> queuedDots_{0}; // read after every command, without the lock
    bool saving_ = false;
    bool stop_ = false;
    std::deque<Outcome> done_;
    // Receipts handed to save() and reported, and what waits for a count.
    quint64 queued_ = 0;
    quint64 reported_ = 0;
    std::deque<std::pair<quint64, std::function<void()>>> waiters_;
    std::thread thread_;
};
