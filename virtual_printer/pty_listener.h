// The serial side of the virtual printer: a pseudo-terminal whose device end
// (/dev/pts/N) a program opens like a serial port. Optionally paced to a real
// port's speed; a job ends when the port has been quiet for a second. When
// paced, it reads and answers at that speed only: a program that set the
// port to another rate reads garbage back, as from a printer. The speed
// follows the printer's baud-rate setting once a command changed it (see
// VirtualPrinter::portRate). A job is handled in slices (JobFeed): while
// its commands wait, nothing more is read.
#pragma once

#include "job_feed.h"

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
    // baud 0: read as fast as bytes come; else paced, at first at baud.
    PtyListener(PrintSession &session, long baud, QObject *parent = nullptr);
    ~PtyListener() override;

    // Opens the pair; with a link path, also a symlink there to the device.
    bool open(const QString &link, QString &error);
    QString devicePath() const { return device_; }

    static constexpr int kQuietEndMs = 1000;

private:
    void readable();
    // Applies what waits for a slice, then reads on or comes back.
    void pump();
    void quiet();
    // Paced: reads at the rate the printer's port runs at now.
    void followPortRate();
    // Sends the printer's answers back to the other end.
    void answer(const QString &name, const QByteArray &bytes);
    void removeLink();

    PrintSession &session_;
    long baud_;
    int master_ = -1;
    int slave_ = -1; // kept open: the port keeps its raw settings between users
    QString device_;
    QString link_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<JobFeed> feed_; // the job under way
    long answerRate_ = 0;           // the rate its answers are read at (0: the printer's own)
    QTimer quietTimer_;
    QTimer paceTimer_;
    QTimer next_;
    // Pacing: bytes taken since the clock was last set against what the
    // speed allows in that time.
    QElapsedTimer clock_;
    qint64 takenSinceClock_ = 0;
    qint64 jobBytes_ = 0;
    int jobs_ = 0;
    long rateSaid_ = 0; // the other end's rate last logged as garbling, in this job
};
