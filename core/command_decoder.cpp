#include "command_decoder.h"

// Placeholder until the decoder is written: everything is unknown.
namespace decoder {

QString Decoded::describe() const
{
    return QStringLiteral("unknown: %1 bytes").arg(length);
}

Result decode(const Bytes &bytes, bool final)
{
    return decode(QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())), final);
}

Result decode(const QByteArray &bytes, bool)
{
    Result r;
    if (!bytes.isEmpty()) {
        Decoded d;
        d.length = std::size_t(bytes.size());
        d.payload = bytes;
        r.commands.push_back(d);
    }
    r.consumed = std::size_t(bytes.size());
    return r;
}

} // namespace decoder
