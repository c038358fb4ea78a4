// The virtual printer under inputs that once froze it or flooded its folder:
// prints the time and what was written for each.
//
//   bench_serve            all cases
//
// Figures are for the machine it runs on; compare runs of one machine.
#include "command_stream.h"
#include "output_writer.h"
#include "print_session.h"
#include "virtual_printer.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// FS q 1 with one logo of width x height dots (multiples of 8), every
// eighth column black.
QByteArray bigLogo(int width, int height)
{
    const int x = width / 8, y = height / 8;
    QByteArray bytes("\x1c\x71\x01", 3);
    bytes += char(x & 0xFF);
    bytes += char(x >> 8);
    bytes += char(y & 0xFF);
    bytes += char(y >> 8);
    QByteArray data(qsizetype(x) * y * 8, '\0');
    for (qsizetype i = 0; i < data.size(); i += qsizetype(y) * 8 * 8)
        data[i] = char(0xFF);
    return bytes + data;
}

struct Outcome
{
    double seconds = 0;
    qint64 logBytes = 0;
    int files = 0;
    long long receipts = 0;
};

// Feeds bytes in pieces as a listener would hand them on, then ends the
// job. With a folder, through the whole session (log, receipts, state).
Outcome run(const QByteArray &bytes, int piece, bool withFolder)
{
    Outcome o;
    QTemporaryDir dir;
    OutputWriter out;
    QString error;
    if (withFolder && !out.open(dir.path(), error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return o;
    }
    QElapsedTimer clock;
    clock.start();
    CommandStream stream;
    if (withFolder) {
        PrintSession session(576, out, nullptr);
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            session.receive(QStringLiteral("bench"), stream.feed(bytes.mid(at, piece)));
        session.receive(QStringLiteral("bench"), stream.finish());
        session.endJob(QStringLiteral("bench"));
        o.receipts = session.printer().state().cuts;
    } else {
        VirtualPrinter printer(576);
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            for (const decoder::Decoded &c : stream.feed(bytes.mid(at, piece)))
                printer.apply(c);
        for (const decoder::Decoded &c : stream.finish())
            printer.apply(c);
        printer.endJob();
        o.receipts = qint64(printer.takeReceipts().size());
    }
    o.seconds = clock.nsecsElapsed() / 1e9;
    if (withFolder) {
        o.logBytes = QFileInfo(dir.filePath(QStringLiteral("log.txt"))).size();
        o.files = int(QDir(dir.path()).entryList({QStringLiteral("receipt-*.png")}, QDir::Files).size());
    }
    return o;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    QByteArray logoPrints = bigLogo(2048, 2048);
    for (int i = 0; i < 2000; ++i)
        logoPrints += QByteArray("\x1c\x70\x01\x03", 4); // FS p 1, quadruple size
    Outcome o = run(logoPrints, 4096, false);
    std::printf("2048x2048 logo, then 2000 quadruple FS p (8 KB): %.2f s, %lld receipt(s)\n", o.seconds, o.receipts);

    o = run(bigLogo(2048, 2048), 64, false);
    std::printf("2048x2048 logo download (512 KB), 64-byte reads: %.2f s\n", o.seconds);

    const QByteArray text300k(300 * 1024, 'x');
    o = run(text300k, 64, false);
    std::printf("300 KB of text without a line feed, 64-byte reads: %.2f s\n", o.seconds);
    const QByteArray control300k(300 * 1024, '\x01');
    o = run(control300k, 64, false);
    std::printf("300 KB of unknown bytes, 64-byte reads: %.2f s\n", o.seconds);

    QByteArray text1m;
    while (text1m.size() < 1024 * 1024)
        text1m += "x\n";
    o = run(text1m, 4096, true);
    std::printf("1 MB of text, one character a line: %.2f s, log.txt %lld bytes\n", o.seconds, qlonglong(o.logBytes));

    QByteArray cuts;
    while (cuts.size() < 300 * 1024)
        cuts += "x\x1bi";
    o = run(cuts, 4096, true);
    std::printf("300 KB of cut-heavy input (x ESC i): %.2f s, %lld cut(s), %d receipt file(s), log.txt %lld bytes\n",
                o.seconds, o.receipts, o.files, qlonglong(o.logBytes));
    return 0;
}
