#include "tcp_listener.h"

#include "print_session.h"

#include <QTcpSocket>

TcpListener::TcpListener(PrintSession &session, QObject *parent)
    : QObject(parent)
    , session_(session)
{
    connect(&server_, &QTcpServer::newConnection, this, &TcpListener::accept);
}

bool TcpListener::listen(const QHostAddress &host, quint16 port, QString &error)
{
    if (server_.listen(host, port))
        return true;
    error = QStringLiteral("cannot listen on %1:%2: %3").arg(host.toString()).arg(port).arg(server_.errorString());
    return false;
}

QString TcpListener::address() const
{
    return QStringLiteral("%1:%2").arg(server_.serverAddress().toString()).arg(server_.serverPort());
}

void TcpListener::accept()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        const QString name = QStringLiteral("tcp#%1").arg(++connections_);
        session_.note(name, QStringLiteral("connected from %1:%2")
                                .arg(socket->peerAddress().toString())
                                .arg(socket->peerPort()));
        new TcpJob(socket, name, session_);
    }
}

TcpJob::TcpJob(QTcpSocket *socket, const QString &name, PrintSession &session)
    : QObject(socket)
    , socket_(socket)
    , name_(name)
    , session_(session)
{
    connect(socket, &QTcpSocket::readyRead, this, &TcpJob::read);
    connect(socket, &QTcpSocket::disconnected, this, &TcpJob::closed);
    // Bytes that came with the connection itself.
    if (socket->bytesAvailable() > 0)
        read();
    if (socket->state() != QAbstractSocket::ConnectedState)
        closed();
}

void TcpJob::read()
{
    const QByteArray bytes = socket_->readAll();
    received_ += bytes.size();
    session_.receive(name_, stream_.feed(bytes));
}

void TcpJob::closed()
{
    disconnect(socket_, nullptr, this, nullptr);
    read();
    session_.receive(name_, stream_.finish());
    session_.endJob(name_);
    session_.note(name_, QStringLiteral("closed after %1 bytes").arg(received_));
    socket_->deleteLater();
}
