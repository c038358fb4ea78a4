#include "tcp_listener.h"

#include "errno_text.h"
#include "print_session.h"
#include "tcp_connection.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Bytes read from a job's connection at a time.
constexpr qsizetype kReadBytes = 16 * 1024;

// The open-file limit of the process (soft), raised towards the hard limit
// as far as `wanted` first.
qint64 fileLimit(qint64 wanted)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 1024;
    if (limit.rlim_cur != RLIM_INFINITY && qint64(limit.rlim_cur) < wanted &&
        (limit.rlim_max == RLIM_INFINITY || qint64(limit.rlim_max) > qint64(limit.rlim_cur))) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? rlim_t(wanted) : std::min(rlim_t(wanted), limit.rlim_max);
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
            limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? wanted : qint64(limit.rlim_cur);
}

QString peerOf(const sockaddr_storage &address)
{
    TcpEndpoint peer;
    peer.host = QHostAddress(reinterpret_cast<const sockaddr *>(&address));
    peer.port = address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port)
                                              : ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    return endpointText(peer);
}

} // namespace

TcpListener::TcpListener(PrintSession &session, QObject *parent)
    : QObject(parent)
    , session_(session)
{
    acceptAgain_.setSingleShot(true);
    acceptAgain_.setInterval(kAcceptRetryMs);
    connect(&acceptAgain_, &QTimer::timeout, this, [this] {
        for (Port &port : ports_)
            port.notifier->setEnabled(true);
    });
}

TcpListener::~TcpListener()
{
    for (Port &port : ports_) {
        port.notifier.reset();
        ::close(port.fd);
    }
    if (active_)
        active_->finishNow();
    for (Waiting &w : waiting_)
        if (w.connection) {
            session_.note(w.name, QStringLiteral("closed unprinted: the server stops"));
            session_.endLog(w.name);
            w.connection->abort();
        }
}

int TcpListener::connectionLimit() const
{
    const qint64 wanted = qint64(limits_.maxWaiting) + 1;
    const qint64 files = fileLimit(wanted + kReservedFiles + qint64(ports_.size()));
    return int(std::clamp<qint64>(files - kReservedFiles - qint64(ports_.size()), 1, wanted));
}

