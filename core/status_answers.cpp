// The bit layouts of the answers. Two-bit sensor fields read as set when
// either bit is set: a printer reports 11, a single bit is taken the same.
#include "status_answers.h"

namespace printer_status {

namespace {

constexpr std::uint8_t bit(int n)
{
    return std::uint8_t(1u << n);
}

bool fixedBitsRight(std::uint8_t b)
{
    return (b & (bit(0) | bit(1) | bit(4) | bit(7))) == (bit(1) | bit(4));
}

struct BitMeaning
{
    StatusRequest request;
    std::uint8_t mask;
    Condition condition;
};

const BitMeaning kBits[] = {
    {StatusRequest::Printer, bit(2), DrawerPinHigh},
    {StatusRequest::Printer, bit(3), Offline},
    {StatusRequest::OfflineCause, bit(2), CoverOpen},
    {StatusRequest::OfflineCause, bit(3), FedByButton},
    {StatusRequest::OfflineCause, bit(5), PaperOut},
    {StatusRequest::OfflineCause, bit(6), Error},
    {StatusRequest::ErrorCause, bit(2), MechanicalError},
    {StatusRequest::ErrorCause, bit(3), CutterError},
    {StatusRequest::ErrorCause, bit(5), UnrecoverableError},
    {StatusRequest::ErrorCause, bit(6), AutoRecoverableError},
    {StatusRequest::RollPaper, bit(2) | bit(3), PaperNearEnd},
    {StatusRequest::RollPaper, bit(5) | bit(6), PaperOut},
};

} // namespace

std::uint8_t encodeStatusByte(StatusRequest which, Conditions conditions)
{
    std::uint8_t answer = bit(1) | bit(4); // the fixed bits
    for (const BitMeaning &m : kBits)
        if (m.request == which && (conditions & m.condition))
            answer |= m.mask;
    return answer;
}

std::optional<Conditions> decodeStatusByte(StatusRequest which, std::uint8_t answer)
{
    if (!fixedBitsRight(answer))
        return std::nullopt;
    Conditions found = 0;
    for (const BitMeaning &m : kBits)
        if (m.request == which && (answer & m.mask))
            found |= m.condition;
    return found;
}

std::optional<Conditions> decodePaperSensor(std::uint8_t answer)
{
    if (answer & (bit(4) | bit(7)))
        return std::nullopt;
    Conditions found = 0;
    if (answer & (bit(0) | bit(1)))
        found |= PaperNearEnd;
    if (answer & (bit(2) | bit(3)))
        found |= PaperOut;
    return found;
}

std::optional<QByteArray> decodeIdText(const QByteArray &answer)
{
    const qsizetype end = answer.indexOf('\0');
    if (!answer.startsWith('_') || end < 0 || end != answer.size() - 1)
        return std::nullopt;
    const QByteArray text = answer.mid(1, end - 1);
    for (const char c : text)
        if (c < 0x20 || c > 0x7E) // also keeps terminal controls out of reports
            return std::nullopt;
    return text;
}

Summary summarize(Conditions c)
{
    if (c & PaperOut)
        return Summary::PaperOut;
    if (c & CoverOpen)
        return Summary::CoverOpen;
    if (c & (kNotReady & ~Offline))
        return Summary::Error;
    if (c & Offline)
        return Summary::Offline;
    if (c & PaperNearEnd)
        return Summary::PaperNearEnd;
    return Summary::Ready;
}

const char *summaryText(Summary summary)
{
    switch (summary) {
    case Summary::Ready:
        return "ready";
    case Summary::PaperNearEnd:
        return "paper near end";
    case Summary::PaperOut:
        return "paper out";
    case Summary::CoverOpen:
        return "cover open";
    case Summary::Offline:
        return "off-line";
    case Summary::Error:
        return "error";
    }
    return "?";
}

const std::vector<ConditionName> &conditionNames()
{
    static const std::vector<ConditionName> names = {
        {Offline, "offline", QT_TRANSLATE_NOOP("printer condition", "off-line")},
        {CoverOpen, "coverOpen", QT_TRANSLATE_NOOP("printer condition", "cover open")},
        {FedByButton, "fedByButton", QT_TRANSLATE_NOOP("printer condition", "paper fed by the button")},
        {PaperNearEnd, "paperNearEnd", QT_TRANSLATE_NOOP("printer condition", "paper near end")},
        {PaperOut, "paperOut", QT_TRANSLATE_NOOP("printer condition", "paper out")},
        {Error, "error", QT_TRANSLATE_NOOP("printer condition", "error")},
        {MechanicalError, "mechanicalError", QT_TRANSLATE_NOOP("printer condition", "mechanical error")},
        {CutterError, "cutterError", QT_TRANSLATE_NOOP("printer condition", "cutter error")},
        {UnrecoverableError, "unrecoverableError", QT_TRANSLATE_NOOP("printer condition", "unrecoverable error")},
        {AutoRecoverableError, "autoRecoverableError",
         QT_TRANSLATE_NOOP("printer condition", "auto-recoverable error")},
        {DrawerPinHigh, "drawerPinHigh", QT_TRANSLATE_NOOP("printer condition", "drawer pin high")},
    };
    return names;
}

QStringList describe(Conditions conditions)
{
    QStringList texts;
    for (const ConditionName &n : conditionNames())
        if (conditions & n.condition)
            texts << QLatin1String(n.text);
    return texts;
}

} // namespace printer_status
