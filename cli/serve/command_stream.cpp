#include "command_stream.h"

#include <algorithm>

std::vector<decoder::Decoded> CommandStream::feed(const QByteArray &bytes)
{
    tail_.append(bytes);
    return take(tail_.size() > kMaxTail);
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
