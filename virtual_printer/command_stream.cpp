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
    const qsizetype used = final ? tail_.size() : qsizetype(std::min<std::size_t>(r.consumed, std::size_t(tail_.size())));
    tail_.remove(0, used);
    return std::move(r.commands);
}
