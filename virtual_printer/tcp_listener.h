// The network side of the virtual printer: a raw TCP port such as a CUPS
// socket:// queue or a POS program prints to. Every connection is a job, and
// like a printer's own port it takes one job at a time: the next connection
// waits until the current one closes. A connection silent for
// kSilentCloseMs is closed, so one stuck sender cannot block the port.
#pragma once

#include "command_stream.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

class PrintSession;
class TcpJob;
class QTcpSocket;

class TcpListener : public QObject
{
    Q_OBJECT
public:
    explicit TcpListener(PrintSession &session, QObject *parent = nullptr);
    // A job still open when the server stops is ended like a closed one:
    // what it sent is decoded, logged and printed.
    ~TcpListener() override;

    bool listen(const QHostAddress &host, quint16 port, QString &error);
    QString address() const;

    static constexpr int kSilentCloseMs = 30000;

private:
    void accept();
    void jobDone();

    PrintSession &session_;
    QTcpServer server_;
    QPointer<TcpJob> active_;
    int connections_ = 0;
    bool busy_ = false;
};

// One accepted connection: reads what arrives and hands on the commands.
class TcpJob : public QObject
{
    Q_OBJECT
public:
    TcpJob(QTcpSocket *socket, const QString &name, PrintSession &session);

    // Reads what is left and ends the job (once).
    void closed();

signals:
    void done();

private:
    void read();

    QTcpSocket *socket_;
    QString name_;
    PrintSession &session_;
    CommandStream stream_;
    QTimer silence_;
    qint64 received_ = 0;
    bool finished_ = false;
};
