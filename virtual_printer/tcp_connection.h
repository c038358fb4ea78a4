// One TCP connection as a printer's port sees it. Bytes are read only when
// asked for: what is not read stays with the sender, held back by TCP
// itself. The sender's last byte (a half-close) leaves the connection open
// for the answers, which go out as the sender takes them; it is closed once
// its job is done and its answers are out (or after kLingerMs), or at once
// when cut off. It deletes itself once closed.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <QTimer>

class TcpConnection : public QObject
{
    Q_OBJECT
public:
    // Takes the accepted socket fd (non-blocking).
    TcpConnection(int fd, const QString &peer, QObject *parent = nullptr);
    ~TcpConnection() override;

    const QString &peer() const { return peer_; }

    // Reads what arrived until `upTo` bytes are held (or none is left).
    void fill(qsizetype upTo);
    // What was read and not yet taken.
    const QByteArray &held() const { return held_; }
    // The first n bytes held, taken.
    QByteArray take(qsizetype n);
    // Up to max bytes: those held first, else what the socket has.
    QByteArray read(qsizetype max);
    // The sender sent its last byte (it half-closed, closed or reset).
    bool ended() const { return ended_; }
    // readable() comes once when bytes or the end arrive, after watch().
    void watch();

    // Answers, written as the sender takes them. A sender that leaves more
    // than kMaxUnsent unread loses the rest, as on a printer's wire (counted).
    void send(const QByteArray &bytes);
    qint64 dropped() const { return dropped_; }
    // Closes once the answers are out (at most kLingerMs from now).
    void closeWhenSent();
    // Closes now; answers not yet out are lost.
    void abort();

    static constexpr qsizetype kMaxUnsent = 1024 * 1024;
    static constexpr int kLingerMs = 10000;

signals:
    void readable();

private:
    void readSome(qsizetype max);
    void writeSome();
    void close();

    int fd_;
    QString peer_;
    QSocketNotifier readNotifier_;
    QSocketNotifier writeNotifier_;
    QByteArray held_;
    QByteArray unsent_;
    bool ended_ = false;
    bool broken_ = false; // nothing more can be written
    bool closing_ = false;
    qint64 dropped_ = 0;
    QTimer linger_;
};
