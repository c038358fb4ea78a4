#include "status_answer_bytes.h"

using namespace printer_status;

namespace {

constexpr std::uint8_t bit(int n)
{
    return std::uint8_t(1u << n);
}

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
    return encodeStatusByte(which, conditions);
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
