#include "command_stream.h"

#include <algorithm>

namespace {

// Decodes bytes into `into`, each piece holding its own bytes.
std::size_t decodeInto(const QByteArray &bytes, bool final, std::vector<decoder::Decoded> &into)
{
    return decoder::decodeEach(bytes.constData(), std::size_t(bytes.size()), final, [&](const decoder::Decoded &d) {
        into.push_back(d);
        if (d.kind == decoder::Kind::Text || d.kind == decoder::Kind::Unknown)
            into.back().payload = QByteArray(d.payload.constData(), d.payload.size());
    });
}

} // namespace

void CommandStream::feed(const QByteArray &bytes, std::vector<decoder::Decoded> &into)
{
    tail_.append(bytes);
    take(false, into);
    if (tail_.size() > kMaxTail)
        take(true, into);
}

void CommandStream::finish(std::vector<decoder::Decoded> &into)
{
    take(true, into);
}

std::vector<decoder::Decoded> CommandStream::feed(const QByteArray &bytes)
{
    std::vector<decoder::Decoded> done;
    feed(bytes, done);
    return done;
}

std::vector<decoder::Decoded> CommandStream::finish()
{
    std::vector<decoder::Decoded> done;
    finish(done);
    return done;
}

void CommandStream::take(bool final, std::vector<decoder::Decoded> &into)
{
    if (tail_.isEmpty())
        return;
    const std::size_t consumed = decodeInto(tail_, final, into);
    const qsizetype used = final ? tail_.size() : qsizetype(std::min<std::size_t>(consumed, std::size_t(tail_.size())));
    tail_.remove(0, used);
    if (used > 0)
        frameWaits_ = false;
    if (!final && !tail_.isEmpty() && !frameWaits_)
        handOnSettledRuns(into);
}

void CommandStream::handOnSettledRuns(std::vector<decoder::Decoded> &into)
{
    // What waits is a run that may go on, or a command cut off. A run
    // means the same whether it is handed on now or with its continuation,
    // so runs go now and the next piece does not scan them again (a long
    // run arriving a few bytes at a time would cost its square).
    std::vector<decoder::Decoded> waiting;
    decodeInto(tail_, true, waiting);
    qsizetype settled = 0;
    for (std::size_t i = 0; i < waiting.size(); ++i) {
        decoder::Decoded &c = waiting[i];
        const bool last = i + 1 == waiting.size();
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
                into.push_back(std::move(run.front()));
            } else if (runAt == 0 && probeLength >= kUnknownKept) {
                frameWaits_ = true; // a command is arriving: not looked at again until it is whole
            }
            break;
        }
        if (last && c.kind != decoder::Kind::Text && c.kind != decoder::Kind::LineFeed)
            break;
        settled = qsizetype(c.offset) + qsizetype(c.length);
        into.push_back(std::move(c));
    }
    tail_.remove(0, settled);
}
