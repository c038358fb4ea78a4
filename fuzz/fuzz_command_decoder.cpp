// Feeds arbitrary bytes to the command decoder and checks what it promises:
// the entries lie end to end over the buffer, unknown and text entries hold
// their own bytes, and a stream cut anywhere decodes the same as whole.
#include "command_decoder.h"

#include <QStringList>

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

QStringList entries(const decoder::Result &r, std::size_t shift)
{
    QStringList out;
    for (const decoder::Decoded &d : r.commands)
        out << QStringLiteral("%1@%2+%3 %4").arg(int(d.kind)).arg(d.offset + shift).arg(d.length).arg(d.describe());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte chooses where the stream is cut; the rest is the stream.
    const std::size_t cut = data[0] % size;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    const decoder::Result whole = decoder::decode(bytes, true);
    std::size_t at = 0;
    for (const decoder::Decoded &d : whole.commands) {
        require(d.offset == at && d.length > 0);
        if (d.kind == decoder::Kind::Unknown || d.kind == decoder::Kind::Text)
            require(d.payload == bytes.mid(qsizetype(d.offset), qsizetype(d.length)));
        at += d.length;
    }
    require(at == std::size_t(bytes.size()) && whole.consumed == at);

    const decoder::Result first = decoder::decode(bytes.left(qsizetype(cut)), false);
    require(first.consumed <= cut);
    const decoder::Result rest = decoder::decode(bytes.mid(qsizetype(first.consumed)), true);
    require(entries(first, 0) + entries(rest, first.consumed) == entries(whole, 0));
    return 0;
}
