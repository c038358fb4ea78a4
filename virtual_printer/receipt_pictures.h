// Pictures the virtual printer prints: a stored NV logo from its raster and a
// QR symbol from the stored text. Black and white (QImage::Format_Mono,
// colour 0 white, 1 black), as its paper takes them.
#pragma once

#include "command_decoder.h"

#include <QByteArray>
#include <QImage>

// The logo's dots from its column-ordered raster (column by column, top group
// of eight first, bit 7 the topmost dot). Mode bit 0 doubles the width, bit 1
// the height. Missing raster bytes print white.
QImage logoPicture(const decoder::Logo &logo, long mode);

// The QR symbol of text (error correction M, four modules of quiet zone),
// modules of up to 6 dots, made smaller to fit maxWidth. Null when the text
// is empty or too long for a symbol.
QImage qrPicture(const QByteArray &text, int maxWidth);
