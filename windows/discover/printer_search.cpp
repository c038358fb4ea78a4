#include "printer_search.h"

#include <QPointer>
#include <QThread>

PrinterSearch::PrinterSearch(const DravikBinding &lib, QObject *parent)
    : QObject(parent)
    , lib_(lib)
{
}

PrinterSearch::~PrinterSearch()
{
    stop_ = true;
    if (thread_)
        thread_->wait();
}

bool PrinterSearch::start(const FindRequest &given, const QStringList &networkWords)
{
    if (running_)
        return false;
    if (thread_)
        thread_->wait(); // ended already: its finished() came
    running_ = true;
    stop_ = false;
    finds_.clear();
    notes_ = FindNotes();
    networkRefusal_ = ScanTargets();
    // Posted to this object, on its thread; dropped when it is gone.
    auto post = [this](std::function<void()> job) {
        QMetaObject::invokeMethod(this, std::move(job), Qt::QueuedConnection);
    };
    thread_.reset(QThread::create([this, given, networkWords, post] {
        FindRequest request = given;
        ScanTargets refused;
        if (!networkWords.isEmpty()) {
            // A host name's look-up may take a moment: here, not on the window's thread.
            const ScanTargets targets = readScanTargets(networkWords);
            if (targets.problem == ScanWordProblem::None)
                request.hosts = targets.addresses;
            else
                refused = targets;
        }
        FindCallbacks callbacks;
        callbacks.found = [this, post](const Find &find) {
            post([this, find] {
                finds_.push_back(find);
                emit found(int(finds_.size()) - 1);
            });
        };
        callbacks.progress = [this, post](const FindProgress &p) {
            post([this, p] { emit progressed(p.done, p.total, p.printers); });
        };
        const FindResult result = findPrinters(lib_, request, callbacks, &stop_);
        post([this, notes = result.notes, refused] {
            notes_ = notes;
            networkRefusal_ = refused;
            running_ = false;
            emit finished(stop_);
        });
    }));
    thread_->start();
    return true;
}

void PrinterSearch::stop()
{
    if (running_)
        stop_ = true;
}
