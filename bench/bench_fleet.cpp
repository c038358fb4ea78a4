// Times setting up a fleet of printers behind one print server: a nine-setting
// profile applied with nemboport to 50 print queues of a private CUPS server,
// against a shell loop of `lp -d QUEUE -o raw FILE` sending the same nine
// settings as nine files to the same queues. Prints the times and the ratio.
// nemboport, given all queues at once, follows every job until the printer
// (a socket listener) took it: its time runs until the last job printed.
// The lp loop does not wait: its time runs until the last job was accepted,
// with the queues holding the jobs, and so does nemboport's with --no-wait.
// After each run the printer must receive every job before the next starts.
// Run: build-bench/bin/bench_fleet [QUEUES] (cupsd, lpadmin and lp must be installed;
// scripts/setup.sh installs them). NPS_BENCH_KEEP=1 keeps the server's folder and
// logs.
#include "cups_test_server.h"

#include "config_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

const char *const kProfileSettings = "[settings]\n"
                                     "codepage = 15\n"
                                     "baud = 9600\n"
                                     "darkness = 8\n"
                                     "barcode = on\n"
                                     "cutter = on\n"
                                     "black-mark = off\n"
                                     "buzzer = receive,paper-out,cut,error\n"
                                     "cut-feed = command\n"
                                     "cut-mode = half\n";

// The same nine settings as nine files, one per setting.
std::vector<Bytes> settingFiles()
{
    const InstructionSet is = InstructionSet::New;
    Bytes cutFeed;
    for (const Command &c : cutFeedCommands(true))
        cutFeed.insert(cutFeed.end(), c.bytes.begin(), c.bytes.end());
    return {codePageCommand(is, 15).bytes, baudRateCommand(is, 9600).bytes,
            darknessCommand(is, 8).bytes,  barcodeCommand(true).bytes,
            cutterCommand(true).bytes,     blackMarkCommand(false).bytes,
            buzzerCommand(is, 0x0F).bytes, cutFeed,
            cutModeCommand(false).bytes};
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Runs a shell script against the private server; seconds, or -1.
double timeScript(const privatecups::Server &server, const QString &script, QString &output)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(server.socketServer()));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), script});
    const bool finished = p.waitForFinished(600000);
    const double seconds = t.nsecsElapsed() / 1e9;
    output = QString::fromLocal8Bit(p.readAll());
    if (!finished)
        output += QStringLiteral("(still running after 600 s)");
    else if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        output += QStringLiteral("(exit status %1%2)")
                      .arg(p.exitCode())
                      .arg(p.exitStatus() == QProcess::NormalExit ? "" : ", crashed");
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0 ? seconds : -1;
}

// Processor time cupsd has used so far, in seconds.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The fields after the command name (which may hold blanks) in parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields.at(11).toLongLong() + fields.at(12).toLongLong()) / double(::sysconf(_SC_CLK_TCK));
}

