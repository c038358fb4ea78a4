#include "queue_states.h"

QString QueueState::describe() const
{
    QStringList parts;
    parts << (state == QLatin1String("stopped") ? QStringLiteral("paused") : state);
    if (!accepting)
        parts << QStringLiteral("not accepting jobs");
    QString text = parts.join(QStringLiteral(", "));
    QStringList more = reasons;
    more.removeAll(QStringLiteral("paused")); // already said
    if (!more.isEmpty())
        text += QStringLiteral(" (%1)").arg(more.join(QStringLiteral(", ")));
    if (!message.isEmpty())
        text += QStringLiteral(": ") + message;
    return text;
}

std::vector<QueueState> parseQueueStates(const QStringList &lines)
{
    std::vector<QueueState> states;
    for (const QString &line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() != 5 || f.at(0).isEmpty())
            continue;
        QueueState s;
        s.name = f.at(0);
        s.state = f.at(1);
        s.accepting = f.at(2) != QLatin1String("0");
        s.reasons = f.at(3).split(QLatin1Char(','), Qt::SkipEmptyParts);
        s.message = f.at(4).trimmed();
        states.push_back(std::move(s));
    }
    return states;
}

std::optional<std::vector<QueueState>> queueStates(const DravikBinding &lib)
{
    if (!lib.isLoaded() || !lib.getPrintDriveStates)
        return std::nullopt;
    const QStringList lines = splitLibraryList(lib.getPrintDriveStates());
    if (lines.isEmpty() && lib.lastErrorCode() > DRAVIK_ERROR_NONE)
        return std::nullopt;
    return parseQueueStates(lines);
}

std::optional<QueueState> findQueue(const std::vector<QueueState> &states, const QString &name)
{
    for (const QueueState &s : states)
        if (s.name == name)
            return s;
    return std::nullopt;
}
