// `nemboport decode` on captures of several shapes: the processor time, the
// rate and the peak memory of each nemboport given, side by side in one run,
// beside `xxd` on the same file (a plain hex dump, the anchor) and beside the
// decoder alone, printing nothing (the floor under the lister).
// Each run is a child process, so its peak resident size is its own; the
// listing goes to /dev/null.
//
//   bench_decode [MEGABYTES] [NEMBOPORT...]   default 16 MB per shape and the
//                                             nemboport built beside it
// e.g. bench_decode 16 /tmp/old/nemboport build/bin/nemboport
#include "command_decoder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Shape
{
    const char *name;
    std::function<char(qsizetype)> byteAt;
};

// Ten short commands of both instruction sets, one after another.
const QByteArray kDense = QByteArray("\x1d\x69\x08"
                                     "\x1b\x69"
                                     "\x1b\x40"
                                     "\x10\x04\x01"
                                     "\x1b\x61\x01"
                                     "\x1dI\x42"
                                     "\x1b\x74\x0f"
                                     "\x1b\x6d"
                                     "\x1b##STDP\x08"
                                     "\x1cp\x01\x00",
                                     35);

const Shape kShapes[] = {
    {"dense short commands", [](qsizetype i) { return kDense[i % kDense.size()]; }},
    {"darkness commands", [](qsizetype i) { return "\x1d\x69\x08"[i % 3]; }},
    // Every byte its own piece: the worst case for the number of entries.
    {"alternating text/unknown", [](qsizetype i) { return i % 2 ? char(0x01) : 'A'; }},
    {"one run of text", [](qsizetype) { return 'A'; }},
    {"pseudo-random", [](qsizetype i) { return char((i * 2654435761u) >> 13); }},
    // A run longer than the first window, then single-byte pieces.
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

// The decoder alone over the file, nothing printed.
int decodeOnly(const QString &path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray data = in.readAll();
    std::size_t pieces = 0;
    for (qsizetype at = 0; at < data.size();) {
        const qsizetype window = qMin<qsizetype>(64 * 1024, data.size() - at);
        const bool last = at + window == data.size();
        std::size_t used = decoder::decodeEach(data.constData() + at, std::size_t(window), last,
                                               [&](const decoder::Decoded &) { ++pieces; });
        if (used == 0) // a piece longer than the window: take it as it stands
            used = decoder::decodeEach(data.constData() + at, std::size_t(window), true,
                                       [&](const decoder::Decoded &) { ++pieces; });
        at += qsizetype(used);
    }
    return pieces > 0 ? 0 : 1;
}

// Runs a program (or, with no program, the decoder alone) in a child with
// its output on /dev/null; prints processor seconds, MB/s and the peak.
void measure(const char *shape, const QString &way, const QStringList &command, const QString &path, qsizetype size)
{
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0) {
        const int sink = ::open("/dev/null", O_WRONLY);
        ::dup2(sink, STDOUT_FILENO);
        if (command.isEmpty())
            std::_Exit(decodeOnly(path));
        std::vector<QByteArray> args;
        for (const QString &a : command)
            args.push_back(QFile::encodeName(a));
        std::vector<char *> argv;
        for (QByteArray &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        std::_Exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    // Processor time: on a shared machine the wall clock also counts others' work.
    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    const double megabytes = double(size) / (1024.0 * 1024.0);
    std::printf("%-28s %-34s %5.0f MB %6.2f s cpu %6.2f s wall %7.1f MB/s %5.0f MB peak%s\n", shape,
                qPrintable(way.right(34)), megabytes, cpu, wall, megabytes / qMax(cpu, 1e-3),
                double(usage.ru_maxrss) / 1024.0, WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "  (failed)");
}

} // namespace

int main(int argc, char **argv)
{
    const qsizetype megabytes = argc > 1 ? std::atoi(argv[1]) : 16;
    if (megabytes <= 0) {
        std::fprintf(stderr, "usage: bench_decode [MEGABYTES] [NEMBOPORT...]\n");
        return 2;
    }
    QStringList tools;
    for (int i = 2; i < argc; ++i)
        tools << QFile::decodeName(argv[i]);
    if (tools.isEmpty()) {
        char self[4096] = {};
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        tools << QFile::decodeName(QByteArray(self, n > 0 ? int(n) : 0)).section(QLatin1Char('/'), 0, -2) +
                     QStringLiteral("/nemboport");
    }
    const QString xxd = QStandardPaths::findExecutable(QStringLiteral("xxd"));
    QTemporaryDir dir;
    for (const Shape &shape : kShapes) {
        const qsizetype size = megabytes * 1024 * 1024;
        const QString path = dir.filePath(QStringLiteral("capture.bin"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(make(shape, size)) != size ||
            !file.flush())
            return std::fprintf(stderr, "cannot write %s\n", qPrintable(path)), 1;
        file.close();
        for (const QString &tool : tools)
            measure(shape.name, tool, {tool, QStringLiteral("decode"), path}, path, size);
        measure(shape.name, QStringLiteral("decoder alone"), {}, path, size);
        if (!xxd.isEmpty())
            measure(shape.name, QStringLiteral("xxd"), {xxd, path}, path, size);
    }
    return 0;
}
