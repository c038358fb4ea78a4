// One job's bytes on their way to the printer, handled a slice at a time:
// bytes are decoded as they are taken and their commands applied until the
// slice's time is up, so that no job, whatever it holds, keeps the server
// from answering other connections for longer than a slice and the one
// command under way.
#pragma once

#include "command_stream.h"

#include <QByteArray>
#include <QString>

#include <vector>

class PrintSession;

class JobFeed
{
public:
    JobFeed(PrintSession &session, const QString &name);

    const QString &name() const { return name_; }
    // Bytes of the job, decoded now, applied by run().
    void take(const QByteArray &bytes);
    // The job's bytes ended: what is left is decoded as it stands.
    void finish();
    // Applies the commands taken for about ms milliseconds (at least one;
    // all of them when ms is kWhole) or until none is left, or until the
    // receipts wait to be saved; returns the printer's answers to them.
    QByteArray run(int ms = kSliceMs);
    static constexpr int kWhole = -1;
    // Commands taken and not yet applied.
    bool waiting() const { return next_ < commands_.size(); }

    // A slice: long enough that its end costs little, short enough that
    // other connections are answered well within 100 ms.
    static constexpr int kSliceMs = 10;
    // How soon a job paused for its receipts looks again.
    static constexpr int kSavingWaitMs = 5;

private:
    PrintSession &session_;
    QString name_;
    CommandStream stream_;
    std::vector<decoder::Decoded> commands_;
    std::size_t next_ = 0;
};
