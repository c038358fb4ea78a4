#include "tcp_connection.h"

#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

TcpConnection::TcpConnection(int fd, const QString &peer, QObject *parent)
    : QObject(parent)
    , fd_(fd)
    , peer_(peer)
    , readNotifier_(fd, QSocketNotifier::Read)
    , writeNotifier_(fd, QSocketNotifier::Write)
{
    readNotifier_.setEnabled(false);
    writeNotifier_.setEnabled(false);
    // Once: the reader asks again (watch) when it wants more.
    connect(&readNotifier_, &QSocketNotifier::activated, this, [this] {
        readNotifier_.setEnabled(false);
        emit readable();
    });
    connect(&writeNotifier_, &QSocketNotifier::activated, this, &TcpConnection::writeSome);
    linger_.setSingleShot(true);
    linger_.setInterval(kLingerMs);
    connect(&linger_, &QTimer::timeout, this, &TcpConnection::close);
}

TcpConnection::~TcpConnection()
{
    readNotifier_.setEnabled(false);
    writeNotifier_.setEnabled(false);
    if (fd_ >= 0)
        ::close(fd_);
}

void TcpConnection::readSome(qsizetype max)
{
    if (ended_ || fd_ < 0 || max <= 0)
        return;
    const qsizetype had = held_.size();
    held_.resize(had + max);
    ssize_t n = -1;
    do
        n = ::recv(fd_, held_.data() + had, std::size_t(max), 0);
    while (n < 0 && errno == EINTR);
    held_.resize(had + qsizetype(qMax<ssize_t>(n, 0)));
    if (n == 0) {
        ended_ = true;
    } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        ended_ = true; // reset: what came is all there is
        broken_ = true;
        unsent_.clear();
    }
}

void TcpConnection::fill(qsizetype upTo)
{
    while (!ended_ && held_.size() < upTo) {
        const qsizetype had = held_.size();
        readSome(upTo - had);
        if (held_.size() == had)
            break;
    }
}

QByteArray TcpConnection::take(qsizetype n)
{
    const QByteArray taken = held_.left(n);
    held_.remove(0, n);
    return taken;
}

QByteArray TcpConnection::read(qsizetype max)
{
    if (held_.isEmpty())
        readSome(max);
    return take(max);
}

void TcpConnection::watch()
{
    if (ended_ || fd_ < 0)
        emit readable(); // nothing more will come: said at once
    else
        readNotifier_.setEnabled(true);
}

void TcpConnection::send(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    if (broken_ || fd_ < 0 || closing_ || unsent_.size() >= kMaxUnsent) {
        dropped_ += bytes.size();
        return;
    }
    unsent_ += bytes;
    writeSome();
}

void TcpConnection::writeSome()
{
    while (!unsent_.isEmpty() && !broken_) {
        const ssize_t n = ::send(fd_, unsent_.constData(), std::size_t(unsent_.size()), MSG_NOSIGNAL);
        if (n > 0) {
            unsent_.remove(0, qsizetype(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        broken_ = true; // the other end is gone: nobody reads the answers
        dropped_ += unsent_.size();
        unsent_.clear();
    }
    writeNotifier_.setEnabled(!unsent_.isEmpty() && !broken_);
    if (closing_ && unsent_.isEmpty())
        close();
}

void TcpConnection::closeWhenSent()
{
    if (closing_)
        return;
    closing_ = true;
    readNotifier_.setEnabled(false);
    if (unsent_.isEmpty() || broken_)
        close();
    else
        linger_.start();
}

void TcpConnection::abort()
{
    closing_ = true;
    unsent_.clear();
    close();
}

void TcpConnection::close()
{
    readNotifier_.setEnabled(false);
    writeNotifier_.setEnabled(false);
    linger_.stop();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    ended_ = true;
    deleteLater();
}
