#include "status_answer_bytes.h"

using namespace printer_status;

namespace {

constexpr std::uint8_t bit(int n)
{
    return std::uint8_t(1u << n);
}

// Bits 1 and 4 are always set in a DLE EOT answer, bits 0 and 7 never.
constexpr std::uint8_t kFixedBits = bit(1) | bit(4);

struct BitMeaning
{
    StatusRequest request;
    std::uint8_t bits;
    Condition condition;
};

// A sensor with two bits reports both.
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

QString identityTextProblem(const QString &text)
{
    if (text.isEmpty() || text.size() > kMaxIdentityText)
        return QStringLiteral("wants 1 to %1 characters").arg(kMaxIdentityText);
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return QStringLiteral("wants printable ASCII characters only");
    return {};
}

std::uint8_t statusByte(StatusRequest which, Conditions conditions)
{
    std::uint8_t answer = kFixedBits;
    for (const BitMeaning &m : kBits)
        if (m.request == which && (conditions & m.condition))
            answer |= m.bits;
    return answer;
}

std::uint8_t paperSensorByte(Conditions conditions)
{
    std::uint8_t answer = 0;
    if (conditions & PaperNearEnd)
        answer |= bit(0) | bit(1);
    if (conditions & PaperOut)
        answer |= bit(2) | bit(3);
    return answer;
}

QByteArray idTextAnswer(const QByteArray &text)
{
    return '_' + text + '\0';
}

QByteArray answerTo(const decoder::Decoded &request, Conditions conditions, const PrinterIdentity &identity)
{
    switch (request.kind) {
    case decoder::Kind::StatusRequest:
        return QByteArray(1, char(statusByte(StatusRequest(request.value), conditions)));
    case decoder::Kind::PaperSensorRequest:
        return QByteArray(1, char(paperSensorByte(conditions)));
    case decoder::Kind::IdRequest:
        switch (IdRequest(request.value)) {
        case IdRequest::ModelId:
            return QByteArray(1, char(identity.modelId));
        case IdRequest::TypeId:
            return QByteArray(1, char(identity.typeId));
        case IdRequest::RomVersionId:
            return QByteArray(1, char(identity.romVersionId));
        case IdRequest::Firmware:
            return idTextAnswer(identity.firmware);
        case IdRequest::Maker:
            return idTextAnswer(identity.maker);
        case IdRequest::Model:
            return idTextAnswer(identity.model);
        case IdRequest::SerialNumber:
            return idTextAnswer(identity.serialNumber);
        case IdRequest::Fonts:
            return idTextAnswer(identity.fonts);
        }
        return {};
    default:
        return {};
    }
}