int fail(const QString &why)
{
    std::fprintf(stderr, "bench_fleet: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int queues = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;
    if (queues < 1 || queues > 500)
        return fail(QStringLiteral("QUEUES must be 1 to 500"));
    const QString tool = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("nemboport"));
    if (!QFileInfo::exists(tool))
        return fail(QStringLiteral("%1 is missing: build the nemboport target").arg(tool));

    QTemporaryDir dir(QStringLiteral("/tmp/bench_fleet-XXXXXX"));
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("NPS_BENCH_KEEP"));
    privatecups::Server server(dir.path());
    // Room for every job of a run while the queues hold them.
    const QString failed = server.start(QStringLiteral("MaxJobs 0\nMaxJobsPerPrinter 0\n"));
    if (!failed.isEmpty())
        return fail(failed);
    privatecups::SocketPrinter printer;
    if (!printer.start())
        return fail(QStringLiteral("no socket printer"));

    QStringList names;
    QString out;
    for (int i = 1; i <= queues; ++i) {
        names << QStringLiteral("Fleet%1").arg(i, 2, 10, QLatin1Char('0'));
        if (!server.addRawQueue(names.last(), QStringLiteral("socket://127.0.0.1:%1").arg(printer.port()), out))
            return fail(out);
    }

    const QString profile = dir.filePath(QStringLiteral("fleet.ini"));
    writeFile(profile, kProfileSettings);
    QStringList files;
    const std::vector<Bytes> contents = settingFiles();
    for (std::size_t i = 0; i < contents.size(); ++i) {
        files << dir.filePath(QStringLiteral("setting%1.bin").arg(i + 1));
        writeFile(files.last(),
                  QByteArray(reinterpret_cast<const char *>(contents[i].data()), qsizetype(contents[i].size())));
    }

    const QString queueList = names.join(QLatin1Char(' '));
    const QString nemboportOnce = QStringLiteral("set -e; '%1' apply '%2' --queue %3 >/dev/null")
                                      .arg(tool, profile, names.join(QStringLiteral(" --queue ")));
    const QString nemboportNoWait = QStringLiteral("set -e; '%1' apply '%2' --no-wait --queue %3 >/dev/null")
                                        .arg(tool, profile, names.join(QStringLiteral(" --queue ")));
    const QString lpLoop =
        QStringLiteral("set -e; for q in %1; do for f in %2; do lp -d \"$q\" -o raw \"$f\" >/dev/null; "
                       "done; done")
            .arg(queueList, files.join(QLatin1Char(' ')));

    // Each run submits its jobs; the printer takes them all before the next run starts.
    int jobs = 0;
    const auto settle = [&](int more) {
        jobs += more;
        return printer.waitForJobs(jobs, 300000);
    };
    // Times one way while the queues hold their jobs (they take jobs but do
    // not print), so neither way is timed against the printing of the other;
    // then the queues print and the printer must receive every job.
    const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")};
    const QString cupsdisable = QStandardPaths::findExecutable(QStringLiteral("cupsdisable"), sbin);
    const QString cupsenable = QStandardPaths::findExecutable(QStringLiteral("cupsenable"), sbin);
    std::vector<double> busy; // cupsd's processor time during each run
    // held: the queues take the jobs but do not print them while timed.
    const auto timed = [&](const QString &script, int jobsSent, const char *what, bool held) {
        if (held && !server.run(cupsdisable, names, out))
            return -1.0 - fail(QStringLiteral("cupsdisable failed: ") + out);
        const double cpuBefore = cpuSeconds(server.processId());
        QString said;
        const double seconds = timeScript(server, script, said);
        busy.push_back(cpuSeconds(server.processId()) - cpuBefore);
        if (held && !server.run(cupsenable, names, out))
            return -1.0 - fail(QStringLiteral("cupsenable failed: ") + out);
        if (seconds < 0)
            return -1.0 - fail(QStringLiteral("the %1 failed: %2").arg(QLatin1String(what), said));
        if (!settle(jobsSent))
            return -1.0 -
                   fail(QStringLiteral("the printer did not receive every job of the %1").arg(QLatin1String(what)));
        return seconds;
    };
    // The jobs nemboport followed have all printed when it ends.
    const double once = timed(nemboportOnce, queues * 10, "nemboport call", false);
    const int printedByThen = printer.jobs().size();
    if (once >= 0 && printedByThen != queues * 10)
        return fail(QStringLiteral("nemboport ended with %1 of %2 jobs printed").arg(printedByThen).arg(queues * 10));
    const double noWait = once < 0 ? -1 : timed(nemboportNoWait, queues * 10, "nemboport call with --no-wait", true);
    const double lp = noWait < 0 ? -1 : timed(lpLoop, queues * 9, "lp loop", true);
    if (lp < 0)
        return 1;

    std::printf("nine settings to %d print queues of a private CUPS server; every job received by the printer\n",
                queues);
    std::printf("  nemboport apply, all queues, every job printed: %7.2f s  %5.1f ms per queue  (cupsd busy %.2f s)\n",
                once, once * 1000 / queues, busy.at(0));
    std::printf("  nemboport apply --no-wait, all queues, queued:  %7.2f s  %5.1f ms per queue  (cupsd busy %.2f s)\n",
                noWait, noWait * 1000 / queues, busy.at(1));
    std::printf("  lp -d QUEUE -o raw FILE, nine per queue, queued: %6.2f s  %5.1f ms per queue  (cupsd busy %.2f s)\n",
                lp, lp * 1000 / queues, busy.at(2));
    std::printf("  following every job, one call is %.1fx as fast as the lp loop; with --no-wait %.1fx\n", lp / once,
                lp / noWait);
    return 0;
}
