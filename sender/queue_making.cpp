#include "queue_making.h"

#include <QRegularExpression>

namespace {
constexpr int kMaxQueueNameBytes = 127;
} // namespace

QueueNameProblem queueNameProblem(const QString &name, QChar *character)
{
    if (name.isEmpty())
        return QueueNameProblem::Empty;
    if (name.toUtf8().size() > kMaxQueueNameBytes)
        return QueueNameProblem::TooLong;
    for (const QChar c : name) {
        if (c.unicode() <= ' ' || c.unicode() == 127)
            return QueueNameProblem::BlankOrControl;
        if (QStringLiteral("/\\?'\"#@").contains(c)) {
            if (character)
                *character = c;
            return QueueNameProblem::Forbidden;
        }
    }
    return QueueNameProblem::None;
}

QString suggestedQueueName(const QString &model, const QStringList &taken)
{
    static const QRegularExpression others(QStringLiteral("[^A-Za-z0-9._-]+"));
    QString base = model.trimmed();
    base.replace(others, QStringLiteral("_"));
    while (base.startsWith(QLatin1Char('_')))
        base.remove(0, 1);
    while (base.endsWith(QLatin1Char('_')))
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("Receipt");
    base = base.left(kMaxQueueNameBytes - 4);
    auto isTaken = [&](const QString &name) { return taken.contains(name, Qt::CaseInsensitive); };
    QString name = base;
    for (int n = 2; isTaken(name); ++n)
        name = QStringLiteral("%1-%2").arg(base).arg(n);
    return name;
}

bool isPrinterDeviceUri(const QString &uri)
{
    static const QRegularExpression socket(
        QStringLiteral("^socket://(\\[[0-9A-Fa-f:.]+\\]|[^/:?#\\s]+)(:\\d{1,5})?/?$"));
    static const QRegularExpression serial(QStringLiteral("^serial:/dev/[^?\\s]+(\\?\\S*)?$"));
    static const QRegularExpression usb(QStringLiteral("^usb://[^/\\s]+/[^\\s]+$"));
    return (socket.match(uri).hasMatch() || serial.match(uri).hasMatch() || usb.match(uri).hasMatch()) &&
           !uri.contains(QLatin1String("/../"));
}

QueueMaking makePrintQueue(const DravikBinding &lib, const QString &name, const QString &uri, bool replace)
{
    QueueMaking making;
    if (!lib.isLoaded())
        return making;
    if (!lib.addPrintQueue) {
        making.outcome = QueueMade::NoExport;
        return making;
    }
    const int result = lib.addPrintQueue(name.toUtf8().constData(), uri.toUtf8().constData(), replace ? 1 : 0);
    if (result > 0) {
        making.outcome = QueueMade::Made;
        return making;
    }
    making.reason = failureReason(lib);
    making.outcome = result < 0 ? QueueMade::Exists : QueueMade::Failed;
    return making;
}
