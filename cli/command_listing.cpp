#include "command_listing.h"

#include "code_page_list.h"
#include "command_decoder.h"
#include "tool_text.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace {

// Long pieces (a logo's raster) show their first bytes only.
constexpr std::size_t kHexShown = 16;

// The offset in hex, at least eight digits as hex dumps print it, then up
// to kHexShown bytes as "1B 40 ..." padded to one column, then the count
// when some are left out. Made in a character buffer: this runs once a piece.
void appendOffsetAndHex(QString &line, const qint64 *base, std::size_t offset, const char *data, std::size_t length)
{
    static const char lower[] = "0123456789abcdef";
    static const char upper[] = "0123456789ABCDEF";
    constexpr int kColumn = 3 * int(kHexShown) - 1;
    char text[16 + 2 + kColumn];
    int n = 0;
    if (base) {
        char digits[16];
        int count = 0;
        for (quint64 value = quint64(*base) + offset; value || count < 8; value >>= 4)
            digits[count++] = lower[value & 0xF];
        while (count)
            text[n++] = digits[--count];
        text[n++] = ' ';
        text[n++] = ' ';
    }
    const int hexStart = n;
    const std::size_t shown = qMin(length, kHexShown);
    for (std::size_t i = 0; i < shown; ++i) {
        const auto b = std::uint8_t(data[i]);
        if (i)
            text[n++] = ' ';
        text[n++] = upper[b >> 4];
        text[n++] = upper[b & 0xF];
    }
    if (shown == length)
        while (n - hexStart < kColumn)
            text[n++] = ' ';
    line += QLatin1String(text, n);
    if (shown < length)
        line += Nemboport::tr(" ... (%1 bytes)").arg(length);
}

// The meaning of a piece, with the code page's name. A capture repeats the
// same few short pieces again and again: their texts are kept, as a piece's
// text depends only on its fields, never on where it stands.
class Meanings
{
public:
    QString of(const decoder::Decoded &piece)
    {
        if (!piece.logos.empty() || piece.payload.size() > kKeptPayload)
            return made(piece);
        Key key{int(piece.kind), piece.length, piece.value, piece.value2, {}};
        std::memcpy(key.payload.data(), piece.payload.constData(), std::size_t(piece.payload.size()));
        const auto found = kept_.find(key);
        if (found != kept_.end())
            return found->second;
        if (kept_.size() >= kKeptAtMost)
            kept_.clear();
        return kept_.emplace(key, made(piece)).first->second;
    }

private:
    static constexpr qsizetype kKeptPayload = 16;
    static constexpr std::size_t kKeptAtMost = 4096;

    struct Key
    {
        int kind;
        std::size_t length;
        long value, value2;
        std::array<char, kKeptPayload> payload; // length says how much counts; the rest is zero
        bool operator==(const Key &o) const
        {
            return kind == o.kind && length == o.length && value == o.value && value2 == o.value2 &&
                   payload == o.payload;
        }
    };
    struct KeyHash
    {
        std::size_t operator()(const Key &k) const
        {
            std::size_t h = std::size_t(k.kind) * 1000003u ^ k.length * 10007u ^ std::size_t(k.value) * 131u ^
                            std::size_t(k.value2);
            for (const char c : k.payload)
                h = h * 31u + std::uint8_t(c);
            return h;
        }
    };

    static QString made(const decoder::Decoded &piece)
    {
        QString text = piece.describe();
        if (piece.kind == decoder::Kind::CodePage)
            if (const CodePage *page = codePageByNumber(int(piece.value)))
                text += QStringLiteral(" (%1)").arg(page->plainName());
        return text;
    }

    std::unordered_map<Key, QString, KeyHash> kept_;
};

void listPieces(QTextStream &out, const char *data, const decoder::Result &result, const qint64 *base)
{
    static thread_local Meanings meanings;
    QString line;
    for (const decoder::Decoded &piece : result.commands) {
        line.clear();
        line += QLatin1String("  ");
        appendOffsetAndHex(line, base, piece.offset, data + piece.offset, piece.length);
        line += QLatin1String("  ");
        line += meanings.of(piece);
        line += QLatin1Char('\n');
        out << line;
    }
}

} // namespace

void listCommands(QTextStream &out, const std::vector<Command> &commands)
{
    int number = 0;
    for (const Command &command : commands) {
        const QString doc = command.docName ? QStringLiteral("\"%1\"").arg(QLatin1String(command.docName))
                                            : Nemboport::tr("no document name");
        out << Nemboport::tr("send %1: %2, %3 bytes").arg(++number).arg(doc).arg(command.bytes.size()) << '\n';
        listPieces(out, reinterpret_cast<const char *>(command.bytes.data()), decoder::decode(command.bytes, true),
                   nullptr);
    }
}
