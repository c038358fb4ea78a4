#include "command_listing.h"

#include "code_page_list.h"
#include "command_decoder.h"

#include <cstdint>

namespace {

// Long pieces (a logo's raster) show their first bytes only.
constexpr std::size_t kHexShown = 16;

// How much is read at a time, and the window decoded first. A window holds
// at most this many pieces, which bounds the decoder's memory.
constexpr qsizetype kReadBytes = 64 * 1024;
// The longest piece held whole: far above the largest logo download the
// printer takes (17,000 data bytes) or the longest QR frame. A window grows
// to this only when its first piece is longer than kReadBytes, so the pieces
// after that one still number at most kReadBytes.
constexpr qsizetype kLongestHeld = 2 * kReadBytes;

// Up to kHexShown bytes as "1B 40 ..." padded to one column, then the count
// when some are left out.
void appendHex(QString &line, const char *data, std::size_t length)
{
    static const char digits[] = "0123456789ABCDEF";
    const std::size_t shown = qMin(length, kHexShown);
    const qsizetype start = line.size();
    for (std::size_t i = 0; i < shown; ++i) {
        const auto b = std::uint8_t(data[i]);
        if (i)
            line += QLatin1Char(' ');
        line += QLatin1Char(digits[b >> 4]);
        line += QLatin1Char(digits[b & 0xF]);
    }
    if (shown < length)
        line += QStringLiteral(" ... (%1 bytes)").arg(length);
    constexpr qsizetype kColumn = 47; // sixteen bytes in hex
    if (line.size() - start < kColumn)
        line += QString(kColumn - (line.size() - start), QLatin1Char(' '));
}

// Offsets are hex, at least eight digits wide, as hex dumps print them.
void appendOffset(QString &line, quint64 offset)
{
    static const char digits[] = "0123456789abcdef";
    char text[17];
    int n = 0;
    do {
        text[16 - n++] = digits[offset & 0xF];
        offset >>= 4;
    } while (offset && n < 16);
    while (n < 8)
        text[16 - n++] = '0';
    line += QLatin1String(text + 17 - n, n);
}

void listPieces(QTextStream &out, const char *data, const decoder::Result &result, const qint64 *base)
{
    QString line;
    for (const decoder::Decoded &piece : result.commands) {
        line.clear();
        line += QLatin1String("  ");
        if (base) {
            appendOffset(line, quint64(*base) + piece.offset);
            line += QLatin1String("  ");
        }
        appendHex(line, data + piece.offset, piece.length);
        line += QLatin1String("  ");
        line += piece.describe();
        if (piece.kind == decoder::Kind::CodePage)
            if (const CodePage *page = codePageByNumber(int(piece.value)))
                line += QStringLiteral(" (%1)").arg(page->plainName());
        line += QLatin1Char('\n');
        out << line;
    }
}

} // namespace

void listCommands(QTextStream &out, const std::vector<Command> &commands)
{
    int number = 0;
    for (const Command &command : commands) {
        out << "send " << ++number << ": "
            << (command.docName ? QStringLiteral("\"%1\"").arg(QLatin1String(command.docName))
                                : QStringLiteral("no document name"))
            << ", " << command.bytes.size() << " bytes\n";
        listPieces(out, reinterpret_cast<const char *>(command.bytes.data()), decoder::decode(command.bytes, true),
                   nullptr);
    }
}

QString listStream(QIODevice &in, QTextStream &out)
{
    QByteArray pending; // read, not yet listed
    qint64 base = 0;    // the stream offset of pending's first byte
    qsizetype window = kReadBytes;
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
        window = kReadBytes;
    }
}
