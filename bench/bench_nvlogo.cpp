// Times the logo preparation a download needs: the ordered halftone of a
// picture plus the build of its FS q raster. Prints the median, best and
// worst time per picture for two of the largest pictures the printer takes.
#include "halftone.h"
#include "raster.h"

#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QImage gradient(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = qRgb((x * 255) / w, (y * 255) / h, ((x + y) * 7) & 0xFF);
    }
    return image;
}

using Halftone = void (*)(QImage &);

void run(int w, int h, Halftone halftoneStep, const char *path)
{
    const QImage source = gradient(w, h);
    constexpr int kRounds = 400;
    std::vector<double> ms;
    ms.reserve(kRounds);
    std::size_t sink = 0;
    for (int i = 0; i < kRounds + 20; ++i) {
        QImage picture = source;
        picture.detach(); // the copy is not part of the work
        (void)picture.bits();
        QElapsedTimer timer;
        timer.start();
        halftoneStep(picture);
        const raster::Result r = raster::downloadCommand({picture});
        const qint64 ns = timer.nsecsElapsed();
        sink += r.bytes.size();
        if (i >= 20) // warm-up rounds are not counted
            ms.push_back(double(ns) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%4d x %-4d halftone (%s) + raster: median %.3f ms, best %.3f ms, worst %.3f ms (%zu bytes)\n", w, h,
                path, ms[ms.size() / 2], ms.front(), ms.back(), sink / std::size_t(kRounds + 20));
}

} // namespace

int main()
{
    run(576, 232, halftone::apply, "fast");
    run(200, 680, halftone::apply, "fast");
    // The plain C++ path, for other processors.
    run(576, 232, halftone::applyPortable, "portable");
    run(200, 680, halftone::applyPortable, "portable");
    return 0;
}
