// Times the main window from start-up to quit, the whole process, with a
// print server of 51 queues and with no print server at all, side by side:
// the window is built, shown, and closed as soon as it is shown. The first
// queue's printer (socket:// to a listener of this program that takes the
// connection and never answers) is the slowest a first question can meet.
// Prints the medians and their ratio.
// Run: build-bench/bin/bench_startup [RUNS] (cupsd and lpadmin must be installed;
// scripts/setup.sh installs them). Runs itself with --child as the program.
#include "cups_test_server.h"
#include "loopback_listener.h"
#include "main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The program as main() runs it, closed as soon as it is shown.
int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    TfrmMain window;
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.close(); });
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 11;

    // Takes every connection and holds it, answering nothing.
    LoopbackListener printer;
    const quint16 printerPort = privatecups::freePort();
    QTemporaryDir dir(QStringLiteral("/tmp/bench_startup-XXXXXX"));
    privatecups::Server server(dir.path());
    const QString failed = server.start();
    if (!printer.start("127.0.0.1", printerPort, LoopbackListener::Silent) || !failed.isEmpty()) {
        std::fprintf(stderr, "the private print server did not start: %s\n", qPrintable(failed));
        return 1;
    }
    QString out;
    for (int i = 1; i <= 51; ++i)
        if (!server.addRawQueue(QStringLiteral("Shop%1").arg(i, 2, 10, QLatin1Char('0')),
                                QStringLiteral("socket://127.0.0.1:%1").arg(printerPort), out)) {
            std::fprintf(stderr, "no queue: %s\n", qPrintable(out));
            return 1;
        }
    QTemporaryDir runtime;
    const auto run = [&](const QString &cupsServer) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), cupsServer);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        QElapsedTimer t;
        t.start();
        p.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
            p.kill();
            p.waitForFinished();
            return -1.0;
        }
        return t.nsecsElapsed() / 1e9;
    };
    std::vector<double> withServer, without;
    for (int i = 0; i < runs; ++i) {
        const double a = run(QString::fromLocal8Bit(server.socketServer()));
        const double b = run(dir.filePath(QStringLiteral("no-server.sock")));
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "the window did not start and quit\n");
            return 1;
        }
        withServer.push_back(a);
        without.push_back(b);
    }
    std::printf("main window, start-up to quit (closed as soon as shown), whole process; median of %d\n", runs);
    std::printf("  print server with 51 queues %7.1f ms   no print server %7.1f ms   ratio %.2f (goal <= 1.2)\n",
                median(withServer) * 1000, median(without) * 1000, median(withServer) / median(without));
    return 0;
}
