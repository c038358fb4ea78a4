// A CUPS server of a test's own: cupsd with its own configuration, spool and
// logs under a 0755 folder in /tmp (the backends run as lp), listening only
// on its own socket. Raw queues are added with lpadmin. It ends with the
// test, even when the test is killed.
#pragma once

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

class PrivateCups
{
public:
    ~PrivateCups() { stop(); }

    // The value for CUPS_SERVER.
    QByteArray server() const { return QFile::encodeName(dir_.filePath(QStringLiteral("cups.sock"))); }

    bool start(QString &error)
    {
        const QStringList sbin{QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/local/sbin")};
        const QString cupsd = QStandardPaths::findExecutable(QStringLiteral("cupsd"), sbin);
        lpadmin_ = QStandardPaths::findExecutable(QStringLiteral("lpadmin"), sbin);
        if (cupsd.isEmpty() || lpadmin_.isEmpty()) {
            error = QStringLiteral("cupsd or lpadmin is missing: scripts/setup.sh installs cups-daemon and cups-client");
            return false;
        }
        if (!QFileInfo::exists(QStringLiteral("/usr/lib/cups/backend/socket"))) {
            error = QStringLiteral("CUPS' socket backend is missing: scripts/setup.sh installs the cups package");
            return false;
        }
        const QFile::Permissions p755 = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
        if (!dir_.isValid() || !QFile::setPermissions(dir_.path(), p755)) {
            error = QStringLiteral("no temporary folder for cupsd");
            return false;
        }
        for (const char *sub : {"etc", "spool", "tmp", "cache", "state", "log"})
            if (!QDir(dir_.path()).mkdir(QLatin1String(sub)) ||
                !QFile::setPermissions(dir_.filePath(QLatin1String(sub)), p755)) {
                error = QStringLiteral("cannot make the cupsd folders");
                return false;
            }
        const QString d = dir_.path();
        if (!write(QStringLiteral("etc/cups-files.conf"),
                   QStringLiteral("ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/tmp\nCacheDir %1/cache\n"
                                  "StateDir %1/state\nAccessLog %1/log/access_log\nErrorLog %1/log/error_log\n"
                                  "PageLog %1/log/page_log\nSystemGroup root\n")
                       .arg(d)) ||
            !write(QStringLiteral("etc/cupsd.conf"),
                   QStringLiteral("Listen %1/cups.sock\nBrowsing No\nWebInterface No\n"
                                  "DefaultAuthType None\nLogLevel info\nJobRetryInterval 1\n"
                                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                  "<Policy default>\n  JobPrivateAccess all\n  JobPrivateValues none\n"
                                  "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n")
                       .arg(d))) {
            error = QStringLiteral("cannot write the cupsd configuration");
            return false;
        }
        cupsd_.setProgram(cupsd);
        cupsd_.setArguments({QStringLiteral("-f"), QStringLiteral("-c"), dir_.filePath(QStringLiteral("etc/cupsd.conf")),
                             QStringLiteral("-s"), dir_.filePath(QStringLiteral("etc/cups-files.conf"))});
        cupsd_.setProcessChannelMode(QProcess::MergedChannels);
        cupsd_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        cupsd_.start();
        if (!cupsd_.waitForStarted(10000)) {
            error = cupsd_.errorString();
            return false;
        }
        QElapsedTimer t;
        t.start();
        while (!answers()) {
            if (cupsd_.state() == QProcess::NotRunning || t.elapsed() > 15000) {
                error = QStringLiteral("cupsd did not come up: ") + QString::fromLocal8Bit(cupsd_.readAll()) + errorLog();
                return false;
            }
            QTest::qSleep(20);
        }
        return true;
    }

    // lpadmin -p name -E -v uri
    bool addRawQueue(const QString &name, const QString &uri, QString &error)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CUPS_SERVER"), QString::fromLocal8Bit(server()));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(lpadmin_, {QStringLiteral("-p"), name, QStringLiteral("-E"), QStringLiteral("-v"), uri});
        const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        error = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

    QString errorLog() const
    {
        QFile log(dir_.filePath(QStringLiteral("log/error_log")));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        const QList<QByteArray> lines = log.readAll().split('\n');
        return QString::fromLocal8Bit(lines.mid(qMax(0, lines.size() - 30)).join('\n'));
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

private:
    bool write(const QString &name, const QString &text)
    {
        QFile f(dir_.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(text.toLocal8Bit()) > 0;
    }

    bool answers() const
    {
        const int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un a{};
        a.sun_family = AF_UNIX;
        qstrncpy(a.sun_path, server().constData(), sizeof a.sun_path);
        const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        ::close(s);
        return ok;
    }

    // Under /tmp whatever TMPDIR says: every folder above the spool must be
    // 0755, and the socket path must stay short.
    QTemporaryDir dir_{QStringLiteral("/tmp/nps_cups-XXXXXX")};
    QProcess cupsd_;
    QString lpadmin_;
};
