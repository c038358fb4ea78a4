#include "command_stream.h"

#include <algorithm>
#include <iterator>

std::vector<decoder::Decoded> CommandStream::feed(const QByteArray &bytes)
{
    tail_.append(bytes);
    std::vector<decoder::Decoded> done = take(false);
    if (tail_.size() > kMaxTail) {
        std::vector<decoder::Decoded> forced = take(true);
        done.insert(done.end(), std::make_move_iterator(forced.begin()), std::make_move_iterator(forced.end()));
    }
    return done;
}

std::vector<decoder::Decoded> CommandStream::finish()
{
    return take(true);
}

std::vector<decoder::Decoded> CommandStream::take(bool final)
{
    if (tail_.isEmpty())
        return {};
    decoder::Result r = decoder::decode(tail_, final);
    const qsizetype used =
        final ? tail_.size() : qsizetype(std::min<std::size_t>(r.consumed, std::size_t(tail_.size())));
    tail_.remove(0, used);
    if (used > 0)
        frameWaits_ = false;
    if (!final && !tail_.isEmpty() && !frameWaits_)
        handOnSettledRuns(r.commands);
    return std::move(r.commands);
}

void CommandStream::handOnSettledRuns(std::vector<decoder::Decoded> &done)
{
    // What waits is a run that may go on, or a command cut off. A run
    // means the same whether it is handed on now or with its continuation,
    // so runs go now and the next piece does not scan them again (a long
    // run arriving a few bytes at a time would cost its square).
    decoder::Result r = decoder::decode(tail_, true);
    qsizetype settled = 0;
    for (std::size_t i = 0; i < r.commands.size(); ++i) {
        decoder::Decoded &c = r.commands[i];
        const bool last = i + 1 == r.commands.size();
        if (last && c.kind == decoder::Kind::Unknown) {
            // Unknown bytes up to the end are a run, or a command still
            // arriving. A run ends at a line feed and is handed on; its last
            // bytes stay, since a command may start among them. The bytes
            // looked at are never fewer than the longest command head, so a
            // command arriving is seen as one.
            const qsizetype runAt = qsizetype(c.offset);
            const qsizetype probeLength = qsizetype(c.length) - kUnknownKept;
            std::vector<decoder::Decoded> run;
            if (probeLength >= kUnknownKept)
                run = decoder::decode(tail_.mid(runAt, probeLength) + '\n', false).commands;
            if (!run.empty() && run.front().kind == decoder::Kind::Unknown && run.front().offset == 0) {
                settled = runAt + qsizetype(run.front().length);
                done.push_back(std::move(run.front()));
            } else if (runAt == 0 && probeLength >= kUnknownKept) {
                frameWaits_ = true; // a command is arriving: not looked at again until it is whole
            }
            break;
        }
        if (last && c.kind != decoder::Kind::Text && c.kind != decoder::Kind::LineFeed)
            break;
        settled = qsizetype(c.offset) + qsizetype(c.length);
        done.push_back(std::move(c));
    }
    tail_.remove(0, settled);
}
