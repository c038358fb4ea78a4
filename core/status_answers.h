// Reads the printer's answers to the status and identity requests into named
// conditions. A status byte whose fixed bits are wrong is not an answer from
// a receipt printer (a serial port at the wrong rate reads this way) and
// gives no conditions at all.
#pragma once

#include "status_requests.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace printer_status {

enum Condition : unsigned {
    Offline = 1u << 0,
    CoverOpen = 1u << 1,
    FedByButton = 1u << 2,
    PaperNearEnd = 1u << 3,
    PaperOut = 1u << 4,
    Error = 1u << 5, // printing stopped by an error
    MechanicalError = 1u << 6,
    CutterError = 1u << 7,
    UnrecoverableError = 1u << 8,
    AutoRecoverableError = 1u << 9,
    DrawerPinHigh = 1u << 10,
};
using Conditions = unsigned;

// Any of these keeps the printer from printing.
inline constexpr Conditions kNotReady =
    Offline | CoverOpen | PaperOut | Error | MechanicalError | CutterError | UnrecoverableError | AutoRecoverableError;

// The conditions one DLE EOT answer byte reports; nothing when its fixed
// bits (bit 0 = 0, bit 1 = 1, bit 4 = 1, bit 7 = 0) are wrong.
std::optional<Conditions> decodeStatusByte(StatusRequest which, std::uint8_t answer);
// The DLE EOT answer byte a printer in these conditions sends (the ones that
// request does not report are left out): the same bit layout, written.
std::uint8_t encodeStatusByte(StatusRequest which, Conditions conditions);
// The GS r 1 answer (bits 4 and 7 fixed at 0): near end and paper out.
std::optional<Conditions> decodePaperSensor(std::uint8_t answer);

// The text of a GS I 65 to 69 answer ("_", printable text, NUL); nothing
// when it is not of that form.
std::optional<QByteArray> decodeIdText(const QByteArray &answer);

// One word for the whole state, the gravest first.
enum class Summary {
    Ready,
    PaperNearEnd,
    PaperOut,
    CoverOpen,
    Offline,
    Error
};
Summary summarize(Conditions conditions);
const char *summaryText(Summary summary); // "ready", "paper near end", ...

struct ConditionName
{
    Condition condition;
    const char *key;  // for machines: "coverOpen"
    const char *text; // for people: "cover open"; the windows translate it in kConditionContext
};
inline constexpr const char *kConditionContext = "printer condition";
// Every condition, in the order a report lists them.
const std::vector<ConditionName> &conditionNames();
// The texts of the conditions that hold, in that order.
QStringList describe(Conditions conditions);

} // namespace printer_status
