// The network side of the virtual printer: a raw TCP port such as a CUPS
// socket:// queue or a POS program prints to. Every connection is a job.
#pragma once

#include "command_stream.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class PrintSession;
class QTcpSocket;

class TcpListener : public QObject
{
    Q_OBJECT
public:
    explicit TcpListener(PrintSession &session, QObject *parent = nullptr);

    bool listen(const QHostAddress &host, quint16 port, QString &error);
    QString address() const;

private:
    void accept();

    PrintSession &session_;
    QTcpServer server_;
    int connections_ = 0;
};

// One accepted connection: reads what arrives and hands on the commands.
class TcpJob : public QObject
{
    Q_OBJECT
public:
    TcpJob(QTcpSocket *socket, const QString &name, PrintSession &session);

private:
    void read();
    void closed();

    QTcpSocket *socket_;
    QString name_;
    PrintSession &session_;
    CommandStream stream_;
    qint64 received_ = 0;
};
