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

// How much is read at a time.
constexpr qsizetype kReadBytes = 64 * 1024;
// The window decoded first. A window holds at most this many pieces; kept
// small, the decoder's list of pieces is reused from the heap instead of
// being mapped afresh for every window (3 times faster on single-byte pieces).
constexpr qsizetype kWindowBytes = 1024;
// The longest piece held whole: far above the largest logo download the
// printer takes (17,000 data bytes) or the longest QR frame. The window
// grows to this only past a first piece longer than kWindowBytes, so it
// never holds more than this many pieces.
constexpr qsizetype kLongestHeld = 2 * kReadBytes;

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

QString listStream(QIODevice &in, QTextStream &out)
{
    QByteArray pending; // read, not yet listed
    qint64 base = 0;    // the stream offset of pending's first byte
    qsizetype window = kWindowBytes;
    bool end = false;
    for (;;) {
        if (!end && pending.size() < window) {
            const qsizetype had = pending.size();
            pending.resize(had + kReadBytes);
            const qint64 got = in.read(pending.data() + had, kReadBytes);
            if (got < 0)
                return in.errorString();
            pending.resize(had + qsizetype(got));
            end = got == 0;
            continue;
        }
        if (pending.isEmpty())
            return {};
        // Decode only a window, so one read cannot yield millions of pieces.
        const QByteArray view = QByteArray::fromRawData(pending.constData(), qMin(window, pending.size()));
        const bool last = end && view.size() == pending.size();
        const bool tooLong = !last && window >= kLongestHeld;
        const decoder::Result result = decoder::decode(view, last || tooLong);
        if (result.consumed == 0) {
            // A piece goes on past the window: look further.
            window = kLongestHeld;
            continue;
        }
        listPieces(out, pending.constData(), result, &base);
        pending.remove(0, qsizetype(result.consumed));
        base += qint64(result.consumed);
        window = kWindowBytes;
    }
}
