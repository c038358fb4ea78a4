// Reads a buffer left to right. At each byte it first tries the command
// forms that begin with that byte and the next (one table: prefix, parameter
// bytes, how to read them; FS q and GS ( k read their own lengths); what
// starts no command joins a run of line feeds, printable text or unknown
// bytes. Every length that comes from the input is checked against the bytes
// actually there before it is used.
#include "command_decoder.h"

#include "byte_names.h"
#include "status_requests.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>

namespace decoder {

namespace {

using esc::DLE;
using esc::EOT;
using esc::ESC;
using esc::FS;
using esc::GS;
using esc::LF;
using esc::US;

// How a form's parameter bytes become value / value2.
enum class Param {
    None,
    Byte,         // value = p0
    Le16,         // value = p0 | p1 << 8
    Le32,         // value = p0 .. p3, low byte first
    AsciiFlag,    // '0' / '1'
    ByteFlag,     // 00 / 01
    MarkFlag,     // 'D' on, 'f' off
    Pair,         // value = p0, value2 = p1
    Drawer,       // value = pin m, value2 = t1 | t2 << 8
    Align,        // 0..2 (or '0'..'2')
    LogoCount,    // FS q: n blocks follow
    QrFrame,      // GS ( k: pL pH and a body
    StatusNumber, // DLE EOT: 1 to 4
    IdNumber,     // GS I: 1 to 3, 65 to 69
    SensorNumber, // GS r: 1 or '1'
};

struct Form
{
    Kind kind;
    Bytes prefix;
    std::size_t params; // bytes after the prefix (framed forms: the fixed part)
    Param param;
    const char *name;
};

const std::vector<Form> &forms()
{
    using esc::tagged;
    static const std::vector<Form> table = {
        {Kind::Initialize, Bytes(esc::kInitialize), 0, Param::None, "ESC @"},
        {Kind::CodePage, {ESC, 't'}, 1, Param::Byte, "ESC t"},
        {Kind::CodePage, tagged("SLAN"), 1, Param::Byte, "ESC # # SLAN"},
        {Kind::BaudRate, {ESC, 'z', '7'}, 4, Param::Le32, "ESC z 7"},
        {Kind::BaudRate, tagged("SBDR"), 4, Param::Le32, "ESC # # SBDR"},
        {Kind::Darkness, {GS, 'i'}, 1, Param::Byte, "GS i"},
        {Kind::Darkness, tagged("STDP"), 1, Param::Byte, "ESC # # STDP"},
        {Kind::Barcode, {GS, 'E', 'C'}, 1, Param::ByteFlag, "GS E C"},
        {Kind::BlackMark, {US, ESC, US, 0x80, 0x04, 0x05, 0x06}, 1, Param::MarkFlag, "US ESC US"},
        {Kind::Buzzer, tagged("STBP"), 2, Param::Pair, "ESC # # STBP"},
        {Kind::BuzzerSwitch, tagged("ENBP"), 1, Param::AsciiFlag, "ESC # # ENBP"},
        {Kind::Cutter, tagged("ECAT"), 1, Param::AsciiFlag, "ESC # # ECAT"},
        {Kind::CutMode, tagged("EFCT"), 1, Param::AsciiFlag, "ESC # # EFCT"},
        {Kind::CutFeed, tagged("CTFD"), 2, Param::Le16, "ESC # # CTFD"},
        {Kind::AutoCutFeed, tagged("ACFD"), 2, Param::Le16, "ESC # # ACFD"},
        {Kind::FactoryReset, tagged("RECF"), 0, Param::None, "ESC # # RECF"},
        {Kind::FunctionList, Bytes(esc::kPrintFunctionList), 0, Param::None, "ESC # F"},
        {Kind::CodePageList, Bytes(esc::kPrintCodePageList), 0, Param::None, "ESC # H"},
        {Kind::FullCut, Bytes(esc::kFullCut), 0, Param::None, "ESC i"},
        {Kind::HalfCut, Bytes(esc::kHalfCut), 0, Param::None, "ESC m"},
        {Kind::CashDrawer, {ESC, 'p'}, 3, Param::Drawer, "ESC p"},
        {Kind::Align, {ESC, 'a'}, 1, Param::Align, "ESC a"},
        {Kind::LogoPrint, {FS, 'p'}, 2, Param::Pair, "FS p"},
        {Kind::LogoDownload, {FS, 'q'}, 1, Param::LogoCount, "FS q"},
        {Kind::QrStore, {GS, '(', 'k'}, 2, Param::QrFrame, "GS ( k"},
        {Kind::StatusRequest, {DLE, EOT}, 1, Param::StatusNumber, "DLE EOT"},
        {Kind::IdRequest, {GS, 'I'}, 1, Param::IdNumber, "GS I"},
        {Kind::PaperSensorRequest, {GS, 'r'}, 1, Param::SensorNumber, "GS r"},
    };
    return table;
}

// What starts at one position of the buffer.
enum class Status {
    None,    // no command starts here
    Command, // a whole command (found)
    Broken,  // a command's frame whose parameters make no sense: unknown
    CutOff,  // the buffer ends inside what could be a command
};

struct Match
{
    Status status = Status::None;
    Decoded found; // kind, length, values (offset set by the caller)
};

Match command(Kind kind, std::size_t length, long value = 0, long value2 = 0)
{
    Match m;
    m.status = Status::Command;
    m.found.kind = kind;
    m.found.length = length;
    m.found.value = value;
    m.found.value2 = value2;
    return m;
}

Match broken(std::size_t length)
{
    Match m;
    m.status = Status::Broken;
    m.found.length = length;
    return m;
}

Match cutOff()
{
    Match m;
    m.status = Status::CutOff;
    return m;
}

QByteArray bytesAt(const std::uint8_t *p, std::size_t n)
{
    return QByteArray(reinterpret_cast<const char *>(p), qsizetype(n));
}

// FS q n, then n blocks of xL xH yL yH and x * y * 8 data bytes. The
// lengths are checked first; the data is copied only for a whole command.
Match logoDownload(const std::uint8_t *p, std::size_t avail)
{
    const unsigned count = p[2];
    if (count == 0)
        return command(Kind::LogoClear, 3);
    std::size_t pos = 3;
    for (unsigned i = 0; i < count; ++i) {
        if (avail - pos < 4)
            return cutOff();
        const std::size_t x = p[pos] | std::size_t(p[pos + 1]) << 8;
        const std::size_t y = p[pos + 2] | std::size_t(p[pos + 3]) << 8;
        const std::size_t size = x * y * 8; // at most 65535 * 65535 * 8
        pos += 4;
        if (avail - pos < size)
            return cutOff();
        pos += size;
    }
    Match m = command(Kind::LogoDownload, pos, long(count));
    pos = 3;
    for (unsigned i = 0; i < count; ++i) {
        const int x = p[pos] | p[pos + 1] << 8;
        const int y = p[pos + 2] | p[pos + 3] << 8;
        const std::size_t size = std::size_t(x) * std::size_t(y) * 8;
        m.found.logos.push_back({x * 8, y * 8, bytesAt(p + pos + 4, size)});
        pos += 4 + size;
    }
    return m;
}

// GS ( k pL pH cn fn m d...: the QR store (31 50 30) and print (31 51 30).
// Other functions of the family are kept whole as unknown.
Match qrFrame(const std::uint8_t *p, std::size_t avail)
{
    const std::size_t body = p[3] | std::size_t(p[4]) << 8;
    const std::size_t length = 5 + body;
    if (avail < length)
        return cutOff();
    const bool qr = body >= 3 && p[5] == 0x31 && p[7] == 0x30;
    if (qr && p[6] == 0x50) {
        Match m = command(Kind::QrStore, length, long(body - 3));
        m.found.payload = bytesAt(p + 8, body - 3);
        return m;
    }
    if (qr && p[6] == 0x51 && body == 3)
        return command(Kind::QrPrint, length);
    return broken(length);
}

Match readParams(const Form &form, const std::uint8_t *p, std::size_t avail)
{
    const std::size_t length = form.prefix.size() + form.params;
    const std::uint8_t *q = p + form.prefix.size();
    const Kind kind = form.kind;
    switch (form.param) {
    case Param::None:
        return command(kind, length);
    case Param::Byte:
        return command(kind, length, q[0]);
    case Param::Le16:
        return command(kind, length, long(q[0] | q[1] << 8));
    case Param::Le32:
        return command(kind, length, long(q[0] | q[1] << 8 | q[2] << 16 | std::uint32_t(q[3]) << 24));
    case Param::AsciiFlag:
        return q[0] == '0' || q[0] == '1' ? command(kind, length, q[0] - '0') : broken(length);
    case Param::ByteFlag:
        return q[0] <= 1 ? command(kind, length, q[0]) : broken(length);
    case Param::MarkFlag:
        return q[0] == 'D' || q[0] == 'f' ? command(kind, length, q[0] == 'D') : broken(length);
    case Param::Pair:
        return command(kind, length, q[0], q[1]);
    case Param::Drawer:
        return command(kind, length, q[0], long(q[1] | q[2] << 8));
    case Param::Align:
        if (q[0] <= 2)
            return command(kind, length, q[0]);
        if (q[0] >= '0' && q[0] <= '2')
            return command(kind, length, q[0] - '0');
        return broken(length);
    case Param::LogoCount:
        return logoDownload(p, avail);
    case Param::QrFrame:
        return qrFrame(p, avail);
    case Param::StatusNumber:
        return isStatusRequestNumber(q[0]) ? command(kind, length, q[0]) : broken(length);
    case Param::IdNumber:
        return isIdRequestNumber(q[0]) ? command(kind, length, q[0]) : broken(length);
    case Param::SensorNumber:
        return q[0] == 1 || q[0] == '1' ? command(kind, length, 1) : broken(length);
    }
    return broken(length);
}

// The forms by their first two bytes: most bytes of text and of unknown runs
// begin none, and a byte that begins some is followed by a byte that leaves
// one or a few. Every prefix is at least two bytes long.
class FormIndex
{
public:
    FormIndex()
    {
        const std::vector<Form> &all = forms();
        for (std::size_t i = 0; i < all.size(); ++i) {
            const Bytes &prefix = all[i].prefix;
            std::uint8_t &family = family_[prefix[0]];
            if (family == 0) {
                families_.emplace_back();
                family = std::uint8_t(families_.size());
            }
            families_[family - 1][prefix[1]].push_back(&all[i]);
        }
    }

