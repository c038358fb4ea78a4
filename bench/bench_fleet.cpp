// Times setting up a fleet of printers behind one print server: a nine-setting
// profile applied with nemboport to 50 print queues of a private CUPS server,
// against a shell loop of `lp -d QUEUE -o raw FILE` sending the same nine
// settings as nine files to the same queues. Prints the times and the ratio:
// nemboport given all queues at once (it serves them side by side), and
// nemboport called once per queue. Each time runs from the first submission
// until the last job has been accepted; the printer (a socket listener) must
// then receive every job before the next run starts.
// Run: build/bin/bench_fleet [QUEUES] (cupsd, lpadmin and lp must be installed;
// scripts/setup.sh installs them).
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
    return {codePageCommand(is, 15).bytes, baudRateCommand(is, 9600).bytes, darknessCommand(is, 8).bytes,
            barcodeCommand(true).bytes,    cutterCommand(true).bytes,       blackMarkCommand(false).bytes,
            buzzerCommand(is, 0x0F).bytes, cutFeed,                         cutModeCommand(false).bytes};
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
        writeFile(files.last(), QByteArray(reinterpret_cast<const char *>(contents[i].data()), qsizetype(contents[i].size())));
    }

    const QString queueList = names.join(QLatin1Char(' '));
    const QString nemboportOnce =
        QStringLiteral("set -e; '%1' apply '%2' --queue %3 >/dev/null").arg(tool, profile, names.join(QStringLiteral(" --queue ")));
    const QString nemboportLoop =
        QStringLiteral("set -e; for q in %1; do '%2' apply '%3' --queue \"$q\" >/dev/null; done").arg(queueList, tool, profile);
    const QString lpLoop = QStringLiteral("set -e; for q in %1; do for f in %2; do lp -d \"$q\" -o raw \"$f\" >/dev/null; "
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
    const auto timed = [&](const QString &script, int jobsSent, const char *what) {
        if (!server.run(cupsdisable, names, out))
            return -1.0 - fail(QStringLiteral("cupsdisable failed: ") + out);
        const double cpuBefore = cpuSeconds(server.processId());
        const double seconds = timeScript(server, script, out);
        busy.push_back(cpuSeconds(server.processId()) - cpuBefore);
        if (!server.run(cupsenable, names, out))
            return -1.0 - fail(QStringLiteral("cupsenable failed: ") + out);
        if (seconds < 0)
            return -1.0 - fail(QStringLiteral("the %1 failed: %2").arg(QLatin1String(what), out));
        if (!settle(jobsSent))
            return -1.0 - fail(QStringLiteral("the printer did not receive every job of the %1").arg(QLatin1String(what)));
        return seconds;
    };
    const double once = timed(nemboportOnce, queues * 10, "nemboport call");
    const double loop = once < 0 ? -1 : timed(nemboportLoop, queues * 10, "nemboport loop");
    const double lp = loop < 0 ? -1 : timed(lpLoop, queues * 9, "lp loop");
    if (lp < 0)
        return 1;

    std::printf("nine settings to %d print queues of a private CUPS server; every job received by the printer\n",
                queues);
    std::printf("  nemboport apply, all queues in one call:     %7.2f s  %5.1f ms per queue  (cupsd busy %.2f s)\n", once,
                once * 1000 / queues, busy.at(0));
    std::printf("  nemboport apply, one call per queue (loop):  %7.2f s  %5.1f ms per queue  (cupsd busy %.2f s)\n", loop,
                loop * 1000 / queues, busy.at(1));
    std::printf("  lp -d QUEUE -o raw FILE, nine per queue:     %7.2f s  %5.1f ms per queue  (cupsd busy %.2f s)\n", lp,
                lp * 1000 / queues, busy.at(2));
    std::printf("  one call is %.1fx as fast as the lp loop; the nemboport loop %.1fx\n", lp / once, lp / loop);
    return 0;
}
