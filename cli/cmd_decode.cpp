// nemboport decode [FILE|-]: lists the commands in captured bytes, one a
// line as they are read: "  OFFSET  HEX...  MEANING". The lines are made as
// bytes straight into a buffer that goes out in large writes; the meaning of
// a command that holds no bytes of its own is made once and kept.
#include "cli_commands.h"

#include "code_page_list.h"
#include "command_decoder.h"
#include "tool_text.h"

#include <QFile>

#include <array>
#include <cstdint>
#include <cstring>

#include <unistd.h>

namespace {

// Long pieces (a logo's raster) show their first bytes only.
constexpr std::size_t kHexShown = 16;
// How much is read at a time.
constexpr qsizetype kReadBytes = 64 * 1024;
// The window decoded first; a piece that goes on past it is looked for in a
// window of kLongestHeld, and one longer still (a run of text, or a frame
// declaring more bytes than any logo the printer takes) is listed in parts.
constexpr qsizetype kWindowBytes = 1024;
constexpr qsizetype kLongestHeld = 2 * kReadBytes;
// Listing held before it is written.
constexpr qsizetype kWriteBytes = 256 * 1024;

// Whether a piece's meaning follows from its kind, length and values alone
// (not from bytes it carries).
bool keptMeaning(decoder::Kind kind)
{
    switch (kind) {
    case decoder::Kind::Unknown:
    case decoder::Kind::Text:
    case decoder::Kind::LineFeed:
    case decoder::Kind::QrStore:
    case decoder::Kind::LogoDownload:
        return false;
    default:
        return true;
    }
}

class Listing
{
public:
    Listing(QIODevice *device, QTextStream &text)
        : device_(device)
        , text_(text)
    {
        out_.resize(kWriteBytes + kLineRoom);
    }

    void add(const decoder::Decoded &piece, qint64 offset, const char *data)
    {
        static const char lower[] = "0123456789abcdef";
        static const char upper[] = "0123456789ABCDEF";
        constexpr int kColumn = 3 * int(kHexShown) - 1;
        char *line = out_.data() + used_;
        int n = 0;
        line[n++] = ' ';
        line[n++] = ' ';
        char digits[16];
        int count = 0;
        for (quint64 value = quint64(offset); value || count < 8; value >>= 4)
            digits[count++] = lower[value & 0xF];
        while (count)
            line[n++] = digits[--count];
        line[n++] = ' ';
        line[n++] = ' ';
        const int hexStart = n;
        const std::size_t shown = std::min(piece.length, kHexShown);
        for (std::size_t i = 0; i < shown; ++i) {
            const auto b = std::uint8_t(data[i]);
            if (i)
                line[n++] = ' ';
            line[n++] = upper[b >> 4];
            line[n++] = upper[b & 0xF];
        }
        if (shown == piece.length)
            while (n - hexStart < kColumn)
                line[n++] = ' ';
        used_ += n;
        if (shown < piece.length)
            put(Nemboport::tr(" ... (%1 bytes)").arg(piece.length).toUtf8());
        put("  ", 2);
        appendMeaning(piece);
        put("\n", 1);
    }

    bool full() const { return used_ >= kWriteBytes; }

    void write()
    {
        if (used_ == 0)
            return;
        if (device_)
            device_->write(out_.constData(), used_);
        else
            text_ << QString::fromUtf8(out_.constData(), used_);
        used_ = 0;
    }

private:
    // Room after kWriteBytes for the line that crosses it; a longer one
    // (a QR text's meaning) grows the buffer.
    static constexpr qsizetype kLineRoom = 4096;

    struct Kept
    {
        int kind = -1;
        std::size_t length = 0;
        long value = 0;
        long value2 = 0;
        QByteArray text;
    };

    void put(const char *bytes, qsizetype n)
    {
        if (used_ + n > out_.size())
            out_.resize(used_ + n + kLineRoom);
        std::memcpy(out_.data() + used_, bytes, std::size_t(n));
        used_ += n;
    }
    void put(const QByteArray &bytes) { put(bytes.constData(), bytes.size()); }

