// Times setting up a fleet of printers behind one print server: a nine-setting
// profile applied with nemboport to the print queues of a private CUPS server,
// against a shell loop of `lp -d QUEUE -o raw FILE` sending the same nine
// settings as nine files to the same queues, then waiting until the printer (a
// socket listener) received every job. nemboport follows every job until the
// printer took it: its time runs until it ends, every job printed. Both are
// timed side by side in one run, to all the queues and to one, and the ratios
// printed. Then nemboport applies the profile to all the queues again and
// again, and every failure is counted and shown.
// Run: build-bench/bin/bench_fleet [QUEUES [ROUNDS]] (default 50 queues, 50 rounds;
// cupsd, lpadmin and lp must be installed: scripts/setup.sh installs them).
// NPS_BENCH_KEEP=1 keeps the server's folder and logs.
#include "cups_test_server.h"

#include "config_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <map>

#include <sys/resource.h>
#include <unistd.h>

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

// The fleet's printers behind one listener: every connection served at
// once, as fifty printers would; a connection of status requests (DLE EOT n)
// gets a ready printer's answer to each, any other is a job, counted when
// the print server closes it.
class FleetPrinter
{
public:
    bool start()
    {
        if (!privatecups::listenOnLoopback(fd_, port_))
            return false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~FleetPrinter()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        for (const auto &c : clients_)
            ::close(c.first);
        if (fd_ >= 0)
            ::close(fd_);
    }
    quint16 port() const { return port_; }
    int jobs() const { return jobs_; }
    bool waitForJobs(int n, int timeoutMs) const
    {
        QElapsedTimer t;
        t.start();
        while (jobs_ < n && t.elapsed() < timeoutMs)
            QThread::msleep(2);
        return jobs_ >= n;
    }

private:
    static bool questionsOnly(const QByteArray &got)
    {
        for (qsizetype i = 0; i < got.size(); ++i)
            if ((i % 3 == 0 && got[i] != '\x10') || (i % 3 == 1 && got[i] != '\x04'))
                return false;
        return true;
    }
    void run()
    {
        while (!stop_) {
            std::vector<pollfd> fds{{fd_, POLLIN, 0}};
            for (const auto &c : clients_)
                fds.push_back({c.first, POLLIN, 0});
            if (::poll(fds.data(), nfds_t(fds.size()), 20) <= 0)
                continue;
            if (fds[0].revents & POLLIN) {
                const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
                if (c >= 0)
                    clients_[c];
            }
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents)
                    continue;
                const int c = fds[i].fd;
                QByteArray &got = clients_[c];
                char buf[8192];
                const ssize_t n = ::read(c, buf, sizeof buf);
                if (n > 0) {
                    const qsizetype before = got.size();
                    got.append(buf, n);
                    if (questionsOnly(got))
                        for (qsizetype k = before / 3; k < got.size() / 3; ++k)
                            (void)::write(c, "\x12", 1); // ready, every condition clear
                    continue;
                }
                if (!got.isEmpty() && !questionsOnly(got))
                    ++jobs_;
                ::close(c);
                clients_.erase(c);
            }
        }
    }

    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> jobs_{0};
    std::map<int, QByteArray> clients_;
    std::thread thread_;
};

int fail(const QString &why)
{
    std::fprintf(stderr, "bench_fleet: %s\n", qPrintable(why));
    return 1;
}

