// A CUPS server of a test's own and a socket printer behind its queues:
// cupsd with its own configuration, spool and logs under a 0755 temporary
// folder, listening on its own socket and on a free loopback port; raw queues
// whose device is a socket listener of the test (socket://127.0.0.1:PORT,
// CUPS' AppSocket backend). Point clients at it with CUPS_SERVER.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace privatecups {

// A loopback port nobody listens on (for the moment).
inline quint16 freePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    quint16 port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

inline bool canConnectUnix(const QByteArray &path)
{
    const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    qstrncpy(a.sun_path, path.constData(), sizeof a.sun_path);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

inline bool canConnectTcp(quint16 port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

// The printer: accepts AppSocket connections and keeps each one's bytes.
// Opens a listening socket on 127.0.0.1 at a port the system picks.
inline bool listenOnLoopback(int &fd, quint16 &port)
{
    fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len) != 0)
        return false;
    port = ntohs(a.sin_port);
    return true;
}

class SocketPrinter
{
public:
    bool start()
    {
        if (!listenOnLoopback(fd_, port_))
            return false;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~SocketPrinter()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    quint16 port() const { return port_; }
    QList<QByteArray> jobs()
    {
        std::lock_guard<std::mutex> l(mutex_);
        return jobs_;
    }
    // Waits until there are n finished connections.
    bool waitForJobs(int n, int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < timeoutMs) {
            if (jobs().size() >= n)
                return true;
            QThread::msleep(20);
        }
        return false;
    }

private:
    void run()
    {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            const int c = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c < 0)
                continue;
            QByteArray got;
            char buf[8192];
            for (;;) {
                pollfd q{c, POLLIN, 0};
                if (::poll(&q, 1, 100) == 0) {
                    if (stop_)
                        break;
                    continue;
                }
                const ssize_t n = ::read(c, buf, sizeof buf);
                if (n > 0)
                    got.append(buf, n);
                else if (n == 0 || errno != EINTR)
                    break;
            }
            ::close(c);
            if (onlyQuestions(got))
                continue; // the library asking how the printer is: not a job
            std::lock_guard<std::mutex> l(mutex_);
            jobs_.append(got);
        }
    }

    // Status requests only (DLE EOT n), as the library's question after a send.
    static bool onlyQuestions(const QByteArray &got)
    {
        if (got.isEmpty() || got.size() % 3 != 0)
            return false;
        for (qsizetype i = 0; i < got.size(); i += 3)
            if (got[i] != '\x10' || got[i + 1] != '\x04')
                return false;
        return true;
    }

    int fd_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    QList<QByteArray> jobs_;
};

// cupsd under a folder of the test's own. The folder should be under /tmp
// whatever TMPDIR says: every folder above the spool must be 0755 (the
// backend runs as lp), and the socket path must stay short.
class Server
{
public:
    explicit Server(const QString &dir)
        : dir_(dir)
    {
    }
    ~Server() { stop(); }

