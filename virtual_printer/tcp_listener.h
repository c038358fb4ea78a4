// The network side of the virtual printer: a raw TCP port such as a CUPS
// socket:// queue or a POS program prints to, on one or more addresses.
// Every connection is a job, and like a printer's own port it prints one
// job at a time; connections are accepted at once and wait their turn in
// order, as many as the process's open files allow (keeping room for its
// own files) up to a limit; more are refused, each refusal logged. A job is
// handled in slices (JobFeed), so other connections are answered meanwhile;
// its connection stays open until its bytes were printed and its answers
// sent, even after its sender half-closed. A job ends when its sender has
// sent its last byte, or stays silent too long, sends slower than a minimum
// rate, or sends for longer than a total time, so one stuck or dribbling
// sender cannot hold the port. Requests a waiting connection begins with
// (status, identity) are answered at once, as a printer answers them
// whatever it prints.
#pragma once

#include "job_feed.h"
#include "serve_options.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class PrintSession;
class TcpConnection;
class TcpJob;

struct TcpLimits
{
    int silentMs = 30000;          // no byte for this long ends a job
    int maxJobMs = 10 * 60 * 1000; // no job sends for longer
    int graceMs = 30000;           // the rate is judged after this long
    qint64 minBytesPerSecond = 16; // on average, over the time spent waiting for its bytes
    int maxWaiting = 2048;         // connections waiting their turn; more are refused
};

class TcpListener : public QObject
{
    Q_OBJECT
public:
    explicit TcpListener(PrintSession &session, QObject *parent = nullptr);
    // A job still open when the server stops is ended like a closed one:
    // what it sent is decoded, logged and printed. Waiting ones are closed.
    ~TcpListener() override;

    void setLimits(const TcpLimits &limits) { limits_ = limits; }
    // Listens on one more address; false with a reason.
    bool listen(const QHostAddress &host, quint16 port, QString &error);
    // The i-th address listened on as HOST:PORT (an IPv6 host in brackets),
    // and as a device URI: socket://HOST:PORT.
    QString address(int i = 0) const;
    QString uri(int i = 0) const;
    int addressCount() const { return int(ports_.size()); }

    // Connections open at once (one printing, the rest waiting): the
    // waiting limit, or fewer when the open-file limit allows fewer.
    int connectionLimit() const;

    static constexpr int kBacklog = 1024;
    // What a waiting connection holds before its sender is held back by TCP
    // itself.
    static constexpr qsizetype kWaitingBuffer = 64 * 1024;
    // Files the server keeps for its own (its folder, log, lock, the files it
    // writes, its terminal, the pseudo-terminal and what Qt holds).
    static constexpr int kReservedFiles = 64;
    // After accepting failed for want of files, the next try waits this long.
    static constexpr int kAcceptRetryMs = 100;

private:
    struct Port
    {
        int fd = -1;
        TcpEndpoint endpoint;
        std::unique_ptr<QSocketNotifier> notifier;
    };
    struct Waiting
    {
        QPointer<TcpConnection> connection;
        QString name;
        qint64 answered = 0;    // bytes of requests answered while it waited
        bool printData = false; // its bytes begin with more than requests
    };

    void accept(Port &port);
    void startNext();
    void jobDone();
    // Reads a waiting connection's bytes and answers the requests they
    // begin with; what follows them waits its turn.
    void answerWaiting(Waiting &waiting);
    Waiting *waitingOf(const TcpConnection *connection);
    void dropWaiting(const TcpConnection *connection);

    PrintSession &session_;
    TcpLimits limits_;
    std::vector<Port> ports_;
    std::deque<Waiting> waiting_;
    QPointer<TcpJob> active_;
    int open_ = 0; // connections open, printing, waiting or sending their last answers
    int connections_ = 0;
    long refused_ = 0;
    bool acceptFailing_ = false;
    QTimer acceptAgain_;
};

// One connection's turn: reads what arrives, a slice at a time, and hands on
// the commands.
class TcpJob : public QObject
{
    Q_OBJECT
public:
    TcpJob(TcpConnection *connection, const QString &name, PrintSession &session, const TcpLimits &limits,
           qint64 answeredBefore, QObject *parent);

    // The server stops: what came is printed now, in one go.
    void finishNow();

signals:
    void done();

private:
    void pump();
    void waitForBytes();
    void cutOff(const QString &why);
    void checkPace();
    void end();
    qint64 waitedMs() const;

    QPointer<TcpConnection> connection_;
    PrintSession &session_;
    TcpLimits limits_;
    JobFeed feed_;
    QTimer next_;
    QTimer silence_;
    QTimer pace_;
    QElapsedTimer clock_;
    QElapsedTimer waiting_; // valid while it waits for bytes
    qint64 waitedMs_ = 0;   // before the present wait
    qint64 received_ = 0;
    bool inputDone_ = false;
    bool ended_ = false;
};
