// The virtual printer's speed: jobs sent over TCP to `nemboport serve` (the
// one built beside this and any others given, side by side in one run),
// beside the same client sending into a plain socket sink; while each job
// runs, a second connection asks the printer's status again and again and
// the slowest answer is kept. Each job is timed by the server's own log, and
// by the processor time the server used for it (on a shared machine the
// clock also counts others' work; the receipts' encoding runs beside the
// job on a thread of its own and counts too). Then the printer alone, fed
// directly, under inputs that once froze it.
//
//   bench_serve [NEMBOPORT...]     e.g. bench_serve /tmp/old/nemboport build/bin/nemboport
//
// Figures are for the machine it runs on; compare runs of one machine.
#include "command_stream.h"
#include "output_writer.h"
#include "print_session.h"
#include "virtual_printer.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int connectTo(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

quint16 freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<const sockaddr *>(&address), length);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The client: sends the job, half-closes, reads until the other end closes.
void sendJob(int fd, const QByteArray &job)
{
    std::thread reader([fd] {
        char buffer[65536];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    });
    for (qsizetype done = 0; done < job.size();) {
        const ssize_t n = ::send(fd, job.constData() + done, std::size_t(job.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        done += n;
    }
    ::shutdown(fd, SHUT_WR);
    reader.join();
    ::close(fd);
}

// The last bytes of a file.
QByteArray tailOf(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    f.seek(std::max<qint64>(0, f.size() - 4096));
    return f.readAll();
}

// Processor time a process used so far, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    // After the command name in parentheses: utime is the 12th field, stime the 13th.
    const QList<QByteArray> fields = f.readAll().split(')').last().trimmed().split(' ');
    if (fields.size() < 13)
        return -1;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

struct Figures
{
    double seconds = -1;
    double cpu = -1; // the server's processor time for the job
    qint64 slowestAnswerMs = -1;
    int answers = 0;
    qint64 logBytes = 0;
};

// The time a log line of the server begins with, in ms since the epoch.
qint64 stampOf(const QByteArray &log, const QByteArray &what)
{
    const qsizetype at = log.indexOf(what);
    const qsizetype start = log.lastIndexOf('\n', at) + 1;
    return at < 0 ? -1
                  : QDateTime::fromString(QString::fromLatin1(log.mid(start, 23)),
                                          QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                        .toMSecsSinceEpoch();
}

// One job to a fresh server; done once its log says the job closed, timed
// by the server's own log from the connection to its end.
Figures serveJob(const QString &nemboport, const QByteArray &job, const QStringList &extra = {})
{
    Figures f;
    QTemporaryDir out;
    QTemporaryDir runtime;
    const quint16 port = freePort();
    QProcess serve;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    serve.setProcessEnvironment(env);
    serve.setStandardOutputFile(QProcess::nullDevice());
    serve.start(nemboport, QStringList{QStringLiteral("serve"), QStringLiteral("--tcp"),
                                       QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--out"), out.path()} +
                               extra);
    int fd = -1;
    QElapsedTimer starting;
    starting.start();
    while (fd < 0 && starting.elapsed() < 10000) {
        fd = connectTo(port);
        if (fd < 0)
            QThread::msleep(10);
    }
    if (fd < 0)
        return f;
    const QString log = QDir(out.path()).filePath(QStringLiteral("log.txt"));
    const QByteArray closed = QStringLiteral("tcp#1 closed after %1 bytes").arg(job.size()).toUtf8();
    const double cpuBefore = cpuSeconds(serve.processId());
    QElapsedTimer clock;
    clock.start();
    std::thread sender([fd, &job] { sendJob(fd, job); });
    // The status asker: tcp#2, waiting behind the job.
    const int asker = connectTo(port);
    std::atomic<bool> done{false};
    while (!done && clock.elapsed() < 120000) {
        QElapsedTimer t;
        t.start();
        char answer = 0;
        pollfd p{asker, POLLIN, 0};
        if (::send(asker, "\x10\x04\x01", 3, MSG_NOSIGNAL) == 3 && ::poll(&p, 1, 30000) == 1 &&
            ::recv(asker, &answer, 1, 0) == 1) {
            f.slowestAnswerMs = std::max(f.slowestAnswerMs, t.elapsed());
            ++f.answers;
        }
        // Looked at every few milliseconds.
        for (int i = 0; i < 5 && !done; ++i) {
            QThread::msleep(2);
            done = tailOf(log).contains(closed);
        }
    }
    sender.join();
    f.cpu = cpuSeconds(serve.processId()) - cpuBefore;
    ::close(asker);
    serve.terminate();
    serve.waitForFinished(30000);
    QFile whole(log);
    const QByteArray lines = whole.open(QIODevice::ReadOnly) ? whole.readAll() : QByteArray();
    f.seconds = (stampOf(lines, closed) - stampOf(lines, "tcp#1 connected")) / 1000.0;
    f.logBytes = lines.size();
    return f;
}

// The anchor: the same client into a socket that reads and drops the bytes.
double sinkJob(const QByteArray &job)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener, reinterpret_cast<const sockaddr *>(&address), length);
    ::listen(listener, 4);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    std::thread sink([listener] {
        const int fd = ::accept(listener, nullptr, nullptr);
        char buffer[65536];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
        ::close(fd);
    });
    QElapsedTimer clock;
    clock.start();
    sendJob(connectTo(ntohs(address.sin_port)), job);
    const double seconds = clock.nsecsElapsed() / 1e9;
    sink.join();
    ::close(listener);
    return seconds;
}

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
        session.saveWaitingReceipts();
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
    QStringList servers;
    for (int i = 1; i < argc; ++i)
        servers << QString::fromLocal8Bit(argv[i]);
    if (servers.isEmpty())
        servers << QCoreApplication::applicationDirPath() + QStringLiteral("/nemboport");

    QByteArray cuts;
    while (cuts.size() < 300 * 1024)
        cuts += "x\x1bi";
    QByteArray text;
    while (text.size() < 300 * 1024)
        text += "The quick brown fox jumps over the lazy dog, 0123456789.\n";
    text.truncate(300 * 1024);
    const struct
    {
        const char *name;
        QByteArray job;
        QStringList extra;
    } jobs[] = {
        {"300 KB of cuts (x ESC i), 1000 receipts drawn", cuts, {}},
        {"300 KB of cuts (x ESC i), no receipt drawn", cuts, {QStringLiteral("--max-receipts"), QStringLiteral("1")}},
        {"300 KB of text lines", text, {}},
    };
    std::printf("over TCP, the job sent and half-closed; timed by the server's log from its connection to its end\n");
    for (const auto &job : jobs) {
        const double sink = sinkJob(job.job);
        std::printf("%s\n  %-44s %7.3f s %7.1f MB/s\n", job.name, "plain socket sink", sink,
                    job.job.size() / 1e6 / sink);
        for (const QString &server : servers) {
            const Figures f = serveJob(server, job.job, job.extra);
            std::printf("  %-44s %7.3f s %7.1f MB/s, cpu %6.3f s %7.1f MB/s, %d status answers, slowest %lld ms, "
                        "log %lld bytes\n",
                        qPrintable(server.right(44)), f.seconds, job.job.size() / 1e6 / f.seconds, f.cpu,
                        job.job.size() / 1e6 / std::max(f.cpu, 0.001), f.answers, f.slowestAnswerMs, f.logBytes);
        }
    }

    std::printf("the printer alone, fed directly (this build)\n");
    QByteArray logoPrints = bigLogo(136, 1000); // 17,000 data bytes, the largest a logo may be
    for (int i = 0; i < 2000; ++i)
        logoPrints += QByteArray("\x1c\x70\x01\x03", 4); // FS p 1, quadruple size
    Outcome o = run(logoPrints, 4096, false);
    std::printf("  136x1000 logo, then 2000 quadruple FS p (8 KB): %.2f s, %lld receipt(s)\n", o.seconds, o.receipts);
    const QByteArray text300k(300 * 1024, 'x');
    o = run(text300k, 64, false);
    std::printf("  300 KB of text without a line feed, 64-byte reads: %.2f s\n", o.seconds);
    const QByteArray control300k(300 * 1024, '\x01');
    o = run(control300k, 64, false);
    std::printf("  300 KB of unknown bytes, 64-byte reads: %.2f s\n", o.seconds);
    QByteArray text1m;
    while (text1m.size() < 1024 * 1024)
        text1m += "x\n";
    o = run(text1m, 4096, true);
    std::printf("  1 MB of text, one character a line: %.2f s, log.txt %lld bytes\n", o.seconds, qlonglong(o.logBytes));
    o = run(text, 4096, false);
    std::printf("  300 KB of text lines, drawn: %.3f s\n", o.seconds);
    o = run(text, 4096, true);
    std::printf("  300 KB of text lines, drawn and saved: %.3f s, %d receipt file(s)\n", o.seconds, o.files);
    o = run(cuts, 4096, true);
    std::printf("  300 KB of cut-heavy input (x ESC i): %.2f s, %lld cut(s), %d receipt file(s), log.txt %lld bytes\n",
                o.seconds, o.receipts, o.files, qlonglong(o.logBytes));
    return 0;
}
