// Ends the event loop on SIGINT, SIGTERM and SIGHUP (SIGPIPE is ignored): the
// handler only writes a byte to a pipe; the loop reads it and quits, so the
// server cleans up normally.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

class QuitOnSignal : public QObject
{
    Q_OBJECT
public:
    QuitOnSignal();
    ~QuitOnSignal() override; // restores the default handlers

    bool installed() const { return notifier_ != nullptr; }
    // The signal that ended the loop, 0 while none came.
    int received() const { return received_; }

private:
    void wake();

    std::unique_ptr<QSocketNotifier> notifier_;
    int received_ = 0;
};
