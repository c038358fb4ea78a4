#include "tcp_listener.h"

#include "print_session.h"

#include <QTcpSocket>

TcpListener::TcpListener(PrintSession &session, QObject *parent)
    : QObject(parent)
    , session_(session)
{
    connect(&server_, &QTcpServer::newConnection, this, &TcpListener::accept);
    connect(&server_, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError) {
        session_.note(QStringLiteral("tcp"),
                      QStringLiteral("a connection could not be accepted: %1").arg(server_.errorString()));
    });
}

bool TcpListener::listen(const QHostAddress &host, quint16 port, QString &error)
{
    // A burst of senders waits in the kernel's queue, not refused by it.
    server_.setListenBacklogSize(kBacklog);
    server_.setMaxPendingConnections(std::max(kBacklog, limits_.maxWaiting));
    if (server_.listen(host, port))
        return true;
    error = QStringLiteral("cannot listen on %1:%2: %3").arg(host.toString()).arg(port).arg(server_.errorString());
    return false;
}

QString TcpListener::address() const
{
    return QStringLiteral("%1:%2").arg(server_.serverAddress().toString()).arg(server_.serverPort());
}

QString TcpListener::uri() const
{
    const QString host = server_.serverAddress().toString();
    const bool v6 = server_.serverAddress().protocol() == QAbstractSocket::IPv6Protocol;
    return QStringLiteral("socket://%1:%2")
        .arg(v6 ? QLatin1Char('[') + host + QLatin1Char(']') : host)
        .arg(server_.serverPort());
}

TcpListener::~TcpListener()
{
    if (active_)
        active_->closed();
    for (auto &[socket, name] : waiting_)
        if (socket) {
            session_.note(name, QStringLiteral("closed unprinted: the server stops"));
            socket->abort();
        }
}

void TcpListener::accept()
{
    // Every connection is taken at once, whatever prints meanwhile.
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        const QString name = QStringLiteral("tcp#%1").arg(++connections_);
        const QString peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        if (waiting_.size() >= std::size_t(limits_.maxWaiting)) {
            ++refused_;
            session_.note(name,
                          QStringLiteral("refused the connection from %1: %2 jobs already wait (%3 refused so far)")
                              .arg(peer)
                              .arg(limits_.maxWaiting)
                              .arg(refused_));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setReadBufferSize(kWaitingBuffer);
        session_.note(
            name, active_ || !waiting_.empty()
                      ? QStringLiteral("connected from %1, waits behind %2 job(s)").arg(peer).arg(waiting_.size() + 1)
                      : QStringLiteral("connected from %1").arg(peer));
        waiting_.emplace_back(socket, name);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, name] { answerWaiting(socket, name); });
    }
    startNext();
}

void TcpListener::answerWaiting(QTcpSocket *socket, const QString &name)
{
    const decoder::Result head = decoder::decode(socket->peek(kWaitingBuffer), false);
    std::vector<decoder::Decoded> requests;
    qint64 length = 0;
    for (const decoder::Decoded &c : head.commands) {
        const bool request = c.kind == decoder::Kind::StatusRequest || c.kind == decoder::Kind::IdRequest ||
                             c.kind == decoder::Kind::PaperSensorRequest;
        if (!request || qint64(c.offset) != length)
            break;
        length += qint64(c.length);
        requests.push_back(c);
    }
    if (requests.empty())
        return;
    socket->read(length);
    const QByteArray answers = session_.receive(name, requests);
    if (!answers.isEmpty() && socket->state() == QAbstractSocket::ConnectedState)
        socket->write(answers);
}

void TcpListener::startNext()
{
    while (!active_ && !waiting_.empty()) {
        auto [socket, name] = waiting_.front();
        waiting_.pop_front();
        if (!socket)
            continue;
        socket->setReadBufferSize(0);
        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
        auto *job = new TcpJob(socket, name, session_, limits_);
        active_ = job;
        connect(job, &TcpJob::done, this, &TcpListener::jobDone, Qt::QueuedConnection);
    }
}

void TcpListener::jobDone()
{
    active_ = nullptr;
    startNext();
}

TcpJob::TcpJob(QTcpSocket *socket, const QString &name, PrintSession &session, const TcpLimits &limits)
    : QObject(socket)
    , socket_(socket)
    , name_(name)
    , session_(session)
    , limits_(limits)
{
    connect(socket, &QTcpSocket::readyRead, this, &TcpJob::read);
    connect(socket, &QTcpSocket::disconnected, this, &TcpJob::closed);
    silence_.setSingleShot(true);
    silence_.setInterval(limits_.silentMs);
    connect(&silence_, &QTimer::timeout, this,
            [this] { cutOff(QStringLiteral("silent for %1 s").arg(limits_.silentMs / 1000.0)); });
    silence_.start();
    pace_.setInterval(std::max(10, std::min(limits_.graceMs, 1000)));
    connect(&pace_, &QTimer::timeout, this, &TcpJob::checkPace);
    pace_.start();
    clock_.start();
    // Bytes that came while it waited, or a connection that already ended,
    // once the listener has connected to done().
    QTimer::singleShot(0, this, [this] {
        if (socket_->bytesAvailable() > 0)
            read();
        if (socket_->state() != QAbstractSocket::ConnectedState)
            closed();
    });
}

void TcpJob::checkPace()
{
    const qint64 ms = clock_.elapsed();
    if (ms >= limits_.maxJobMs)
        cutOff(QStringLiteral("still sending after %1 s").arg(limits_.maxJobMs / 1000.0));
    else if (ms >= limits_.graceMs && received_ * 1000 < limits_.minBytesPerSecond * ms)
        cutOff(QStringLiteral("sending %1 bytes in %2 s, under %3 bytes a second")
                   .arg(received_)
                   .arg(ms / 1000.0, 0, 'f', 1)
                   .arg(limits_.minBytesPerSecond));
}

void TcpJob::cutOff(const QString &why)
{
    if (finished_)
        return;
    session_.note(name_, why + QStringLiteral(": closing it"));
    read(); // what came up to now still prints
    socket_->abort();
    closed();
}

void TcpJob::read()
{
    if (!socket_->isOpen() || (finished_ && socket_->bytesAvailable() == 0))
        return;
    const QByteArray bytes = socket_->readAll();
    if (bytes.isEmpty())
        return;
    silence_.start();
    received_ += bytes.size();
    // Requests are answered as soon as they are read, mid-job too.
    const QByteArray answers = session_.receive(name_, stream_.feed(bytes));
    if (!answers.isEmpty() && socket_->state() == QAbstractSocket::ConnectedState)
        socket_->write(answers);
}

void TcpJob::closed()
{
    if (finished_)
        return;
    disconnect(socket_, nullptr, this, nullptr);
    read();
    finished_ = true;
    silence_.stop();
    pace_.stop();
    session_.receive(name_, stream_.finish());
    session_.endJob(name_);
    session_.note(name_, QStringLiteral("closed after %1 bytes").arg(received_));
    emit done();
    socket_->deleteLater();
}
