// Times the round trip of one status request (DLE EOT 1) through the real
// libDravik.so's QueryPrinter, loaded by path as the program loads it:
// - over a serial port: a pseudo-terminal opened with OpenComm, its far end
//   answered at once by a reader thread of this program;
// - over TCP loopback: a print queue of a private CUPS server whose device is
//   socket://127.0.0.1:PORT, answered by a listener of this program (each
//   request is the queue's look-up at the server, then a connection of its
//   own to the printer);
// and, for comparison, the same TCP exchange done here without the library.
// Prints the median, the 95th percentile and the extremes of each.
// Run: build-bench/bin/bench_query [RUNS] (cupsd and lpadmin must be installed;
// scripts/setup.sh installs them).
#include "cups_test_server.h"

#include "dravik.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <pty.h>

namespace {

const unsigned char kRequest[] = {0x10, 0x04, 0x01};
const char kAnswer = 0x16; // on-line, drawer pin low: a plausible printer status

// Answers each complete request read from fd with one status byte, at once;
// returns at stop or when the far end goes.
void answerRequests(int fd, const std::atomic<bool> &stop)
{
    std::size_t matched = 0;
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        unsigned char buf[256];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            matched = buf[i] == kRequest[matched] ? matched + 1 : (buf[i] == kRequest[0] ? 1 : 0);
            if (matched == sizeof kRequest) {
                matched = 0;
                if (::write(fd, &kAnswer, 1) != 1)
                    return;
            }
        }
    }
}

// The printer on the network: answers each connection's requests until the
// client hangs up.
class TcpPrinter
{
public:
    bool start()
    {
        if (!privatecups::listenOnLoopback(fd_, port_))
            return false;
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd p{fd_, POLLIN, 0};
                if (::poll(&p, 1, 20) <= 0)
                    continue;
                const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (c < 0)
                    continue;
                answerRequests(c, stop_);
                ::close(c);
            }
        });
        return true;
    }
    ~TcpPrinter()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    quint16 port() const { return port_; }

private:
    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

struct Figures
{
    double median = 0, p95 = 0, min = 0, max = 0;
    int failures = 0;
};

// Runs one round trip `runs` times (after a few unrecorded ones); each call
// returns true when the answer came.
Figures measure(int runs, const std::function<bool()> &roundTrip)
{
    for (int i = 0; i < 5; ++i)
        roundTrip();
    std::vector<double> ms;
    Figures f;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        const bool ok = roundTrip();
        const auto t1 = std::chrono::steady_clock::now();
        if (!ok) {
            ++f.failures;
            continue;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    if (ms.empty())
        return f;
    std::sort(ms.begin(), ms.end());
    f.median = ms[ms.size() / 2];
    f.p95 = ms[std::min(ms.size() - 1, static_cast<std::size_t>(ms.size() * 0.95))];
    f.min = ms.front();
    f.max = ms.back();
    return f;
}

void print(const char *what, int runs, const Figures &f)
{
    std::printf("%-56s median %7.3f ms  p95 %7.3f ms  min %7.3f  max %7.3f  (%d runs, %d without answer)\n", what,
                f.median, f.p95, f.min, f.max, runs, f.failures);
}

// The TCP exchange without the library: connect, write, read one byte, close.
bool plainTcpRoundTrip(quint16 port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    bool ok = s >= 0 && ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
              ::write(s, kRequest, sizeof kRequest) == static_cast<ssize_t>(sizeof kRequest);
    if (ok) {
        pollfd p{s, POLLIN, 0};
        char c = 0;
        ok = ::poll(&p, 1, 1000) > 0 && ::read(s, &c, 1) == 1 && c == kAnswer;
    }
    if (s >= 0)
        ::close(s);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 300;
    if (runs < 20 || runs > 100000) {
        std::fprintf(stderr, "usage: bench_query [RUNS]  (RUNS from 20 to 100000, default 300)\n");
        return 2;
    }
    void *lib = ::dlopen(DRAVIK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::fprintf(stderr, "cannot load %s: %s\n", DRAVIK_LIBRARY_PATH, ::dlerror());
        return 1;
    }
    auto query = reinterpret_cast<decltype(&::QueryPrinter)>(::dlsym(lib, "QueryPrinter"));
    auto openComm = reinterpret_cast<decltype(&::OpenComm)>(::dlsym(lib, "OpenComm"));
    auto closeComm = reinterpret_cast<decltype(&::CloseComm)>(::dlsym(lib, "CloseComm"));
    auto lastError = reinterpret_cast<decltype(&::GetLastErrorText)>(::dlsym(lib, "GetLastErrorText"));
    if (!query || !openComm || !closeComm || !lastError) {
        std::fprintf(stderr, "%s lacks QueryPrinter, OpenComm, CloseComm or GetLastErrorText\n", DRAVIK_LIBRARY_PATH);
        return 1;
    }
    const int timeoutMs = 1000;
    unsigned char reply[1];
    std::printf("one status request (10 04 01) answered with one byte, through QueryPrinter of %s\n",
                DRAVIK_LIBRARY_PATH);

    // The serial port: a pseudo-terminal.
    {
        int master = -1, slave = -1;
        char name[256] = {0};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
            std::fprintf(stderr, "openpty: %s\n", std::strerror(errno));
            return 1;
        }
        ::close(slave);
        if (openComm(name, 115200) != 1) {
            std::fprintf(stderr, "OpenComm %s: %s\n", name, lastError());
            return 1;
        }
        std::atomic<bool> stop{false};
        std::thread printer([&] { answerRequests(master, stop); });
        const Figures f = measure(runs, [&] {
            return query("COM", name, kRequest, sizeof kRequest, reply, sizeof reply, timeoutMs) == 1 &&
                   reply[0] == static_cast<unsigned char>(kAnswer);
        });
        stop = true;
        printer.join();
        closeComm(name);
        ::close(master);
        print("serial port (pty, OpenComm at 115200)", runs, f);
    }

    // TCP loopback, through a print queue's socket:// device.
    QTemporaryDir dir(QStringLiteral("/tmp/bench_query-XXXXXX"));
    privatecups::Server server(dir.path());
    const QString failed = dir.isValid() ? server.start() : QStringLiteral("no temporary folder");
    if (!failed.isEmpty()) {
        std::fprintf(stderr, "the private print server did not start: %s\n", qPrintable(failed));
        return 1;
    }
    TcpPrinter printer;
    QString out;
    if (!printer.start() || !server.addRawQueue(QStringLiteral("BenchQuery"),
                                                QStringLiteral("socket://127.0.0.1:%1").arg(printer.port()), out)) {
        std::fprintf(stderr, "no queue: %s\n", qPrintable(out));
        return 1;
    }
    qputenv("CUPS_SERVER", server.socketServer());
    const Figures viaQueue = measure(runs, [&] {
        return query("DRIVE", "BenchQuery", kRequest, sizeof kRequest, reply, sizeof reply, timeoutMs) == 1 &&
               reply[0] == static_cast<unsigned char>(kAnswer);
    });
    print("TCP loopback (queue socket://, server look-up included)", runs, viaQueue);
    const Figures plain = measure(runs, [&] { return plainTcpRoundTrip(printer.port()); });
    print("TCP loopback without the library (connect..close)", runs, plain);
    server.stop();
    return 0;
}
