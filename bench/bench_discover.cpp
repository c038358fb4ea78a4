// Times `nemboport discover`, the real programs with the real library:
//  - the network: `discover --network 127.0.0.0/24` with three virtual
//    printers on 127.0.0.2 to .4 (port 9100, each naming itself), a listener
//    on .5 that says nothing and one on .6 that answers garbage; exactly the
//    three must be found, with their identities, in at most 3 s. Beside it,
//    `nmap -p 9100 --open 127.0.0.0/24` where nmap is installed (it finds the
//    open ports, and no printer);
//  - the serial ports: `discover --serial` over four virtual printers' pty
//    at four rates; all four rates must be found in at most 4 s (side by
//    side: one after another would take longer).
// Only loopback addresses are scanned. Prints the median and the extremes.
// Run: build-bench/bin/bench_discover [RUNS]
#include "loopback_listener.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr double kNetworkLimitSeconds = 3.0;
constexpr double kSerialLimitSeconds = 4.0;

// One virtual printer, started and stopped with the bench.
class Serve
{
public:
    bool start(const QStringList &args, QString &device)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(QStringLiteral(NPS_NEMBOPORT),
                       QStringList{QStringLiteral("serve")} + args + QStringList{QStringLiteral("--out"), out_.path()});
        QString said;
        QElapsedTimer t;
        t.start();
        while (!said.contains(QLatin1String("Ctrl+C ends"))) {
            if (process_.state() == QProcess::NotRunning || t.elapsed() > 15000) {
                std::fprintf(stderr, "nemboport serve %s did not start: %s\n", qPrintable(args.join(' ')),
                             qPrintable(said));
                return false;
            }
            process_.waitForReadyRead(100);
            said += QString::fromLocal8Bit(process_.readAll());
        }
        device = QRegularExpression(QStringLiteral("/dev/pts/[0-9]+")).match(said).captured();
        return true;
    }
    ~Serve()
    {
        process_.terminate();
        if (!process_.waitForFinished(5000))
            process_.kill();
        process_.waitForFinished(5000);
    }

private:
    QTemporaryDir out_;
    QTemporaryDir runtime_;
    QProcess process_;
};

struct Timed
{
    double seconds = 0;
    int status = -1;
    QByteArray out;
};

Timed timed(const QString &program, const QStringList &args)
{
    Timed r;
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.seconds = double(t.nsecsElapsed()) / 1e9;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    return r;
}

void printFigures(const char *what, std::vector<double> s, double limit)
{
    std::sort(s.begin(), s.end());
    if (s.empty())
        return;
    std::printf("%-44s median %.2f s, min %.2f s, max %.2f s over %zu runs", what, s[s.size() / 2], s.front(), s.back(),
                s.size());
    if (limit > 0)
        std::printf(" (limit %.0f s: %s)", limit, s.back() <= limit ? "met" : "NOT MET");
    std::printf("\n");
}

