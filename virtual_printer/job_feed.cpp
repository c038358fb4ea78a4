#include "job_feed.h"

#include "print_session.h"

#include <algorithm>

#include <time.h>

namespace {

// Milliseconds on a clock that is cheap to read (a few milliseconds coarse):
// it is read after every command.
qint64 coarseMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

JobFeed::JobFeed(PrintSession &session, const QString &name)
    : session_(session)
    , name_(name)
{
}

void JobFeed::take(const QByteArray &bytes)
{
    // Room for as many commands as the piece has bytes (none is shorter):
    // the list keeps it from piece to piece, and grows by doubling when
    // pieces are taken one after another without being run.
    const std::size_t needed = commands_.size() + std::size_t(bytes.size());
    if (needed > commands_.capacity())
        commands_.reserve(std::max(needed, 2 * commands_.capacity()));
    stream_.feed(bytes, commands_);
}

void JobFeed::finish()
{
    stream_.finish(commands_);
}

QByteArray JobFeed::run(int ms)
{
    const qint64 until = ms == kWhole ? -1 : coarseMs() + ms;
    QByteArray answers;
    while (waiting()) {
        answers += session_.apply(name_, commands_[next_]);
        ++next_;
        if (until >= 0 && (coarseMs() >= until || session_.savingBehind()))
            break;
    }
    if (!waiting()) {
        commands_.clear(); // keeps its room for the next bytes
        next_ = 0;
    }
    return answers;
}