    // Whether some form begins with c.
    bool begins(std::uint8_t c) const { return family_[c] != 0; }
    // The forms beginning with c0 c1 (c0 must begin some).
    const std::vector<const Form *> &beginning(std::uint8_t c0, std::uint8_t c1) const
    {
        return families_[family_[c0] - 1][c1];
    }

private:
    std::array<std::uint8_t, 256> family_{}; // 0: none, else 1 + index into families_
    std::vector<std::array<std::vector<const Form *>, 256>> families_;
};

const FormIndex &formIndex()
{
    static const FormIndex index;
    return index;
}

Match matchAt(const std::uint8_t *p, std::size_t avail)
{
    const FormIndex &index = formIndex();
    if (avail == 0 || !index.begins(p[0]))
        return {};
    if (avail == 1)
        return cutOff(); // every prefix has a second byte
    bool mayContinue = false;
    for (const Form *form : index.beginning(p[0], p[1])) {
        const std::size_t seen = std::min(avail, form->prefix.size());
        if (seen > 2 && std::memcmp(p + 2, form->prefix.data() + 2, seen - 2) != 0)
            continue;
        if (avail < form->prefix.size() + form->params) {
            mayContinue = true; // no two prefixes overlap: keep looking only for this
            continue;
        }
        return readParams(*form, p, avail);
    }
    return mayContinue ? cutOff() : Match{};
}

bool printable(std::uint8_t c)
{
    return c >= 0x20 && c < 0x7F;
}

enum class Run {
    LineFeeds,
    Text,
    Unknown
};

Run runOf(std::uint8_t c)
{
    return c == LF ? Run::LineFeeds : printable(c) ? Run::Text : Run::Unknown;
}

// The form that built d: the two instruction sets' forms of one setting
// differ in length, so kind and length find it.
const Form *formOf(const Decoded &d)
{
    const Form *any = nullptr;
    for (const Form &form : forms()) {
        if (form.kind != d.kind)
            continue;
        if (form.prefix.size() + form.params == d.length)
            return &form;
        if (!any)
            any = &form;
    }
    return any;
}

QString onOff(long v)
{
    return v ? QStringLiteral("on") : QStringLiteral("off");
}

void appendNumber(QByteArray &out, unsigned long long value)
{
    char digits[20];
    int count = 0;
    do
        digits[count++] = char('0' + value % 10);
    while ((value /= 10) != 0);
    while (count)
        out += digits[--count];
}

// Bytes for a person: printable ASCII as is, the rest as \xNN.
void appendQuoted(QByteArray &out, const QByteArray &bytes)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    for (const char ch : bytes) {
        const auto c = std::uint8_t(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (printable(c)) {
            out += ch;
        } else {
            const char escape[] = {'\\', 'x', hex[c >> 4], hex[c & 0xF]};
            out.append(escape, 4);
        }
    }
    out += '"';
}

QString quoted(const QByteArray &bytes)
{
    QByteArray out;
    appendQuoted(out, bytes);
    return QString::fromLatin1(out);
}

// The first bytes in upper-case hex, "..." when there are more.
void appendHexList(QByteArray &out, const QByteArray &bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    constexpr qsizetype kShown = 32;
    const qsizetype shown = std::min(bytes.size(), kShown);
    for (qsizetype i = 0; i < shown; ++i) {
        const auto c = std::uint8_t(bytes[i]);
        if (i)
            out += ' ';
        out += hex[c >> 4];
        out += hex[c & 0xF];
    }
    if (bytes.size() > kShown)
        out += " ...";
}

QString logoSizes(const std::vector<Logo> &logos)
{
    QStringList sizes;
    for (const Logo &logo : logos)
        sizes << QStringLiteral("%1 x %2").arg(logo.widthDots).arg(logo.heightDots);
    return QStringLiteral("%1 logo%2, %3 dots")
        .arg(logos.size())
        .arg(logos.size() == 1 ? "" : "s")
        .arg(sizes.join(QStringLiteral(", ")));
}

const char *statusAsked(long n)
{
    switch (n) {
    case 1:
        return "printer status";
    case 2:
        return "off-line cause";
    case 3:
        return "error cause";
    case 4:
        return "roll paper sensor";
    }
    return "?";
}

const char *idAsked(long n)
{
    switch (n) {
    case 1:
        return "model ID";
    case 2:
        return "type ID";
    case 3:
        return "ROM version ID";
    case 65:
        return "firmware version";
    case 66:
        return "maker";
    case 67:
        return "model name";
    case 68:
        return "serial number";
    case 69:
        return "fonts";
    }
    return "?";
}

QString meaning(const Decoded &d)
{
    static const char *const alignments[] = {"left", "middle", "right"};
    static const char *const logoModes[] = {"normal size", "double width", "double height", "quadruple size"};
    switch (d.kind) {
    case Kind::Initialize:
        return QStringLiteral("initialise");
    case Kind::CodePage:
        return QStringLiteral("code page %1").arg(d.value);
    case Kind::BaudRate:
        return QStringLiteral("baud %1").arg(d.value);
    case Kind::Darkness:
        return QStringLiteral("darkness %1").arg(d.value);
    case Kind::Barcode:
        return QStringLiteral("barcode %1").arg(onOff(d.value));
    case Kind::BlackMark:
        return QStringLiteral("black mark %1").arg(onOff(d.value));
    case Kind::Buzzer:
        return QStringLiteral("buzzer events mask %1").arg(d.value);
    case Kind::BuzzerSwitch:
        return QStringLiteral("buzzer %1").arg(onOff(d.value));
    case Kind::Cutter:
        return QStringLiteral("auto cutter %1").arg(onOff(d.value));
    case Kind::CutMode:
        return d.value ? QStringLiteral("cut mode full and half") : QStringLiteral("cut mode half");
    case Kind::CutFeed:
        return QStringLiteral("cut feed %1").arg(d.value);
    case Kind::AutoCutFeed:
        return QStringLiteral("auto cut feed %1").arg(d.value);
    case Kind::FactoryReset:
        return QStringLiteral("restore factory settings");
    case Kind::FunctionList:
        return QStringLiteral("print the function list");
    case Kind::CodePageList:
        return QStringLiteral("print the code page list");
    case Kind::FullCut:
        return QStringLiteral("full cut");
    case Kind::HalfCut:
        return QStringLiteral("half cut");
    case Kind::CashDrawer:
        return QStringLiteral("open cash drawer, pin %1, %2 ms on, %3 ms off")
            .arg(d.value == 0 || d.value == '0' ? 2 : 5)
            .arg((d.value2 & 0xFF) * 2)
            .arg((d.value2 >> 8 & 0xFF) * 2);
    case Kind::Align:
        return QStringLiteral("align %1").arg(QLatin1String(d.value >= 0 && d.value <= 2 ? alignments[d.value] : "?"));
    case Kind::QrStore:
        return QStringLiteral("store QR text %1 (%2 bytes)").arg(quoted(d.payload)).arg(d.payload.size());
    case Kind::QrPrint:
        return QStringLiteral("print the QR symbol");
    case Kind::LogoDownload:
        return logoSizes(d.logos);
    case Kind::LogoClear:
        return QStringLiteral("clear the stored logos");
    case Kind::LogoPrint:
        return QStringLiteral("print logo %1, %2")
            .arg(d.value)
            .arg(QLatin1String(d.value2 >= 0 && d.value2 <= 3 ? logoModes[d.value2] : "size ?"));
    case Kind::StatusRequest:
        return QStringLiteral("ask the %1").arg(QLatin1String(statusAsked(d.value)));
    case Kind::IdRequest:
        return QStringLiteral("ask the %1").arg(QLatin1String(idAsked(d.value)));
    case Kind::PaperSensorRequest:
        return QStringLiteral("ask the paper sensor status");
    case Kind::Unknown:
    case Kind::Text:
    case Kind::LineFeed:
        break;
    }
    return {};
}

} // namespace

void Decoded::appendDescription(QByteArray &out) const
{
    switch (kind) {
    case Kind::Unknown:
        out += "unknown: ";
        appendNumber(out, length);
        out += length == 1 ? " byte " : " bytes ";
        appendHexList(out, payload);
        return;
    case Kind::Text:
        out += "text ";
        appendQuoted(out, payload);
        return;
    case Kind::LineFeed:
        out += "LF";
        if (value != 1) {
            out += " x";
            appendNumber(out, (unsigned long long)value);
        }
        return;
    default:
        out += describe().toLatin1();
        return;
    }
}

QString Decoded::describe() const
{
    switch (kind) {
    case Kind::Unknown:
    case Kind::Text:
    case Kind::LineFeed: {
        QByteArray text;
        appendDescription(text);
        return QString::fromLatin1(text);
    }
    case Kind::LogoClear:
        return QStringLiteral("FS q 0: ") + meaning(*this);
    case Kind::QrPrint: // shares its frame's form with the store
        return QStringLiteral("GS ( k: ") + meaning(*this);
    default:
        break;
    }
    const Form *form = formOf(*this);
    return QStringLiteral("%1: %2").arg(QLatin1String(form ? form->name : "?"), meaning(*this));
}

namespace {

// The decoding itself: hands each piece to take(piece, offset) as it is
// found, its payload not yet set; returns the bytes consumed.
template <typename Take>
std::size_t decodeWith(const std::uint8_t *b, std::size_t n, bool final, Take &&take)
{
    std::size_t i = 0;
    while (i < n) {
        Match m = matchAt(b + i, n - i);
        if (m.status == Status::CutOff) {
            if (!final)
                break;
            m = broken(n - i); // the whole tail
        }
        if (m.status != Status::None) {
            const std::size_t length = m.found.length;
            take(m.found, i);
            i += length;
            continue;
        }
        // A run of line feeds, text or unknown bytes. One that reaches the
        // end may go on in the next piece of a stream: wait for it. So may an
        // unknown run that meets a cut-off frame, which may yet prove to be
        // no command at all.
        const Run run = runOf(b[i]);
        std::size_t j = i + 1;
        for (; j < n && runOf(b[j]) == run; ++j) {
            if (run != Run::Unknown)
                continue;
            const Status next = matchAt(b + j, n - j).status;
            if (next == Status::CutOff && !final)
                j = n;
            if (next != Status::None)
                break;
        }
        if (j == n && !final)
            break;
        Decoded d;
        d.kind = run == Run::LineFeeds ? Kind::LineFeed : run == Run::Text ? Kind::Text : Kind::Unknown;
        d.length = j - i;
        if (run == Run::LineFeeds)
            d.value = long(d.length);
        take(d, i);
        i = j;
    }
    return i;
}

bool holdsItsBytes(Kind kind)
{
    return kind == Kind::Unknown || kind == Kind::Text;
}

} // namespace

Result decode(const Bytes &bytes, bool final)
{
    return decode(QByteArray::fromRawData(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())),
                  final);
}

Result decode(const QByteArray &bytes, bool final)
{
    const auto *b = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    Result r;
    r.consumed = decodeWith(b, std::size_t(bytes.size()), final, [&](Decoded &d, std::size_t offset) {
        d.offset = offset;
        if (holdsItsBytes(d.kind))
            d.payload = bytesAt(b + offset, d.length);
        r.commands.push_back(std::move(d));
    });
    return r;
}

std::size_t decodeEach(const char *bytes, std::size_t size, bool final,
                       const std::function<void(const Decoded &)> &take)
{
    const auto *b = reinterpret_cast<const std::uint8_t *>(bytes);
    return decodeWith(b, size, final, [&](Decoded &d, std::size_t offset) {
        d.offset = offset;
        if (holdsItsBytes(d.kind))
            d.payload = QByteArray::fromRawData(bytes + offset, qsizetype(d.length));
        take(d);
    });
}

} // namespace decoder
