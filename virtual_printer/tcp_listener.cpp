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

TcpListener::~TcpListener()
{
    if (active_)
        active_->closed();
}

void TcpListener::accept()
{
    if (busy_)
        return;
    QTcpSocket *socket = server_.nextPendingConnection();
    if (!socket)
        return;
    busy_ = true;
    server_.pauseAccepting();
    const QString name = QStringLiteral("tcp#%1").arg(++connections_);
    session_.note(name, QStringLiteral("connected from %1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort()));
    auto *job = new TcpJob(socket, name, session_);
    active_ = job;
    connect(job, &TcpJob::done, this, &TcpListener::jobDone, Qt::QueuedConnection);
}

void TcpListener::jobDone()
{
    busy_ = false;
    server_.resumeAccepting();
    accept(); // one that was already waiting
}

TcpJob::TcpJob(QTcpSocket *socket, const QString &name, PrintSession &session)
    : QObject(socket)
    , socket_(socket)
    , name_(name)
    , session_(session)
{
    connect(socket, &QTcpSocket::readyRead, this, &TcpJob::read);
    connect(socket, &QTcpSocket::disconnected, this, &TcpJob::closed);
    silence_.setSingleShot(true);
    silence_.setInterval(TcpListener::kSilentCloseMs);
    connect(&silence_, &QTimer::timeout, this, [this] {
        session_.note(name_, QStringLiteral("silent for %1 s: closing it").arg(TcpListener::kSilentCloseMs / 1000));
        socket_->abort();
        closed();
    });
    silence_.start();
    // Bytes that came with the connection itself, or a connection that
    // already ended, once the listener has connected to done().
    QTimer::singleShot(0, this, [this] {
        if (socket_->bytesAvailable() > 0)
            read();
        if (socket_->state() != QAbstractSocket::ConnectedState)
            closed();
    });
}

void TcpJob::read()
{
    if (finished_ && socket_->bytesAvailable() == 0)
        return;
    const QByteArray bytes = socket_->readAll();
    silence_.start();
    received_ += bytes.size();
    session_.receive(name_, stream_.feed(bytes));
}

void TcpJob::closed()
{
    if (finished_)
        return;
    finished_ = true;
    disconnect(socket_, nullptr, this, nullptr);
    read();
    silence_.stop();
    session_.receive(name_, stream_.finish());
    session_.endJob(name_);
    session_.note(name_, QStringLiteral("closed after %1 bytes").arg(received_));
    emit done();
    socket_->deleteLater();
}
