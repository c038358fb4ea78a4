// Times `nemboport status` as a person runs it (the whole process: the
// printer's status and identity) against the virtual printer, side by side
// with a script's own round trip of one status request to the same printer:
// - over a pseudo-terminal at 115200 baud (`nemboport serve --pty`): the
//   script sets the line raw, writes the request and reads one byte;
// - through a socket:// print queue of a private CUPS server whose device is
//   the virtual printer's TCP port (`nemboport serve --tcp`): the script
//   (bash's /dev/tcp) connects, writes the request and reads one byte.
// Each pair is run alternately; prints the medians and their ratio.
// Run: build-bench/bin/bench_status [RUNS] (cupsd and lpadmin must be installed;
// scripts/setup.sh installs them).
#include "cups_test_server.h"

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

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs program with args to its end; seconds, or -1 (then `said` says why).
double timed(const QString &program, const QStringList &args, const QProcessEnvironment &env, QString &said)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        said = QStringLiteral("still running after 30 s");
        return -1;
    }
    const double seconds = t.nsecsElapsed() / 1e9;
    said = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? seconds : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    const QString tool = QStringLiteral(NPS_NEMBOPORT);

    QTemporaryDir runtime;
    QTemporaryDir out;
    const quint16 tcpPort = privatecups::freePort();
    QProcess serve;
    QProcessEnvironment serveEnv = QProcessEnvironment::systemEnvironment();
    serveEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    serve.setProcessEnvironment(serveEnv);
    serve.setProcessChannelMode(QProcess::MergedChannels);
    serve.start(tool, {QStringLiteral("serve"), QStringLiteral("--pty"), QStringLiteral("--baud"),
                       QStringLiteral("115200"), QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(tcpPort),
                       QStringLiteral("--out"), out.path()});
    QString said;
    QElapsedTimer started;
    started.start();
    while (!said.contains(QLatin1String("Ctrl+C ends"))) {
        if (serve.state() == QProcess::NotRunning || started.elapsed() > 15000) {
            std::fprintf(stderr, "nemboport serve did not start: %s\n", qPrintable(said));
            return 1;
        }
        serve.waitForReadyRead(100);
        said += QString::fromLocal8Bit(serve.readAll());
    }
    const QString device = QRegularExpression(QStringLiteral("/dev/pts/[0-9]+")).match(said).captured();

    QTemporaryDir dir(QStringLiteral("/tmp/bench_status-XXXXXX"));
    privatecups::Server server(dir.path());
    const QString failed = server.start();
    if (!failed.isEmpty()) {
        std::fprintf(stderr, "the private print server did not start: %s\n", qPrintable(failed));
        return 1;
    }
    QString output;
    if (!server.addRawQueue(QStringLiteral("Counter"), QStringLiteral("socket://127.0.0.1:%1").arg(tcpPort), output)) {
        std::fprintf(stderr, "no queue: %s\n", qPrintable(output));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(server.socketServer()));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));

    const QString ptyScript =
        QStringLiteral("stty -F %1 115200 raw -echo && exec 3<>%1 && printf '\\020\\004\\001' >&3 && head -c 1 <&3 "
                       ">/dev/null")
            .arg(device);
    const QString tcpScript =
        QStringLiteral("exec 3<>/dev/tcp/127.0.0.1/%1 && printf '\\020\\004\\001' >&3 && head -c 1 <&3 >/dev/null")
            .arg(tcpPort);
    std::vector<double> toolPty, scriptPty, toolQueue, scriptTcp;
    for (int i = 0; i < runs; ++i) {
        const double a = timed(tool,
                               {QStringLiteral("status"), QStringLiteral("--serial"), device, QStringLiteral("--baud"),
                                QStringLiteral("115200")},
                               env, said);
        if (a < 0)
            return std::fprintf(stderr, "status over the pty failed: %s\n", qPrintable(said)), 1;
        const double b = timed(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), ptyScript}, env, said);
        if (b < 0)
            return std::fprintf(stderr, "the pty script failed: %s\n", qPrintable(said)), 1;
        const double c =
            timed(tool, {QStringLiteral("status"), QStringLiteral("--queue"), QStringLiteral("Counter")}, env, said);
        if (c < 0)
            return std::fprintf(stderr, "status through the queue failed: %s\n", qPrintable(said)), 1;
        const double d = timed(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), tcpScript}, env, said);
        if (d < 0)
            return std::fprintf(stderr, "the TCP script failed: %s\n", qPrintable(said)), 1;
        toolPty.push_back(a);
        scriptPty.push_back(b);
        toolQueue.push_back(c);
        scriptTcp.push_back(d);
    }
    serve.terminate();
    serve.waitForFinished(10000);
    std::printf("nemboport status (status and identity), whole process, against nemboport serve; median of %d\n", runs);
    std::printf("  pty at 115200:       status %7.1f ms   script's round trip %6.1f ms   ratio %.1f (goal <= 3)\n",
                median(toolPty) * 1000, median(scriptPty) * 1000, median(toolPty) / median(scriptPty));
    std::printf("  socket:// queue:     status %7.1f ms   script's round trip %6.1f ms   ratio %.1f (goal <= 3)\n",
                median(toolQueue) * 1000, median(scriptTcp) * 1000, median(toolQueue) / median(scriptTcp));
    return 0;
}
