// Times `nemboport probe --serial` against `nemboport serve --pty` paced at
// each of the ten known rates in turn (how long the search takes to find it,
// the goal being 1 s for any of them), and at none of them (every rate tried,
// none answers); beside each, `nemboport status` at the printer's known rate.
// Both programs are the real ones, the library loaded as the tool loads it.
// Prints the median and the extremes.
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
    std::vector<double> status; // status at the known rate
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
        QProcess status;
        t.restart();
        status.start(QStringLiteral(NPS_NEMBOPORT), {QStringLiteral("status"), QStringLiteral("--serial"), device,
                                                     QStringLiteral("--baud"), QString::number(rate)});
        if (status.waitForFinished(60000))
            f.status.push_back(t.nsecsElapsed() / 1e9);
    }
    serve.terminate();
    serve.waitForFinished(10000);
    return true;
}

void print(const QString &what, Figures f)
{
    std::sort(f.seconds.begin(), f.seconds.end());
    std::sort(f.status.begin(), f.status.end());
    std::printf("%-40s probe median %.2f s  min %.2f  max %.2f  (%zu runs, rate found %d)", qPrintable(what),
                f.seconds[f.seconds.size() / 2], f.seconds.front(), f.seconds.back(), f.seconds.size(), f.found);
    if (!f.status.empty())
        std::printf("   status at the known rate %.2f s", f.status[f.status.size() / 2]);
    std::printf("\n");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    // In the order probe tries them.
    const long rates[] = {9600, 115200, 19200, 38400, 57600, 4800, 2400, 1200, 230400, 128000};
    int place = 0;
    for (long rate : rates) {
        Figures f;
        if (!measure(rate, runs, f))
            return 1;
        print(QStringLiteral("printer at %1 baud (%2 of 10 tried):").arg(rate).arg(++place), f);
    }
    Figures none;
    if (!measure(460800, runs, none))
        return 1;
    none.status.clear();
    print(QStringLiteral("printer at 460800 baud (none of the 10):"), none);
    return 0;
}
