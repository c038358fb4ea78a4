#include "queue_check.h"

#include "tool_text.h"

QString unusableReason(const QueueState &queue)
{
    QStringList fixes;
    if (queue.state == QLatin1String("stopped"))
        fixes << Nemboport::tr("cupsenable %1 resumes it").arg(queue.name);
    if (!queue.accepting)
        fixes << Nemboport::tr("cupsaccept %1 lets it take jobs").arg(queue.name);
    return QStringLiteral("%1; %2").arg(queue.describe(), fixes.join(QStringLiteral(", ")));
}

std::optional<QStringList> unusableQueues(const std::optional<std::vector<QueueState>> &states,
                                          const QStringList &names)
{
    if (!states)
        return std::nullopt;
    QStringList reasons;
    for (const QString &name : names) {
        const std::optional<QueueState> state = findQueue(*states, name);
        reasons << (state && !state->usable() ? unusableReason(*state) : QString());
    }
    return reasons;
}
