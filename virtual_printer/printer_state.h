// What the virtual printer remembers: its settings, its flash (NV logos, the
// QR text) and its counters, and how they are written out as state.json.
#pragma once

#include "command_decoder.h"
#include "raster.h"
#include "status_answers.h"

#include <QByteArray>
#include <QString>

#include <vector>

enum class PaperLevel {
    Ok,
    NearEnd,
    Out
};

// What the panel sets: the paper, the cover and the on-line switch.
struct PrinterConditions
{
    PaperLevel paper = PaperLevel::Ok;
    bool coverOpen = false;
    bool online = true;
};

struct PrinterState
{
    // Settings; a factory reset brings back these values.
    int codePage = 0; // PC437
    long baudRate = 9600;
    int darkness = 23;
    bool barcode = true;
    bool cutter = true;
    bool blackMark = false;
    int buzzer = 0; // event mask, bits 0..3
    bool cutFullAndHalf = true;
    bool cutFeedDrive = false; // false: command mode
    long cutFeedDistance = 0;
    long autoCutFeedDistance = 40;

    // Flash: kept by a factory reset.
    std::vector<decoder::Logo> logos;
    QByteArray qrText;

    // Conditions: what the paper, the cover and the on-line switch say.
    // Set from outside (options, lines typed to the server); a factory reset
    // keeps them.
    PaperLevel paper = PaperLevel::Ok;
    bool coverOpen = false;
    bool online = true;

    // Counters since the server started.
    long cuts = 0;
    long drawerPulses = 0;
    long long unknownBytes = 0;
};

// What the printer keeps, whichever way a value comes (a command, or
// printer.json read back at start): a value beyond these is refused.
namespace printer_limits {
inline constexpr long kMinBaudRate = 50;
inline constexpr long kMaxBaudRate = 4000000;
// A GS ( k frame holds at most 65,535 bytes, 3 of them its function.
inline constexpr qsizetype kMaxQrText = 65532;
// FS q n stores up to 255 logos, each of at most the data bytes the
// printer takes for one image.
inline constexpr std::size_t kMaxLogos = 255;
inline constexpr qint64 kMaxLogoBytes = qint64(raster::kMaxImageBytes);
// Empty when the logos fit the printer's flash, else why not.
QString logoProblem(const std::vector<decoder::Logo> &logos);
} // namespace printer_limits

// The settings of a factory-fresh printer, flash and counters of `from` kept.
PrinterState factoryReset(const PrinterState &from);

// The conditions as the status answers report them: paper out or a cover
// open take the printer off-line, as a printer does.
printer_status::Conditions conditionsOf(const PrinterState &state);

// Applies one line naming a condition (case and spacing aside); false when
// it names none. The lines are those of kConditionLines.
bool applyConditionLine(const QString &line, PrinterConditions &conditions);
inline constexpr const char *kConditionLines =
    "type one of: paper ok, paper near-end, paper out, cover open, cover closed, online, offline";

// The paper level as state.json and typed lines name it: ok, near-end, out.
const char *paperLevelName(PaperLevel level);

// state.json: codePage, baudRate, darkness, barcode, cutter, blackMark,
// buzzer, cutMode, cutFeed, logos, qrText, paper, cover, online, cuts, drawerPulses,
// unknownBytes.
QByteArray stateJson(const PrinterState &state);
