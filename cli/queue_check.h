// A print queue's fitness, asked of the print server before anything is sent
// to it: a queue the server reports paused or not accepting jobs would only
// hold the job, or refuse it.
#pragma once

#include "queue_states.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Why a job sent to this queue would not print, with the commands that fix
// it ("paused; cupsenable Q resumes it").
QString unusableReason(const QueueState &queue);

// For each of names, why it cannot print now, or an empty text: a queue the
// states list as usable, or one they do not name (its send says more).
// Nothing when the states are not known (every queue is then tried).
std::optional<QStringList> unusableQueues(const std::optional<std::vector<QueueState>> &states,
                                          const QStringList &names);
