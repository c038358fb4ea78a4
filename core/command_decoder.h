// Splits a byte buffer into the printer commands this program sends and
// names each with its parameters, e.g. "ESC # # SBDR: baud 9600" or
// "FS q: 1 logo, 576 x 232 dots". Bytes it does not know are reported as
// unknown, never dropped (a command frame with a senseless parameter, such
// as ESC a 7, is one unknown entry). Widget-free; used by the record window, the
// command-line tool's dry run and decode, and the virtual printer.
#pragma once

#include "command.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <functional>
#include <vector>

namespace decoder {

enum class Kind {
    Unknown,            // bytes the decoder does not know (payload holds them)
    Text,               // a run of printable text (payload)
    LineFeed,           // LF; value = how many in a row
    Initialize,         // ESC @
    CodePage,           // ESC t n or ESC # # SLAN n; value = code page
    BaudRate,           // ESC z 7 or ESC # # SBDR; value = rate
    Darkness,           // GS i d or ESC # # STDP; value = level
    Barcode,            // GS E C n; value = 0/1
    BlackMark,          // US ESC US 80 04 05 06 'D'/'f'; value = 0/1
    Buzzer,             // ESC # # STBP mask 00; value = event mask, value2 = the byte after it
    BuzzerSwitch,       // ESC # # ENBP '0'/'1' (old instruction set); value = 0/1
    Cutter,             // ESC # # ECAT '0'/'1'; value = 0/1
    CutMode,            // ESC # # EFCT '0'/'1'; value = 1 for full+half
    CutFeed,            // ESC # # CTFD lo hi; value = distance
    AutoCutFeed,        // ESC # # ACFD lo hi; value = distance
    FactoryReset,       // ESC # # RECF
    FunctionList,       // ESC # F
    CodePageList,       // ESC # H
    FullCut,            // ESC i
    HalfCut,            // ESC m
    CashDrawer,         // ESC p m t1 t2; value = pin m, value2 = t1 | t2 << 8
    Align,              // ESC a n; value = 0 left, 1 middle, 2 right ('0'..'2' read alike)
    QrStore,            // GS ( k pL pH 31 50 30 d...; payload = the stored text, value = its length
    QrPrint,            // GS ( k 03 00 31 51 30
    LogoDownload,       // FS q n with n > 0 image blocks; logos holds them, value = n
    LogoClear,          // FS q 0
    LogoPrint,          // FS p n m; value = logo number, value2 = mode
    StatusRequest,      // DLE EOT n (1 to 4); value = n
    IdRequest,          // GS I n (1 to 3, 65 to 69); value = n
    PaperSensorRequest, // GS r 1 (or '1')
};

// A question the printer answers: its status, its identity, its paper sensor.
inline bool isRequest(Kind kind)
{
    return kind == Kind::StatusRequest || kind == Kind::IdRequest || kind == Kind::PaperSensorRequest;
}

// One image block of an FS q download.
struct Logo
{
    int widthDots = 0;  // xL/xH x 8
    int heightDots = 0; // yL/yH x 8
    QByteArray raster;  // the x * y * 8 data bytes, column order as sent
};

struct Decoded
{
    Kind kind = Kind::Unknown;
    std::size_t offset = 0; // first byte within the buffer
    std::size_t length = 0; // bytes it spans
    long value = 0;         // the main parameter (see Kind)
    long value2 = 0;        // a second parameter where a command has one
    QByteArray payload;     // text, QR text or the unknown bytes
    std::vector<Logo> logos;

    // One line for a person: the command's name, then its meaning,
    // e.g. "ESC # # SBDR: baud 9600".
    QString describe() const;
    // The same line appended as bytes (it is plain ASCII).
    void appendDescription(QByteArray &out) const;
};

struct Result
{
    std::vector<Decoded> commands;
    // Bytes used from the start of the buffer. With final == false a command
    // cut off at the end of the buffer is left undecoded (consumed stops
    // before it) so a stream reader can wait for the rest; with final == true
    // such a tail is reported as Unknown and consumed is the whole buffer.
    // A run of text, line feeds or unknown bytes that reaches the end of the
    // buffer may go on too, so with final == false it is also left for the
    // next call: decoding a stream piece by piece gives the same entries as
    // decoding it whole.
    std::size_t consumed = 0;
};

Result decode(const Bytes &bytes, bool final = true);
Result decode(const QByteArray &bytes, bool final = true);

// The same pieces handed to take one by one as they are found, with no list
// and no copies: a piece and its payload (a view into bytes) live only for
// the call. Returns what Result::consumed would be.
std::size_t decodeEach(const char *bytes, std::size_t size, bool final,
                       const std::function<void(const Decoded &)> &take);

} // namespace decoder
