// Finding the rate a serial printer listens at, from the window: the tool's
// rate search on the chosen port, closed, run on the library's worker thread
// while the status line says which rate is tried; the rate found is then
// shown in the connection's rate list, ready for Open.
#include "connection_panel.h"

#include "messages.h"
#include "notifier.h"
#include "rate_search.h"

#include <QComboBox>
#include <QPointer>
#include <QRadioButton>

bool ConnectionPanel::canFindRate() const
{
    return session_.library().isLoaded() && session_.isSerial() && !session_.portOpen() &&
           !cmbCom->currentText().trimmed().isEmpty();
}

void ConnectionPanel::findSerialRate()
{
    if (!canFindRate())
        return;
    const QString port = cmbCom->currentText().trimmed();
    Target target;
    target.kind = Target::Kind::Serial;
    target.names = QStringList{port};

    // The search's own lines are not shown: its outcome is worded here.
    QString outText;
    QString errText;
    QTextStream out(&outText);
    QTextStream err(&errText);
    CliContext ctx{out, err};
    const DravikBinding &lib = session_.library();
    RateFound found;
    const QPointer<ConnectionPanel> self(this);
    const RateTrying trying = [self, port](std::uint32_t rate, int index, int count) {
        QMetaObject::invokeMethod(
            self,
            [self, port, rate, index, count] {
                if (self)
                    self->sender_.show([=] { return messages::tryingRate(port, rate, index + 1, count); });
            },
            Qt::QueuedConnection);
    };
    CallProgress progress;
    progress.bar = sender_.progressBar;
    progress.language = sender_.lang();
    if (!librarycall::run([&] { found = findRate(ctx, lib, target, trying); }, progress))
        return; // another call is in flight
    // The last progress line may still be on its way: the outcome comes after it.
    QMetaObject::invokeMethod(
        this,
        [this, port, found] {
            if (found.rate) {
                const int index = cmbBaudRate->findText(QString::number(found.rate));
                if (index >= 0)
                    cmbBaudRate->setCurrentIndex(index);
                const std::uint32_t rate = found.rate;
                sender_.show([=] { return messages::rateFound(port, rate); });
                return;
            }
            const QString problem = found.error;
            sender_.show([=] { return messages::rateNotFound(port, problem); });
        },
        Qt::QueuedConnection);
}
