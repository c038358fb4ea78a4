#include "printer_state.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringDecoder>

namespace {

// The QR text as the tool and most senders store it, UTF-8; any other bytes
// are kept one character per byte.
QString readableText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

QString printer_limits::logoProblem(const std::vector<decoder::Logo> &logos)
{
    if (logos.size() > kMaxLogos)
        return QStringLiteral("%1 logos, more than the %2 the flash holds").arg(logos.size()).arg(kMaxLogos);
    for (std::size_t i = 0; i < logos.size(); ++i) {
        const decoder::Logo &logo = logos[i];
        const qint64 bytes = qint64(logo.widthDots) * logo.heightDots / 8;
        if (logo.widthDots < 8 || logo.heightDots < 8 || logo.widthDots % 8 || logo.heightDots % 8 ||
            bytes > kMaxLogoBytes || logo.raster.size() != bytes)
            return QStringLiteral("logo %1 is %2 x %3 dots with %4 data bytes; the printer takes whole groups of 8 "
                                  "dots and at most %5 data bytes a logo")
                .arg(i + 1)
                .arg(logo.widthDots)
                .arg(logo.heightDots)
                .arg(logo.raster.size())
                .arg(kMaxLogoBytes);
    }
    return {};
}

PrinterState factoryReset(const PrinterState &from)
{
    PrinterState fresh;
    fresh.logos = from.logos;
    fresh.qrText = from.qrText;
    fresh.paper = from.paper;
    fresh.coverOpen = from.coverOpen;
    fresh.online = from.online;
    fresh.cuts = from.cuts;
    fresh.drawerPulses = from.drawerPulses;
    fresh.unknownBytes = from.unknownBytes;
    return fresh;
}

printer_status::Conditions conditionsOf(const PrinterState &state)
{
    using namespace printer_status;
    Conditions c = 0;
    if (state.paper == PaperLevel::NearEnd)
        c |= PaperNearEnd;
    if (state.paper == PaperLevel::Out)
        c |= PaperOut | Offline;
    if (state.coverOpen)
        c |= CoverOpen | Offline;
    if (!state.online)
        c |= Offline;
    return c;
}

const char *paperLevelName(PaperLevel level)
{
    switch (level) {
    case PaperLevel::Ok:
        return "ok";
    case PaperLevel::NearEnd:
        return "near-end";
    case PaperLevel::Out:
        return "out";
    }
    return "?";
}

bool applyConditionLine(const QString &line, PrinterConditions &c)
{
    const QString words = line.simplified().toLower();
    if (words == QLatin1String("paper ok"))
        c.paper = PaperLevel::Ok;
    else if (words == QLatin1String("paper near-end") || words == QLatin1String("paper near end"))
        c.paper = PaperLevel::NearEnd;
    else if (words == QLatin1String("paper out"))
        c.paper = PaperLevel::Out;
    else if (words == QLatin1String("cover open"))
        c.coverOpen = true;
    else if (words == QLatin1String("cover closed"))
        c.coverOpen = false;
    else if (words == QLatin1String("online"))
        c.online = true;
    else if (words == QLatin1String("offline"))
        c.online = false;
    else
        return false;
    return true;
}

QByteArray stateJson(const PrinterState &state)
{
    QJsonArray logos;
    for (const decoder::Logo &logo : state.logos)
        logos.append(
            QJsonObject{{QStringLiteral("width"), logo.widthDots}, {QStringLiteral("height"), logo.heightDots}});
    const QJsonObject o{
        {QStringLiteral("codePage"), state.codePage},
        {QStringLiteral("baudRate"), qint64(state.baudRate)},
        {QStringLiteral("darkness"), state.darkness},
        {QStringLiteral("barcode"), state.barcode},
        {QStringLiteral("cutter"), state.cutter},
        {QStringLiteral("blackMark"), state.blackMark},
        {QStringLiteral("buzzer"), state.buzzer},
        {QStringLiteral("cutMode"), state.cutFullAndHalf ? QStringLiteral("full+half") : QStringLiteral("half")},
        {QStringLiteral("cutFeed"), state.cutFeedDrive ? QStringLiteral("drive") : QStringLiteral("command")},
        {QStringLiteral("logos"), logos},
        {QStringLiteral("qrText"), readableText(state.qrText)},
        {QStringLiteral("paper"), QLatin1String(paperLevelName(state.paper))},
        {QStringLiteral("cover"), state.coverOpen ? QStringLiteral("open") : QStringLiteral("closed")},
        {QStringLiteral("online"), state.online},
        {QStringLiteral("cuts"), qint64(state.cuts)},
        {QStringLiteral("drawerPulses"), qint64(state.drawerPulses)},
        {QStringLiteral("unknownBytes"), qint64(state.unknownBytes)},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
