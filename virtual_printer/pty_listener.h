// The serial side of the virtual printer: a pseudo-terminal whose device end
// (/dev/pts/N) a program opens like a serial port. Optionally paced to a real
// port's speed; a job ends when the port has been quiet for a second.
#pragma once

#include "command_stream.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>

class PrintSession;

class PtyListener : public QObject
{
    Q_OBJECT
public:
    // baud 0: read as fast as bytes come.
    PtyListener(PrintSession &session, long baud, QObject *parent = nullptr);
    ~PtyListener() override;

    // Opens the pair; with a link path, also a symlink there to the device.
    bool open(const QString &link, QString &error);
    QString devicePath() const { return device_; }

    static constexpr int kQuietEndMs = 1000;

private:
    void readable();
    void quiet();
    void removeLink();

    PrintSession &session_;
    long baud_;
    int master_ = -1;
    int slave_ = -1; // kept open: the port keeps its raw settings between users
    QString device_;
    QString link_;
    std::unique_ptr<QSocketNotifier> notifier_;
    CommandStream stream_;
    QTimer quietTimer_;
    QTimer paceTimer_;
    // Pacing: bytes taken since the clock was last set against what the
    // speed allows in that time.
    QElapsedTimer clock_;
    qint64 takenSinceClock_ = 0;
    qint64 jobBytes_ = 0;
    int jobs_ = 0;
};