// Processor time, user and system, of every child process ended so far
// (the scripts and what they ran), in seconds.
double childrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor time of a running process and of its children it reaped (the
// print server and its backends), in seconds.
double processCpuSeconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    // After the command name in parentheses: utime, stime, cutime and cstime
    // are the 12th to the 15th fields.
    const QList<QByteArray> fields = f.readAll().split(')').last().trimmed().split(' ');
    if (fields.size() < 15)
        return 0;
    qint64 ticks = 0;
    for (int i = 11; i <= 14; ++i)
        ticks += fields.at(i).toLongLong();
    return double(ticks) / double(::sysconf(_SC_CLK_TCK));
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int queues = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 50;
    const int rounds = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 50;
    if (queues < 1 || queues > 500 || rounds < 0 || rounds > 1000)
        return fail(QStringLiteral("QUEUES must be 1 to 500, ROUNDS 0 to 1000"));
    const QString tool = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("nemboport"));
    if (!QFileInfo::exists(tool))
        return fail(QStringLiteral("%1 is missing: build the nemboport target").arg(tool));

    QTemporaryDir dir(QStringLiteral("/tmp/bench_fleet-XXXXXX"));
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("NPS_BENCH_KEEP"));
    privatecups::Server server(dir.path());
    // Room for every job of every run (completed ones are purged as needed).
    const QString failed = server.start(QStringLiteral("MaxJobsPerPrinter 0\n"));
    if (!failed.isEmpty())
        return fail(failed);
    FleetPrinter printer;
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
    // nemboport sends the cut-feed setting as its two commands: ten jobs a
    // queue; the lp loop sends nine files.
    const int toolJobs = 10, lpJobs = int(files.size());

    const auto toolScript = [&](const QStringList &to) {
        return QStringLiteral("set -e; '%1' apply '%2' --queue %3 >/dev/null")
            .arg(tool, profile, to.join(QStringLiteral(" --queue ")));
    };
    const auto lpScript = [&](const QStringList &to) {
        return QStringLiteral("set -e; for q in %1; do for f in %2; do lp -d \"$q\" -o raw \"$f\" >/dev/null; "
                              "done; done")
            .arg(to.join(QLatin1Char(' ')), files.join(QLatin1Char(' ')));
    };
    // Runs script; its time runs until the printer received every job it
    // sent (nemboport: until it ended, which is later). -1 on a failure.
    int jobs = 0;
    QString said;
    double cpu = 0;       // of the last script and what it ran
    double serverCpu = 0; // of the print server and its backends meanwhile
    const auto timed = [&](const QString &script, int jobsSent) {
        QElapsedTimer t;
        t.start();
        const double cpuBefore = childrenCpuSeconds();
        const double serverBefore = processCpuSeconds(server.processId());
        const double ran = timeScript(server, script, said);
        cpu = childrenCpuSeconds() - cpuBefore;
        if (ran < 0)
            return -1.0;
        jobs += jobsSent;
        if (!printer.waitForJobs(jobs, 300000)) {
            said = QStringLiteral("the printer did not receive every job");
            return -1.0;
        }
        serverCpu = processCpuSeconds(server.processId()) - serverBefore;
        return qMax(ran, t.nsecsElapsed() / 1e9);
    };

    // Side by side, alternating, a few times each.
    const int repeats = queues > 1 ? 3 : 7;
    std::vector<double> toolAll, lpAll, toolOne, lpOne, toolAllCpu, lpAllCpu, toolServerCpu, lpServerCpu;
    const QStringList one{names.first()};
    for (int r = 0; r < repeats; ++r) {
        const double a = timed(toolScript(names), queues * toolJobs);
        toolAllCpu.push_back(cpu);
        toolServerCpu.push_back(serverCpu);
        const double b = a < 0 ? -1 : timed(lpScript(names), queues * lpJobs);
        lpAllCpu.push_back(cpu);
        lpServerCpu.push_back(serverCpu);
        const double c = b < 0 ? -1 : timed(toolScript(one), toolJobs);
        const double d = c < 0 ? -1 : timed(lpScript(one), lpJobs);
        if (d < 0)
            return fail(QStringLiteral("a run failed: ") + said);
        toolAll.push_back(a);
        lpAll.push_back(b);
        toolOne.push_back(c);
        lpOne.push_back(d);
    }
    std::printf("nine settings to print queues of a private CUPS server, every job received by the printer "
                "(median of %d)\n",
                repeats);
    std::printf("  %3d queues: nemboport apply %7.3f s   lp loop + wait %7.3f s   nemboport/lp %.2f (goal <= 0.33)\n",
                queues, median(toolAll), median(lpAll), median(toolAll) / median(lpAll));
    std::printf("              processor time: nemboport %.2f s, lp loop %.2f s; the print server and its backends "
                "%.2f s and %.2f s\n",
                median(toolAllCpu), median(lpAllCpu), median(toolServerCpu), median(lpServerCpu));
    std::printf("    1 queue:  nemboport apply %7.3f s   lp loop + wait %7.3f s   nemboport/lp %.2f (goal <= 1)\n",
                median(toolOne), median(lpOne), median(toolOne) / median(lpOne));
    std::fflush(stdout);

    // Again and again: not one failure.
    int failures = 0;
    QElapsedTimer all;
    all.start();
    for (int r = 0; r < rounds; ++r) {
        if (timed(toolScript(names), queues * toolJobs) < 0) {
            ++failures;
            std::printf("  round %d failed: %s\n", r + 1, qPrintable(said.trimmed()));
            jobs = printer.jobs();
        }
    }
    if (rounds > 0)
        std::printf("  nemboport apply to %d queues %d times in a row: %d failed (%.1f s in all)\n", queues, rounds,
                    failures, all.nsecsElapsed() / 1e9);
    return failures == 0 ? 0 : 1;
}
