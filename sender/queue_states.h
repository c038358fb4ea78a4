// The print queues' own state, as the library's optional GetPrintDriveStates
// lists it: one line per queue, NAME, STATE, ACCEPTING, REASONS and MESSAGE
// separated by tabs. Widget-free.
#pragma once

#include "dravik_binding.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct QueueState
{
    QString name;
    QString state; // "idle", "printing" or "stopped"
    bool accepting = true;
    QStringList reasons; // the print server's reason keywords ("paused", "media-empty-error"...)
    QString message;     // the print server's message, possibly empty

    // Paused (stopped) or not accepting jobs: a job sent there would wait or be refused.
    bool usable() const { return state != QLatin1String("stopped") && accepting; }
    // The state in plain English words: "idle", "paused, not accepting jobs (reasons: ...)".
    QString describe() const;
};

// Reads the library's list; lines that do not have the five fields are left out.
std::vector<QueueState> parseQueueStates(const QStringList &lines);

// The queues' states, or nothing when the library lacks the export or the
// listing failed (the library's error code and text then say why).
std::optional<std::vector<QueueState>> queueStates(const DravikBinding &lib);

// The state of one queue in a list, or nothing.
std::optional<QueueState> findQueue(const std::vector<QueueState> &states, const QString &name);
