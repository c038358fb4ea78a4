// Decoding captured bytes for a person, as `nemboport decode` does: the
// time and peak memory of the stream lister for inputs of several shapes,
// beside listing the whole buffer at once (decode it all, then print) and
// beside the decoder alone, printing nothing.
// Each run is a child process, so its peak resident size is its own.
//
//   bench_decode [MEGABYTES]      stream lister, default 64 MB per shape
//                                 (the whole-buffer way at an eighth of that)
#include "command_decoder.h"
#include "command_listing.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Shape
{
    const char *name;
    std::function<char(qsizetype)> byteAt;
};

const Shape kShapes[] = {
    // Every byte its own piece: the worst case for the number of entries.
    {"alternating text/unknown", [](qsizetype i) { return i % 2 ? char(0x01) : 'A'; }},
    {"one run of text", [](qsizetype) { return 'A'; }},
    {"one run of unknown bytes", [](qsizetype) { return char(0xFF); }},
    {"darkness commands", [](qsizetype i) { return "\x1d\x69\x08"[i % 3]; }},
    {"pseudo-random", [](qsizetype i) { return char((i * 2654435761u) >> 13); }},
    // A run longer than the first window, then single-byte pieces: the
    // largest window the lister decodes, as full of pieces as it gets.
    {"long runs, then single bytes",
     [](qsizetype i) {
         const qsizetype j = i % (300 * 1024);
         return j < 100 * 1024 ? char(0x01) : j % 2 ? char(0x01) : 'A';
     }},
};

QByteArray make(const Shape &shape, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = shape.byteAt(i);
    return bytes;
}

void listWhole(const QString &path, QTextStream &out)
{
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    const QByteArray data = in.readAll();
    for (const decoder::Decoded &piece : decoder::decode(data, true).commands)
        out << piece.offset << ' ' << piece.describe() << '\n';
}

// The decoder alone, nothing printed: the floor under the lister. The same
// windows as the lister: 1 KB, or 128 KB past a longer first piece, cut there.
void decodeOnly(const QString &path, QTextStream &out)
{
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    std::size_t pieces = 0;
    QByteArray pending;
    qsizetype window = 1024;
    for (bool end = false;;) {
        if (!end && pending.size() < window) {
            const QByteArray more = in.read(64 * 1024);
            end = more.isEmpty();
            pending += more;
            continue;
        }
        if (pending.isEmpty())
            break;
        const QByteArray view = QByteArray::fromRawData(pending.constData(), qMin(window, pending.size()));
        const bool last = end && view.size() == pending.size();
        const decoder::Result r = decoder::decode(view, last || window == 128 * 1024);
        if (r.consumed == 0) {
            window = 128 * 1024;
            continue;
        }
        pieces += r.commands.size();
        pending.remove(0, qsizetype(r.consumed));
        window = 1024;
    }
    out << pieces << '\n';
}

void listStreamed(const QString &path, QTextStream &out)
{
    QFile in(path);
    in.open(QIODevice::ReadOnly);
    listStream(in, out);
}

// Runs one way in a child; prints seconds, MB/s and the peak resident size.
void measure(const char *shape, const char *way, const QString &path, qsizetype size,
             void (*list)(const QString &, QTextStream &))
{
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0) {
        QFile sink(QStringLiteral("/dev/null"));
        sink.open(QIODevice::WriteOnly);
        QTextStream out(&sink);
        list(path, out);
        out.flush();
        std::_Exit(0);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    // CPU time: on a shared machine the wall clock also counts others' work.
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const double megabytes = double(size) / (1024.0 * 1024.0);
    std::printf("%-26s %-7s %5.0f MB %7.2f s cpu %7.2f s wall %7.1f MB/s cpu %6.0f MB peak%s\n", shape, way, megabytes,
                cpu, wall, megabytes / qMax(cpu, 1e-3), double(usage.ru_maxrss) / 1024.0,
                status == 0 ? "" : "  (failed)");
}

} // namespace

int main(int argc, char **argv)
{
    const qsizetype megabytes = argc > 1 ? std::atoi(argv[1]) : 64;
    if (megabytes <= 0) {
        std::fprintf(stderr, "usage: bench_decode [MEGABYTES]\n");
        return 2;
    }
    QTemporaryDir dir;
    for (const Shape &shape : kShapes) {
        const qsizetype size = megabytes * 1024 * 1024;
        const QString path = dir.filePath(QStringLiteral("capture.bin"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(make(shape, size)) != size ||
            !file.flush())
            return std::fprintf(stderr, "cannot write %s\n", qPrintable(path)), 1;
        file.close();
        measure(shape.name, "stream", path, size, listStreamed);
        measure(shape.name, "decoder", path, size, decodeOnly);
        // The whole-buffer way on an eighth: it grows with the number of pieces.
        file.resize(size / 8);
        measure(shape.name, "whole", path, size / 8, listWhole);
    }
    return 0;
}
