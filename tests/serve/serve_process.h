// `nemboport serve` as a process of the test: started with its own output
// folder and runtime folder, stopped with SIGTERM like Ctrl+C would.
#pragma once

#include "cups_test_server.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

class ServeProcess
{
public:
    ~ServeProcess() { stop(); }

    QString outDir() const { return out_.path(); }
    QString runtimeDir() const { return runtime_.path(); }
    qint64 pid() const { return process_.processId(); }
    QString output() const { return output_; }
    // The open-file limit (soft and hard) it starts with; 0: the test's own.
    void setFileLimit(int files) { fileLimit_ = files; }

    // Starts it and waits (bounded) until it printed `ready`. Its output
    // folder is outDir() unless args name one.
    bool start(const QStringList &args, const QString &ready, QString &error)
    {
        QFile::setPermissions(runtime_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::MergedChannels);
        const int files = fileLimit_;
        process_.setChildProcessModifier([files] {
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            const rlimit limit{rlim_t(files), rlim_t(files)};
            if (files > 0)
                ::setrlimit(RLIMIT_NOFILE, &limit);
        });
        const QStringList out =
            args.contains(QLatin1String("--out")) ? QStringList() : QStringList{QStringLiteral("--out"), out_.path()};
        process_.start(QStringLiteral(NPS_NEMBOPORT), QStringList{QStringLiteral("serve")} + args + out);
        QElapsedTimer t;
        t.start();
        while (!output_.contains(ready)) {
            if (process_.state() == QProcess::NotRunning || t.elapsed() > 15000) {
                error = QStringLiteral("nemboport serve did not start: ") + output_;
                return false;
            }
            process_.waitForReadyRead(100);
            output_ += QString::fromLocal8Bit(process_.readAll());
        }
        return true;
    }

    // A line typed to its standard input (its panel).
    bool type(const QByteArray &line)
    {
        return process_.write(line + '\n') == line.size() + 1 && process_.waitForBytesWritten(5000);
    }
    // Takes what it printed since.
    void poll() { output_ += QString::fromLocal8Bit(process_.readAll()); }
    // Its standard input at its end, as when started from a script.
    void closeInput() { process_.closeWriteChannel(); }
    // The first /dev/pts/N it announced.
    QString ptyDevice() const
    {
        static const QRegularExpression pts(QStringLiteral("/dev/pts/[0-9]+"));
        return pts.match(output_).captured();
    }
    // Processor time it used so far, in ms; -1 when unknown.
    qint64 cpuMs() const
    {
        QFile f(QStringLiteral("/proc/%1/stat").arg(process_.processId()));
        if (!f.open(QIODevice::ReadOnly))
            return -1;
        // Fields after the command name in parentheses: utime is the 12th, stime the 13th.
        const QList<QByteArray> fields = f.readAll().split(')').last().trimmed().split(' ');
        if (fields.size() < 13)
            return -1;
        return (fields.at(11).toLongLong() + fields.at(12).toLongLong()) * 1000 / ::sysconf(_SC_CLK_TCK);
    }

    // SIGTERM; true when it ended on its own with status 0.
    bool stop()
    {
        if (process_.state() == QProcess::NotRunning)
            return false;
        process_.terminate();
        const bool ended = process_.waitForFinished(10000);
        if (!ended) {
            process_.kill();
            process_.waitForFinished(5000);
        }
        output_ += QString::fromLocal8Bit(process_.readAll());
        return ended && process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
    }

    QJsonObject state() const
    {
        QFile f(out_.filePath(QStringLiteral("state.json")));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(f.readAll()).object();
    }

    // Polls state.json (bounded) until test(state) holds.
    template <typename Test>
    bool waitForState(Test test, int timeoutMs, qint64 *elapsedMs = nullptr)
    {
        QElapsedTimer t;
        t.start();
        while (!test(state())) {
            if (t.elapsed() > timeoutMs)
                return false;
            QTest::qSleep(10);
        }
        if (elapsedMs)
            *elapsedMs = t.elapsed();
        return true;
    }

private:
    QTemporaryDir out_;
    QTemporaryDir runtime_;
    QProcess process_;
    QString output_;
    int fileLimit_ = 0;
};

// Starts the virtual printer on a free loopback port and a raw queue of the
// private print server in front of it.
inline bool serveBehindQueue(ServeProcess &serve, privatecups::Server &cups, const QString &queue)
{
    const quint16 port = privatecups::freePort();
    QString error;
    if (!serve.start({QStringLiteral("--tcp"), QStringLiteral("127.0.0.1:%1").arg(port)},
                     QStringLiteral("listening on"), error) ||
        !cups.addRawQueue(queue, QStringLiteral("socket://127.0.0.1:%1").arg(port), error)) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    return true;
}
