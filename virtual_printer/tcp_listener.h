// The network side of the virtual printer: a raw TCP port such as a CUPS
// socket:// queue or a POS program prints to. Every connection is a job, and
// like a printer's own port it prints one job at a time; connections are
// accepted at once and wait their turn in order (up to a limit; more are
// refused, each refusal logged). A job ends when its sender closes it, stays
// silent too long, sends slower than a minimum rate, or runs past a total
// time, so one stuck or dribbling sender cannot hold the port. Requests a
// waiting connection begins with (status, identity) are answered at once, as
// a printer answers them whatever it prints.
#pragma once

#include "command_stream.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

#include <deque>

class PrintSession;
class TcpJob;
class QTcpSocket;

struct TcpLimits
{
    int silentMs = 30000;          // no byte for this long ends a job
    int maxJobMs = 10 * 60 * 1000; // no job runs longer
    int graceMs = 30000;           // the rate is judged after this long
    qint64 minBytesPerSecond = 16; // on average since the job began
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
    bool listen(const QHostAddress &host, quint16 port, QString &error);
    QString address() const;
    // The address as a device URI: socket://HOST:PORT, an IPv6 host in brackets.
    QString uri() const;

    static constexpr int kBacklog = 1024;
    // What a waiting connection's buffer holds before its sender is held
    // back by TCP itself.
    static constexpr qint64 kWaitingBuffer = 64 * 1024;

private:
    void accept();
    void startNext();
    void jobDone();
    // Reads and answers the requests at the head of a waiting connection's
    // bytes; what follows them waits its turn.
    void answerWaiting(QTcpSocket *socket, const QString &name);

    PrintSession &session_;
    TcpLimits limits_;
    QTcpServer server_;
    std::deque<std::pair<QPointer<QTcpSocket>, QString>> waiting_;
    QPointer<TcpJob> active_;
    int connections_ = 0;
    long refused_ = 0;
};

// One connection's turn: reads what arrives and hands on the commands.
class TcpJob : public QObject
{
    Q_OBJECT
public:
    TcpJob(QTcpSocket *socket, const QString &name, PrintSession &session, const TcpLimits &limits);

    // Reads what is left and ends the job (once).
    void closed();

signals:
    void done();

private:
    void read();
    void cutOff(const QString &why);
    void checkPace();

    QTcpSocket *socket_;
    QString name_;
    PrintSession &session_;
    TcpLimits limits_;
    CommandStream stream_;
    QTimer silence_;
    QTimer pace_;
    QElapsedTimer clock_;
    qint64 received_ = 0;
    bool finished_ = false;
};
