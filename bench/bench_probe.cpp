// Times `nemboport probe --serial` against `nemboport serve --pty` paced at a
// given rate: how long the search through the known rates takes when the
// printer is at the last of them a port can be set to (230400; the tenth,
// 128000, is no rate a Linux port takes), and when it is at none of them
// (every rate tried, none answers). Both programs are the real ones, the
// library loaded as the tool loads it. Prints the median and the extremes.
// Run: build-bench/bin/bench_probe [RUNS]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct Figures
{
    std::vector<double> seconds;
    int found = 0;
};

// One printer at `rate`, probed `runs` times.
bool measure(long rate, int runs, Figures &f)
{
    QTemporaryDir out;
    QTemporaryDir runtime;
    QProcess serve;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    serve.setProcessEnvironment(env);
    serve.setProcessChannelMode(QProcess::MergedChannels);
    serve.start(QStringLiteral(NPS_NEMBOPORT),
                {QStringLiteral("serve"), QStringLiteral("--pty"), QStringLiteral("--baud"), QString::number(rate),
                 QStringLiteral("--out"), out.path()});
    QString said;
    QElapsedTimer started;
    started.start();
    while (!said.contains(QLatin1String("Ctrl+C ends"))) {
        if (serve.state() == QProcess::NotRunning || started.elapsed() > 15000) {
            std::fprintf(stderr, "nemboport serve did not start: %s\n", qPrintable(said));
            return false;
        }
        serve.waitForReadyRead(100);
        said += QString::fromLocal8Bit(serve.readAll());
    }
    const QString device = QRegularExpression(QStringLiteral("/dev/pts/[0-9]+")).match(said).captured();
    for (int i = 0; i < runs; ++i) {
        QProcess probe;
        QElapsedTimer t;
        t.start();
        probe.start(QStringLiteral(NPS_NEMBOPORT), {QStringLiteral("probe"), QStringLiteral("--serial"), device});
        if (!probe.waitForFinished(60000)) {
            probe.kill();
            probe.waitForFinished();
            std::fprintf(stderr, "probe did not end within 60 s\n");
            return false;
        }
        f.seconds.push_back(t.nsecsElapsed() / 1e9);
        f.found += probe.exitCode() == 0 && probe.readAllStandardOutput().contains(QByteArray::number(qlonglong(rate)));
    }
    serve.terminate();
    serve.waitForFinished(10000);
    return true;
}

void print(const char *what, Figures f)
{
    std::sort(f.seconds.begin(), f.seconds.end());
    std::printf("%-46s median %.2f s  min %.2f s  max %.2f s  (%zu runs, rate found %d)\n", what,
                f.seconds[f.seconds.size() / 2], f.seconds.front(), f.seconds.back(), f.seconds.size(), f.found);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    Figures last;
    Figures none;
    if (!measure(230400, runs, last) || !measure(460800, runs, none))
        return 1;
    print("printer at 230400 baud (9th of 10 tried):", last);
    print("printer at 460800 baud (none of the 10):", none);
    return 0;
}
