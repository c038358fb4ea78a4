#include "printer_flash.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kMaxLogoDots = 8 * 0xFFFF;

bool readInt(const QJsonObject &o, const char *key, qint64 low, qint64 high, qint64 &value, QString &why)
{
    const QJsonValue v = o.value(QLatin1String(key));
    const double d = v.toDouble(-1.0);
    if (!v.isDouble() || d != double(qint64(d)) || d < double(low) || d > double(high)) {
        why = QStringLiteral("\"%1\" is not a whole number from %2 to %3").arg(QLatin1String(key)).arg(low).arg(high);
        return false;
    }
    value = qint64(d);
    return true;
}

bool readBool(const QJsonObject &o, const char *key, bool &value, QString &why)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (!v.isBool()) {
        why = QStringLiteral("\"%1\" is not true or false").arg(QLatin1String(key));
        return false;
    }
    value = v.toBool();
    return true;
}

bool readBytes(const QJsonValue &v, const char *key, QByteArray &value, QString &why)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(v.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!v.isString() || !decoded) {
        why = QStringLiteral("\"%1\" is not base64 text").arg(QLatin1String(key));
        return false;
    }
    value = *decoded;
    return true;
}

} // namespace

QByteArray flashJson(const PrinterState &s)
{
    QJsonArray logos;
    for (const decoder::Logo &logo : s.logos)
        logos.append(QJsonObject{{QStringLiteral("width"), logo.widthDots},
                                 {QStringLiteral("height"), logo.heightDots},
                                 {QStringLiteral("raster"), QString::fromLatin1(logo.raster.toBase64())}});
    const QJsonObject o{
        {QStringLiteral("codePage"), s.codePage},
        {QStringLiteral("baudRate"), qint64(s.baudRate)},
        {QStringLiteral("darkness"), s.darkness},
        {QStringLiteral("barcode"), s.barcode},
        {QStringLiteral("cutter"), s.cutter},
        {QStringLiteral("blackMark"), s.blackMark},
        {QStringLiteral("buzzer"), s.buzzer},
        {QStringLiteral("cutFullAndHalf"), s.cutFullAndHalf},
        {QStringLiteral("cutFeedDrive"), s.cutFeedDrive},
        {QStringLiteral("cutFeedDistance"), qint64(s.cutFeedDistance)},
        {QStringLiteral("autoCutFeedDistance"), qint64(s.autoCutFeedDistance)},
        {QStringLiteral("qrText"), QString::fromLatin1(s.qrText.toBase64())},
        {QStringLiteral("logos"), logos},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

bool readFlash(const QByteArray &json, PrinterState &state, QString &why)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (!doc.isObject()) {
        why = error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not a JSON object");
        return false;
    }
    const QJsonObject o = doc.object();
    PrinterState s = state;
    qint64 codePage = 0, baud = 0, darkness = 0, buzzer = 0, cutFeed = 0, autoCutFeed = 0;
    using namespace printer_limits;
    if (!readInt(o, "codePage", 0, 255, codePage, why) ||
        !readInt(o, "baudRate", kMinBaudRate, kMaxBaudRate, baud, why) ||
        !readInt(o, "darkness", 0, 255, darkness, why) || !readInt(o, "buzzer", 0, 15, buzzer, why) ||
        !readInt(o, "cutFeedDistance", 0, 65535, cutFeed, why) ||
        !readInt(o, "autoCutFeedDistance", 0, 65535, autoCutFeed, why) || !readBool(o, "barcode", s.barcode, why) ||
        !readBool(o, "cutter", s.cutter, why) || !readBool(o, "blackMark", s.blackMark, why) ||
        !readBool(o, "cutFullAndHalf", s.cutFullAndHalf, why) || !readBool(o, "cutFeedDrive", s.cutFeedDrive, why) ||
        !readBytes(o.value(QLatin1String("qrText")), "qrText", s.qrText, why))
        return false;
    if (s.qrText.size() > kMaxQrText) {
        why = QStringLiteral("\"qrText\" holds %1 bytes, more than the %2 a QR store command carries")
                  .arg(s.qrText.size())
                  .arg(kMaxQrText);
        return false;
    }
    s.codePage = int(codePage);
    s.baudRate = long(baud);
    s.darkness = int(darkness);
    s.buzzer = int(buzzer);
    s.cutFeedDistance = long(cutFeed);
    s.autoCutFeedDistance = long(autoCutFeed);
    const QJsonValue logos = o.value(QLatin1String("logos"));
    if (!logos.isArray() || std::size_t(logos.toArray().size()) > kMaxLogos) {
        why = QStringLiteral("\"logos\" is not a list of at most %1 logos").arg(kMaxLogos);
        return false;
    }
    s.logos.clear();
    for (const QJsonValue v : logos.toArray()) {
        const QJsonObject l = v.toObject();
        qint64 width = 0, height = 0;
        decoder::Logo logo;
        if (!readInt(l, "width", 8, kMaxLogoDots, width, why) || !readInt(l, "height", 8, kMaxLogoDots, height, why) ||
            !readBytes(l.value(QLatin1String("raster")), "raster", logo.raster, why))
            return false;
        logo.widthDots = int(width);
        logo.heightDots = int(height);
        s.logos.push_back(std::move(logo));
    }
    why = logoProblem(s.logos);
    if (!why.isEmpty())
        return false;
    state = s;
    return true;
}
