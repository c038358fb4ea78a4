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

PrinterState factoryReset(const PrinterState &from)
{
    PrinterState fresh;
    fresh.logos = from.logos;
    fresh.qrText = from.qrText;
    fresh.cuts = from.cuts;
    fresh.drawerPulses = from.drawerPulses;
    fresh.unknownBytes = from.unknownBytes;
    return fresh;
}

QByteArray stateJson(const PrinterState &state)
{
    QJsonArray logos;
    for (const decoder::Logo &logo : state.logos)
        logos.append(QJsonObject{{QStringLiteral("width"), logo.widthDots}, {QStringLiteral("height"), logo.heightDots}});
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
        {QStringLiteral("cuts"), qint64(state.cuts)},
        {QStringLiteral("drawerPulses"), qint64(state.drawerPulses)},
        {QStringLiteral("unknownBytes"), qint64(state.unknownBytes)},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}
