// Feeding the virtual printer in the tests: builder bytes through the stream
// decoder, and the state as parsed JSON.
#pragma once

#include "command.h"
#include "command_stream.h"
#include "virtual_printer.h"

#include <QByteArray>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

inline QByteArray toBytes(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), qsizetype(b.size()));
}

inline QByteArray toBytes(const std::vector<Command> &commands)
{
    QByteArray all;
    for (const Command &c : commands)
        all += toBytes(c.bytes);
    return all;
}

// One job: the bytes in pieces of `piece` bytes (0: whole), then its end.
inline void feedJob(VirtualPrinter &printer, const QByteArray &bytes, int piece = 0)
{
    CommandStream stream;
    const int step = piece > 0 ? piece : int(qMax<qsizetype>(1, bytes.size()));
    for (qsizetype at = 0; at < bytes.size(); at += step)
        for (const decoder::Decoded &c : stream.feed(bytes.mid(at, step)))
            printer.apply(c);
    for (const decoder::Decoded &c : stream.finish())
        printer.apply(c);
    printer.endJob();
}

inline QJsonObject stateOf(const VirtualPrinter &printer)
{
    return QJsonDocument::fromJson(stateJson(printer.state())).object();
}

// Black dots (grey value below the middle) of a picture.
inline int blackDots(const QImage &picture)
{
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);
    int n = 0;
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            n += grey.constScanLine(y)[x] < 128;
    return n;
}
