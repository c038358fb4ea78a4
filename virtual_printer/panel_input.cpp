#include "panel_input.h"

#include "print_session.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

PanelInput::PanelInput(PrintSession &session, const PrinterConditions &start, int fd, QObject *parent)
    : QObject(parent)
    , session_(session)
    , conditions_(start)
    , fd_(fd)
    , terminal_(::isatty(fd) == 1)
{
    // Reading a terminal from the background then fails instead of
    // stopping the whole server.
    std::signal(SIGTTIN, SIG_IGN);
    again_.setSingleShot(true);
    again_.setInterval(1000);
    connect(&again_, &QTimer::timeout, this, [this] {
        if (notifier_)
            notifier_->setEnabled(true);
    });
    if (::fcntl(fd_, F_GETFD) < 0)
        return; // no standard input at all
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &PanelInput::readable);
}

PanelInput::~PanelInput() = default;

void PanelInput::pause()
{
    notifier_->setEnabled(false);
    // A pipe or file at its end stays there; a terminal may be typed to again.
    if (terminal_)
        again_.start();
}

void PanelInput::readable()
{
    char buffer[512];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return;
    if (n <= 0) {
        pause();
        return;
    }
    for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] != '\n') {
            if (line_.size() < kMaxLine)
                line_ += buffer[i];
            else
                tooLong_ = true;
            continue;
        }
        if (tooLong_)
            session_.note(QStringLiteral("panel"), QStringLiteral("a line of over %1 characters was dropped; %2")
                                                       .arg(kMaxLine)
                                                       .arg(QLatin1String(kConditionLines)));
        else
            take(line_);
        line_.clear();
        tooLong_ = false;
    }
}

void PanelInput::take(const QByteArray &line)
{
    const QString text = QString::fromLocal8Bit(line).trimmed();
    if (text.isEmpty())
        return;
    if (applyConditionLine(text, conditions_)) {
        session_.setConditions(conditions_.paper, conditions_.coverOpen, conditions_.online);
        return;
    }
    // The line is echoed printable and short: it may be anything.
    QString shown = text.left(40);
    for (QChar &c : shown)
        if (!c.isPrint())
            c = QLatin1Char('?');
    session_.note(QStringLiteral("panel"), QStringLiteral("\"%1%2\" is no panel line: %3")
                                               .arg(shown, text.size() > 40 ? QStringLiteral("...") : QString(),
                                                    QLatin1String(kConditionLines)));
}