bool benchNetwork(int runs)
{
    const struct
    {
        const char *address, *maker, *model, *serial;
    } printers[] = {{"127.0.0.2", "Nembo", "TP-80", "B0002"},
                    {"127.0.0.3", "Nembo", "TP-58", "B0003"},
                    {"127.0.0.4", "Kestrel", "K-80II", "B0004"}};
    std::vector<std::unique_ptr<Serve>> serves;
    for (const auto &p : printers) {
        serves.push_back(std::make_unique<Serve>());
        QString unused;
        if (!serves.back()->start({QStringLiteral("--tcp"), QStringLiteral("%1:9100").arg(QLatin1String(p.address)),
                                   QStringLiteral("--maker"), QLatin1String(p.maker), QStringLiteral("--model-name"),
                                   QLatin1String(p.model), QStringLiteral("--serial-number"), QLatin1String(p.serial)},
                                  unused))
            return false;
    }
    LoopbackListener silent, garbage;
    if (!silent.start("127.0.0.5", 9100, LoopbackListener::Silent) ||
        !garbage.start("127.0.0.6", 9100, LoopbackListener::Garbage)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.5 and .6 port 9100 (taken?)\n");
        return false;
    }
    std::vector<double> seconds;
    bool right = true;
    for (int i = 0; i < runs; ++i) {
        const Timed r =
            timed(QStringLiteral(NPS_NEMBOPORT), {QStringLiteral("discover"), QStringLiteral("--network"),
                                                  QStringLiteral("127.0.0.0/24"), QStringLiteral("--json")});
        const QJsonObject top = QJsonDocument::fromJson(r.out).object();
        const QJsonArray found = top.value(QStringLiteral("found")).toArray();
        int printersFound = 0, others = 0;
        for (const QJsonValue &v : found) {
            const QJsonObject f = v.toObject();
            if (!f.value(QStringLiteral("printer")).toBool()) {
                ++others;
                continue;
            }
            ++printersFound;
            bool known = false;
            for (const auto &p : printers)
                known = known || (f.value(QStringLiteral("link")).toString() ==
                                      QStringLiteral("%1:9100").arg(QLatin1String(p.address)) &&
                                  f.value(QStringLiteral("model")).toString() == QLatin1String(p.model) &&
                                  f.value(QStringLiteral("serialNumber")).toString() == QLatin1String(p.serial));
            right = right && known;
        }
        if (r.status != 0 || printersFound != 3 || others != 2) {
            std::fprintf(stderr, "run %d: exit %d, %d printers and %d other listeners found\n%s\n", i + 1, r.status,
                         printersFound, others, r.out.constData());
            right = false;
        }
        seconds.push_back(r.seconds);
    }
    printFigures("discover --network 127.0.0.0/24", seconds, kNetworkLimitSeconds);
    std::printf("  found: the three printers with their identities%s; the two listeners not as printers\n",
                right ? "" : " NOT in every run");

    const QString nmap = QStandardPaths::findExecutable(QStringLiteral("nmap"));
    if (nmap.isEmpty()) {
        std::printf("  nmap -p 9100 --open 127.0.0.0/24: nmap is not installed here\n");
    } else {
        std::vector<double> nmapSeconds;
        int open = 0;
        for (int i = 0; i < runs; ++i) {
            const Timed r = timed(nmap, {QStringLiteral("-n"), QStringLiteral("-p"), QStringLiteral("9100"),
                                         QStringLiteral("--open"), QStringLiteral("127.0.0.0/24")});
            nmapSeconds.push_back(r.seconds);
            open = int(r.out.count("9100/tcp open"));
        }
        printFigures("nmap -n -p 9100 --open 127.0.0.0/24", nmapSeconds, 0);
        std::printf("  nmap: %d open ports, no printer told from a listener\n", open);
    }
    return right;
}

bool benchSerial(int runs)
{
    const long rates[] = {9600, 19200, 57600, 2400};
    std::vector<std::unique_ptr<Serve>> serves;
    QStringList devices;
    for (long rate : rates) {
        serves.push_back(std::make_unique<Serve>());
        QString device;
        if (!serves.back()->start({QStringLiteral("--pty"), QStringLiteral("--baud"), QString::number(rate)}, device))
            return false;
        devices << device;
    }
    std::vector<double> seconds;
    bool right = true;
    for (int i = 0; i < runs; ++i) {
        const Timed r = timed(
            QStringLiteral(NPS_NEMBOPORT),
            QStringList{QStringLiteral("discover"), QStringLiteral("--json"), QStringLiteral("--serial")} + devices);
        const QJsonArray found = QJsonDocument::fromJson(r.out).object().value(QStringLiteral("found")).toArray();
        bool all = r.status == 0 && found.size() == 4;
        for (int d = 0; d < devices.size() && all; ++d) {
            bool atRate = false;
            for (const QJsonValue &v : found)
                atRate = atRate || (v.toObject().value(QStringLiteral("link")).toString() == devices.at(d) &&
                                    v.toObject().value(QStringLiteral("rate")).toInt() == rates[d]);
            all = atRate;
        }
        if (!all) {
            std::fprintf(stderr, "run %d: exit %d, not every rate found\n%s\n", i + 1, r.status, r.out.constData());
            right = false;
        }
        seconds.push_back(r.seconds);
    }
    printFigures("discover --serial (4 ptys: 9600 19200 57600 2400)", seconds, kSerialLimitSeconds);
    std::printf("  found: %s\n", right ? "all four rates in every run" : "NOT all four rates in every run");
    return right;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool network = benchNetwork(runs);
    const bool serial = benchSerial(runs);
    return network && serial ? 0 : 1;
}
