#include "receipt_saver.h"

#include "output_writer.h"

ReceiptSaver::ReceiptSaver(OutputWriter &out, Report report)
    : out_(out)
    , report_(std::move(report))
    , thread_([this] { work(); })
{
}

ReceiptSaver::~ReceiptSaver()
{
    drain();
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void ReceiptSaver::save(const QString &source, const QImage &receipt)
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        queue_.emplace_back(source, receipt);
        queuedDots_ += qint64(receipt.width()) * receipt.height();
    }
    ++queued_;
    wake_.notify_one();
}

bool ReceiptSaver::full() const
{
    return queuedDots_.load(std::memory_order_relaxed) > kMaxQueuedDots;
}

void ReceiptSaver::whenSaved(std::function<void()> then)
{
    if (reported_ >= queued_) {
        then();
        return;
    }
    waiters_.emplace_back(queued_, std::move(then));
}

void ReceiptSaver::drain()
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        idle_.wait(lock, [this] { return queue_.empty() && !saving_; });
    }
    deliver();
}

void ReceiptSaver::work()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
        if (queue_.empty())
            return; // stopping, nothing left
        const auto [source, receipt] = queue_.front();
        saving_ = true;
        lock.unlock();
        Outcome outcome{source, {}, {}, receipt.width(), receipt.height()};
        outcome.path = out_.saveReceipt(receipt, outcome.error);
        lock.lock();
        queue_.pop_front();
        queuedDots_ -= qint64(receipt.width()) * receipt.height();
        saving_ = false;
        const bool first = done_.empty();
        done_.push_back(std::move(outcome));
        if (queue_.empty())
            idle_.notify_all();
        // One call on the queuing thread reports all that came meanwhile.
        if (first)
            QMetaObject::invokeMethod(this, &ReceiptSaver::deliver, Qt::QueuedConnection);
    }
}

void ReceiptSaver::deliver()
{
    std::deque<Outcome> done;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        done.swap(done_);
    }
    for (const Outcome &outcome : done) {
        ++reported_;
        report_(outcome);
    }
    while (!waiters_.empty() && waiters_.front().first <= reported_) {
        const std::function<void()> then = std::move(waiters_.front().second);
        waiters_.pop_front();
        then();
    }
}