    // Writes the configuration (extraConfig: more cupsd.conf lines), starts
    // cupsd and waits (bounded) until it answers on both listeners. An error
    // text, or empty.
    QString start(const QString &extraConfig = QString())
    {
        const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/local/sbin")};
        const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), sbin);
        if (cupsd.isEmpty())
            return QStringLiteral("cupsd is missing: scripts/setup.sh installs cups-daemon");
        lpadmin_ = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), sbin);
        if (lpadmin_.isEmpty())
            return QStringLiteral("lpadmin is missing: scripts/setup.sh installs cups-client");
        if (!QFileInfo::exists(QStringLiteral("/usr/lib/cups/backend/socket")))
            return QStringLiteral("CUPS' socket backend is missing: scripts/setup.sh installs the cups package");

        const QFile::Permissions p755 = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        if (!QFile::setPermissions(dir_, p755))
            return QStringLiteral("cannot make %1 0755").arg(dir_);
        for (const char *sub : {"etc", "spool", "tmp", "cache", "state", "log"}) {
            if (!QDir(dir_).mkpath(QLatin1String(sub)) || !QFile::setPermissions(path(QLatin1String(sub)), p755))
                return QStringLiteral("cannot make %1").arg(path(QLatin1String(sub)));
        }
        port_ = freePort();
        if (port_ == 0)
            return QStringLiteral("no free loopback port");
        if (!write(QStringLiteral("etc/cups-files.conf"),
                   QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                                  "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                  "PageLog %1/log/page_log\nSystemGroup root\n"
                                  // its own printcap: as root the default would replace the system's
                                  "Printcap %1/printcap\n")
                       .arg(dir_)) ||
            !write(QStringLiteral("etc/cupsd.conf"),
                   QStringLiteral("Listen 127.0.0.1:%1\nListen %2/cups.sock\nBrowsing No\nWebInterface No\n"
                                  "DefaultAuthType None\nLogLevel info\nJobRetryInterval 1\n"
                                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                  "<Policy default>\n  JobPrivateAccess all\n  JobPrivateValues none\n"
                                  "  SubscriptionPrivateAccess all\n  SubscriptionPrivateValues none\n"
                                  "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                           .arg(port_)
                           .arg(dir_) +
                       extraConfig))
            return QStringLiteral("cannot write the configuration under %1").arg(dir_);

        cupsd_.setProgram(cupsd);
        cupsd_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"), path(QStringLiteral("etc/cupsd.conf")),
                             QStringLiteral("-s"), path(QStringLiteral("etc/cups-files.conf"))});
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        // cupsd ends with the test even when the test is killed (ctest's time-out).
        cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        cupsd_.start();
        if (!cupsd_.waitForStarted(10000))
            return cupsd_.errorString();
        QElapsedTimer t;
        t.start();
        while (!(canConnectUnix(socketServer()) && canConnectTcp(port_))) {
            if (cupsd_.state() == QProcess::NotRunning || t.elapsed() > 15000)
                return QStringLiteral("cupsd did not come up: ") + QString::fromLocal8Bit(cupsd_.readAll()) +
                       errorLogTail(40);
            QThread::msleep(20);
        }
        return {};
    }

    void stop()
    {
        if (cupsd_.state() == QProcess::NotRunning)
            return;
        cupsd_.terminate();
        if (!cupsd_.waitForFinished(10000)) {
            cupsd_.kill();
            cupsd_.waitForFinished(5000);
        }
    }

    QString path(const QString &relative) const { return QDir(dir_).filePath(relative); }
    QByteArray socketServer() const { return QFile::encodeName(path(QStringLiteral("cups.sock"))); }
    QByteArray tcpServer() const { return "127.0.0.1:" + QByteArray::number(port_); }
    quint16 port() const { return port_; }
    qint64 processId() const { return cupsd_.processId(); }
    QString lpadmin() const { return lpadmin_; }

    // Runs a CUPS client program against this server (bounded); true when it
    // ended with status 0.
    bool run(const QString &program, const QStringList &args, QString &output) const
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(socketServer()));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        const bool finished = p.waitForFinished(30000);
        output = QString::fromLocal8Bit(p.readAll());
        return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    // Adds an enabled raw queue with the given device.
    bool addRawQueue(const QString &name, const QString &uri, QString &output) const
    {
        return run(lpadmin_, {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), uri}, output);
    }

    QString errorLogTail(int lines) const
    {
        QFile log(path(QStringLiteral("log/error_log")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> all = log.readAll().split('\n');
        return QString::fromLocal8Bit(all.mid(qMax(0, all.size() - lines)).join('\n'));
    }

private:
    bool write(const QString &relative, const QString &text) const
    {
        QFile f(path(relative));
        return f.open(QIODevice::WriteOnly) && f.write(text.toLocal8Bit()) >= 0;
    }

    QString dir_;
    QProcess cupsd_;
    quint16 port_ = 0;
    QString lpadmin_;
};

} // namespace privatecups
