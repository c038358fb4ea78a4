// Fitting a logo picture to what the printer's flash takes: a picture wider
// than the paper scaled down to its width, and a height that is not whole
// 8-dot bands made whole with white rows (the raster drops a partial band).
#pragma once

#include <QImage>

namespace logo {

// The picture scaled down to maxWidth dots, keeping its aspect ratio (at
// least one row), by area averaging so that thin lines and grey areas keep
// their weight before the halftone; a picture not wider is returned as it is.
QImage fitToWidth(const QImage &image, int maxWidth);

// The picture with white rows added at the bottom up to a multiple of 8;
// returned as it is when it already is one. Format_RGB32.
QImage padToWholeBands(const QImage &image);

} // namespace logo