bool TcpListener::listen(const QHostAddress &host, quint16 port, QString &error)
{
    const bool v6 = host.protocol() == QAbstractSocket::IPv6Protocol;
    TcpEndpoint endpoint{host, port};
    const int fd = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_storage address{};
    socklen_t length = 0;
    if (v6) {
        auto &a = reinterpret_cast<sockaddr_in6 &>(address);
        a.sin6_family = AF_INET6;
        a.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = host.toIPv6Address();
        std::memcpy(&a.sin6_addr, &bytes, sizeof a.sin6_addr);
        length = sizeof a;
    } else {
        auto &a = reinterpret_cast<sockaddr_in &>(address);
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(host.toIPv4Address());
        length = sizeof a;
    }
    const int on = 1;
    const bool ok = fd >= 0 && ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0 &&
                    (!v6 || ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on) == 0) &&
                    ::bind(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0 &&
                    ::listen(fd, kBacklog) == 0 &&
                    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0;
    if (!ok) {
        error = QStringLiteral("cannot listen on %1: %2").arg(endpointText(endpoint), errnoText(errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    endpoint.port = v6 ? ntohs(reinterpret_cast<const sockaddr_in6 &>(address).sin6_port)
                       : ntohs(reinterpret_cast<const sockaddr_in &>(address).sin_port);
    Port p;
    p.fd = fd;
    p.endpoint = endpoint;
    p.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    const std::size_t index = ports_.size();
    connect(p.notifier.get(), &QSocketNotifier::activated, this, [this, index] { accept(ports_[index]); });
    ports_.push_back(std::move(p));
    const int limit = connectionLimit();
    if (index == 0 && limit < limits_.maxWaiting + 1)
        session_.note(QStringLiteral("tcp"), QStringLiteral("the open-file limit lets %1 connections in at once (one "
                                                            "printing, the rest waiting); more are refused")
                                                 .arg(limit));
    return true;
}

QString TcpListener::address(int i) const
{
    return i >= 0 && std::size_t(i) < ports_.size() ? endpointText(ports_[std::size_t(i)].endpoint) : QString();
}

QString TcpListener::uri(int i) const
{
    return QStringLiteral("socket://") + address(i);
}

void TcpListener::accept(Port &port)
{
    // Every connection is taken at once, whatever prints meanwhile.
    for (;;) {
        sockaddr_storage from{};
        socklen_t length = sizeof from;
        const int fd = ::accept4(port.fd, reinterpret_cast<sockaddr *>(&from), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of files (or another lack): the connections wait in the
                // kernel's queue and are looked at again shortly.
                if (!acceptFailing_)
                    session_.note(QStringLiteral("tcp"),
                                  QStringLiteral("connections cannot be accepted now (%1): they wait and are tried "
                                                 "again")
                                      .arg(errnoText(errno)));
                acceptFailing_ = true;
                for (Port &p : ports_)
                    p.notifier->setEnabled(false);
                acceptAgain_.start();
            }
            break;
        }
        acceptFailing_ = false;
        const QString name = QStringLiteral("tcp#%1").arg(++connections_);
        const QString peer = peerOf(from);
        const int limit = connectionLimit();
        if (open_ >= limit) {
            ++refused_;
            session_.note(name, QStringLiteral("refused the connection from %1: %2 connections are open, as many as "
                                               "may be (%3 refused so far)")
                                    .arg(peer)
                                    .arg(open_)
                                    .arg(refused_));
            ::close(fd);
            continue;
        }
        auto *connection = new TcpConnection(fd, peer, this);
        ++open_;
        connect(connection, &QObject::destroyed, this, [this, connection] {
            --open_;
            dropWaiting(connection);
        });
        // On several addresses, the one it came to too.
        const QString who =
            ports_.size() > 1 ? QStringLiteral("%1 to %2").arg(peer, endpointText(port.endpoint)) : peer;
        session_.note(
            name, active_ || !waiting_.empty()
                      ? QStringLiteral("connected from %1, waits behind %2 job(s)").arg(who).arg(waiting_.size() + 1)
                      : QStringLiteral("connected from %1").arg(who));
        waiting_.push_back(Waiting{connection, name, 0, false});
        connect(connection, &TcpConnection::readable, this, [this, connection] {
            if (Waiting *w = waitingOf(connection))
                answerWaiting(*w);
        });
        connection->watch();
    }
    startNext();
}

TcpListener::Waiting *TcpListener::waitingOf(const TcpConnection *connection)
{
    for (Waiting &w : waiting_)
        if (w.connection == connection)
            return &w;
    return nullptr;
}

void TcpListener::dropWaiting(const TcpConnection *connection)
{
    // A connection being destroyed no longer compares equal: it is null.
    waiting_.erase(
        std::remove_if(waiting_.begin(), waiting_.end(),
                       [connection](const Waiting &w) { return !w.connection || w.connection == connection; }),
        waiting_.end());
}

void TcpListener::answerWaiting(Waiting &w)
{
    TcpConnection *connection = w.connection;
    connection->fill(kWaitingBuffer);
    // Requests begin with DLE or GS: anything else is print data at once,
    // not looked at again however it arrives.
    const QByteArray &held = connection->held();
    if (!held.isEmpty() && held.front() != '\x10' && held.front() != '\x1d')
        w.printData = true;
    if (!w.printData) {
        std::vector<decoder::Decoded> requests;
        qsizetype length = 0;
        decoder::decodeEach(connection->held().constData(), std::size_t(connection->held().size()), false,
                            [&](const decoder::Decoded &c) {
                                if (w.printData || !decoder::isRequest(c.kind)) {
                                    w.printData = true;
                                    return;
                                }
                                length += qsizetype(c.length);
                                requests.push_back(c);
                            });
        if (!requests.empty()) {
            connection->take(length);
            w.answered += length;
            connection->send(session_.receive(w.name, requests));
        }
    }
    if (connection->ended() && connection->held().isEmpty()) {
        // All it sent were requests, answered: nothing waits to be printed.
        const QString name = w.name;
        session_.note(name,
                      w.answered > 0
                          ? QStringLiteral("closed after %1 bytes, all of them requests (answered)").arg(w.answered)
                          : QStringLiteral("closed without sending a byte"));
        session_.endLog(name);
        dropWaiting(connection);
        connection->closeWhenSent();
        return;
    }
    // Its sender is held back by TCP once the buffer is full; the end of
    // its bytes is seen when its turn comes.
    if (!connection->ended() && connection->held().size() < kWaitingBuffer)
        connection->watch();
}

void TcpListener::startNext()
{
    while (!active_ && !waiting_.empty()) {
        const Waiting next = waiting_.front();
        waiting_.pop_front();
        if (!next.connection)
            continue;
        disconnect(next.connection, &TcpConnection::readable, this, nullptr);
        auto *job = new TcpJob(next.connection, next.name, session_, limits_, next.answered, this);
        active_ = job;
        connect(job, &TcpJob::done, this, &TcpListener::jobDone, Qt::QueuedConnection);
    }
}

void TcpListener::jobDone()
{
    if (active_)
        active_->deleteLater();
    active_ = nullptr;
    startNext();
}

TcpJob::TcpJob(TcpConnection *connection, const QString &name, PrintSession &session, const TcpLimits &limits,
               qint64 answeredBefore, QObject *parent)
    : QObject(parent)
    , connection_(connection)
    , session_(session)
    , limits_(limits)
    , feed_(session, name)
    , received_(answeredBefore)
{
    next_.setSingleShot(true);
    connect(&next_, &QTimer::timeout, this, &TcpJob::pump);
    connect(connection, &TcpConnection::readable, this, [this] {
        if (waiting_.isValid())
            waitedMs_ += waiting_.elapsed();
        waiting_.invalidate();
        silence_.stop();
        pump();
    });
    silence_.setSingleShot(true);
    silence_.setInterval(limits_.silentMs);
    connect(&silence_, &QTimer::timeout, this,
            [this] { cutOff(QStringLiteral("silent for %1 s").arg(limits_.silentMs / 1000.0)); });
    pace_.setInterval(std::max(10, std::min(limits_.graceMs, 1000)));
    connect(&pace_, &QTimer::timeout, this, &TcpJob::checkPace);
    pace_.start();
    clock_.start();
    // Once the listener has connected to done().
    next_.start();
}

qint64 TcpJob::waitedMs() const
{
    return waitedMs_ + (waiting_.isValid() ? waiting_.elapsed() : 0);
}

void TcpJob::pump()
{
    if (ended_)
        return;
    QElapsedTimer slice;
    slice.start();
    for (;;) {
        if (feed_.waiting()) {
            const QByteArray answers = feed_.run(int(std::max<qint64>(1, JobFeed::kSliceMs - slice.elapsed())));
            if (connection_)
                connection_->send(answers);
        }
        if (feed_.waiting() || slice.elapsed() >= JobFeed::kSliceMs) {
            // The rest after what else waits, or once its receipts are saved.
            next_.start(session_.savingBehind() ? JobFeed::kSavingWaitMs : 0);
            return;
        }
        if (!inputDone_) {
            const QByteArray bytes = connection_ ? connection_->read(kReadBytes) : QByteArray();
            if (!bytes.isEmpty()) {
                received_ += bytes.size();
                feed_.take(bytes);
                continue;
            }
            if (connection_ && !connection_->ended()) {
                waitForBytes();
                return;
            }
            inputDone_ = true; // its sender sent its last byte
            pace_.stop();
            feed_.finish();
            continue;
        }
        end();
        return;
    }
}

void TcpJob::waitForBytes()
{
    waiting_.start();
    silence_.start();
    connection_->watch();
}

void TcpJob::checkPace()
{
    const qint64 ms = clock_.elapsed();
    if (ms >= limits_.maxJobMs)
        cutOff(QStringLiteral("still sending after %1 s").arg(limits_.maxJobMs / 1000.0));
    // The rate over the time spent waiting for its bytes: a sender held
    // back while its job prints is not slow.
    else if (ms >= limits_.graceMs && received_ * 1000 < limits_.minBytesPerSecond * waitedMs())
        cutOff(QStringLiteral("sending %1 bytes in %2 s, under %3 bytes a second")
                   .arg(received_)
                   .arg(ms / 1000.0, 0, 'f', 1)
                   .arg(limits_.minBytesPerSecond));
}

void TcpJob::cutOff(const QString &why)
{
    if (inputDone_ || ended_)
        return;
    session_.note(feed_.name(), why + QStringLiteral(": closing it"));
    // What came up to now still prints.
    if (connection_) {
        for (QByteArray bytes; !(bytes = connection_->read(kReadBytes)).isEmpty();) {
            received_ += bytes.size();
            feed_.take(bytes);
        }
        connection_->abort();
    }
    inputDone_ = true;
    silence_.stop();
    pace_.stop();
    feed_.finish();
    next_.start();
}

void TcpJob::finishNow()
{
    if (ended_)
        return;
    if (!inputDone_ && connection_)
        for (QByteArray bytes; !(bytes = connection_->read(kReadBytes)).isEmpty();) {
            received_ += bytes.size();
            feed_.take(bytes);
        }
    if (!inputDone_)
        feed_.finish();
    inputDone_ = true;
    while (feed_.waiting()) {
        const QByteArray answers = feed_.run(JobFeed::kWhole);
        if (connection_)
            connection_->send(answers);
    }
    end();
}

void TcpJob::end()
{
    if (ended_)
        return;
    ended_ = true;
    next_.stop();
    silence_.stop();
    pace_.stop();
    session_.endJob(feed_.name());
    // Closed once its receipts are saved and its answers are out; the next
    // job prints meanwhile.
    session_.whenReceiptsSaved([connection = connection_, name = feed_.name(), received = received_,
                                &session = session_] {
        QString said = QStringLiteral("closed after %1 bytes").arg(received);
        if (connection && connection->dropped() > 0)
            said +=
                QStringLiteral("; %1 answer bytes were not read by the sender and are lost").arg(connection->dropped());
        session.note(name, said);
        if (connection)
            connection->closeWhenSent();
    });
    emit done();
}