    void appendMeaning(const decoder::Decoded &piece)
    {
        if (!keptMeaning(piece.kind)) {
            if (piece.kind == decoder::Kind::QrStore || piece.kind == decoder::Kind::LogoDownload) {
                put(piece.describe().toUtf8());
            } else {
                scratch_.resize(0); // keeps its room
                piece.appendDescription(scratch_);
                put(scratch_);
            }
            return;
        }
        // A capture repeats the same few commands: one slot per hash.
        const quint64 key = quint64(piece.kind) << 56 ^ quint64(piece.length) << 48 ^ quint64(piece.value) << 16 ^
                            quint64(piece.value2);
        Kept &slot = kept_[(key * 0x9E3779B97F4A7C15u) >> (64 - kKeptBits)];
        if (slot.kind != int(piece.kind) || slot.length != piece.length || slot.value != piece.value ||
            slot.value2 != piece.value2) {
            QString text = piece.describe();
            if (piece.kind == decoder::Kind::CodePage)
                if (const CodePage *page = codePageByNumber(int(piece.value)))
                    text += QStringLiteral(" (%1)").arg(page->plainName());
            slot = {int(piece.kind), piece.length, piece.value, piece.value2, text.toUtf8()};
        }
        put(slot.text);
    }

    QIODevice *device_;
    QTextStream &text_;
    QByteArray out_; // the listing up to used_
    qsizetype used_ = 0;
    QByteArray scratch_;
    static constexpr int kKeptBits = 10;
    std::array<Kept, 1 << kKeptBits> kept_;
};

// Reads in to its end and lists its pieces as soon as each is whole, each
// with its offset: memory stays bounded whatever the stream holds. Returns
// an error text when reading failed, or empty.
QString listStreamed(QIODevice &in, Listing &listing)
{
    QByteArray pending; // read; the bytes from `start` on are not listed yet
    qsizetype start = 0;
    qint64 base = 0; // the stream offset of pending[start]
    qsizetype window = kWindowBytes;
    bool end = false;
    for (;;) {
        const qsizetype available = pending.size() - start;
        if (!end && available < window) {
            pending.remove(0, start);
            start = 0;
            const qsizetype had = pending.size();
            pending.resize(had + kReadBytes);
            const qint64 got = in.read(pending.data() + had, kReadBytes);
            if (got < 0)
                return in.errorString();
            pending.resize(had + qsizetype(got));
            end = got == 0;
            continue;
        }
        if (available == 0)
            return {};
        // Decode only a window, so that a long run does not make a long wait.
        const qsizetype size = qMin(window, available);
        const bool last = end && size == available;
        const bool tooLong = !last && window >= kLongestHeld;
        const char *view = pending.constData() + start;
        const std::size_t consumed =
            decoder::decodeEach(view, std::size_t(size), last || tooLong, [&](const decoder::Decoded &piece) {
                listing.add(piece, base + qint64(piece.offset), view + piece.offset);
            });
        if (consumed == 0) {
            // A piece goes on past the window: look further.
            window = kLongestHeld;
            continue;
        }
        start += qsizetype(consumed);
        base += qint64(consumed);
        window = kWindowBytes;
        if (listing.full())
            listing.write();
    }
}

} // namespace

int runDecode(CliContext &ctx, const QStringList &args)
{
    if (args.size() > 1)
        return ctx.fail(kExitUsage, Nemboport::tr("decode takes one FILE, or - for standard input"));
    // Without a file, bytes come through a pipe; a terminal holds none.
    if (args.isEmpty() && ::isatty(STDIN_FILENO) == 1)
        return ctx.fail(kExitUsage,
                        Nemboport::tr("decode takes a FILE, or bytes piped in (see nemboport decode --help)"));
    const QString path = args.value(0, QStringLiteral("-"));
    const QString shown = shownInput(path, kShownPathChars);
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        return ctx.fail(kExitUsage, Nemboport::tr("cannot read %1: %2").arg(shown, file.errorString()));
    // The listing goes out as it is made: any length of capture, bounded memory.
    ctx.out.flush();
    Listing listing(ctx.out.device(), ctx.out);
    const QString error = listStreamed(file, listing);
    listing.write();
    ctx.out.flush();
    if (!error.isEmpty())
        return ctx.fail(kExitFailed, Nemboport::tr("reading %1 failed: %2").arg(shown, error));
    return kExitOk;
}
