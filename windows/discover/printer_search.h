// The window's search for printers: the tool's finder run on a thread of its
// own (a search takes seconds and has a Stop), each find handed to the
// window's thread as it comes. Every library call of the search runs on that
// thread, never on the window's.
#pragma once

#include "printer_finder.h"

#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>
#include <vector>

class QThread;

class PrinterSearch : public QObject
{
    Q_OBJECT
public:
    PrinterSearch(const DravikBinding &lib, QObject *parent = nullptr);
    // Stops a search under way and waits for its end (bounded: each part of
    // the search ends within seconds once stopped).
    ~PrinterSearch() override;

    // Starts a search; networkWords as the tool reads them (empty: the
    // network is not searched). False while one is under way.
    bool start(const FindRequest &request, const QStringList &networkWords);
    // Asks the search under way to end soon; finished() follows.
    void stop();
    bool running() const { return running_; }
    bool stopping() const { return running_ && stop_; }

    // What was found so far, in the order it came.
    const std::vector<Find> &finds() const { return finds_; }
    const FindNotes &notes() const { return notes_; }
    // Why the network words were not searched (problem None when they were).
    const ScanTargets &networkRefusal() const { return networkRefusal_; }

signals:
    void found(int index);
    void progressed(int done, int total, int printers);
    void finished(bool stopped);

private:
    const DravikBinding &lib_;
    std::atomic<bool> stop_{false};
    bool running_ = false;
    std::unique_ptr<QThread> thread_;
    std::vector<Find> finds_;
    FindNotes notes_;
    ScanTargets networkRefusal_;
};
