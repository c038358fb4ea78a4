#include "status_indicator.h"

#include "call_record.h"
#include "library_worker.h"
#include "printer_query.h"

#include <QMouseEvent>

#include <memory>

namespace {
// Per request: a printer answers in milliseconds; one that does not answer
// should not hold the window long after each send.
constexpr int kQueryTimeoutMs = 500;

const char *styleFor(messages::IndicatorColour colour)
{
    switch (colour) {
    case messages::IndicatorColour::Green:
        return "QLabel { color: white; background: #2e7d32; padding: 0 6px; }";
    case messages::IndicatorColour::Amber:
        return "QLabel { color: black; background: #f9a825; padding: 0 6px; }";
    case messages::IndicatorColour::Red:
        return "QLabel { color: white; background: #c62828; padding: 0 6px; }";
    case messages::IndicatorColour::Grey:
        break;
    }
    return "QLabel { color: #303030; background: #c8c8c8; padding: 0 6px; }";
}

bool samePath(const PrinterTarget &a, const PrinterTarget &b)
{
    return a.portName == b.portName && a.printerName == b.printerName;
}
} // namespace

StatusIndicator::StatusIndicator(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("statusIndicator"));
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    clear();
}

void StatusIndicator::clear()
{
    ++generation_; // an answer on its way is no longer wanted
    known_ = false;
    colour_ = messages::IndicatorColour::Grey;
    setStyleSheet(QString());
    setText(QString());
    setToolTip(QString());
}

void StatusIndicator::retranslate(Language language)
{
    if (known_)
        showReport(last_, language);
}

void StatusIndicator::showReport(const PrinterReport &report, Language language)
{
    last_ = report;
    known_ = true;
    const messages::IndicatorView view =
        queue_ ? messages::indicatorView(report, *queue_, language) : messages::indicatorView(report, language);
    colour_ = view.colour;
    setStyleSheet(QString::fromLatin1(styleFor(view.colour)));
    setText(view.text);
    setToolTip(view.tooltip);
}

bool StatusIndicator::ask(const PrinterSession &session, Language language, bool byUser)
{
    const DravikBinding &lib = session.library();
    const PrinterTarget target = session.linkTarget();
    PrinterReport report;
    if (!session.can(SessionAction::Query)) {
        report.state = lib.isLoaded() ? QueryState::NoExport : QueryState::NoLibrary;
        showReport(report, language);
        return true;
    }
    if (target.printerName.trimmed().isEmpty()) {
        clear();
        return true;
    }
    if (!byUser && samePath(target, silent_))
        return true; // told already: this path carries no answers
    if (asking_) {
        // Asked again once the question on its way is answered.
        again_ = Again{&session, language, byUser || (again_ && again_->byUser)};
        return false;
    }
    asking_ = true;
    QueryOptions options;
    options.timeoutMs = kQueryTimeoutMs;
    auto answer = std::make_shared<PrinterReport>();
    auto queue = std::make_shared<std::optional<QueueState>>();
    const PrinterSession *from = &session;
    const int generation = generation_;
    // The question owns what it uses: a window that closes meanwhile does
    // not wait for it, and its answer is then dropped.
    LibraryWorker::instance().postLeavable(
        this,
        [lib = lib.twin(), target, options, answer, queue] {
            *answer = queryPrinter(*lib, target, options);
            // A print queue the server keeps from printing is no "Ready" printer.
            if (target.isQueue())
                if (const auto states = queueStates(*lib))
                    *queue = findQueue(*states, target.printerName);
        },
        [this, from, target, answer, queue, language, byUser, generation] {
            asking_ = false;
            if (generation == generation_)
                answered(*from, target, *answer, *queue, language, byUser);
            if (const std::optional<Again> next = std::exchange(again_, std::nullopt))
                ask(*next->session, next->language, next->byUser);
        });
    return true;
}

void StatusIndicator::take(const PrinterSession &session, const PrinterReport &report, Language language)
{
    PrinterReport merged = report;
    const PrinterTarget target = session.linkTarget();
    if (known_ && samePath(target, lastTarget_) && merged.identity.maker.isEmpty() && merged.identity.model.isEmpty())
        merged.identity = last_.identity;
    ++generation_; // a question asked before this answer says less than it
    answered(session, target, merged, samePath(target, lastTarget_) ? queue_ : std::nullopt, language, false);
}

bool StatusIndicator::mayAsk(const PrinterSession &session) const
{
    return !samePath(session.linkTarget(), silent_);
}

void StatusIndicator::answered(const PrinterSession &session, const PrinterTarget &target, const PrinterReport &report,
                               const std::optional<QueueState> &queue, Language language, bool byUser)
{
    // The user chose another path meanwhile: this answer is not its.
    if (!samePath(session.linkTarget(), target))
        return;
    silent_ = report.state == QueryState::NoAnswers ? target : PrinterTarget{};
    lastTarget_ = target;
    answeredAt_.start();
    queue_ = queue;

    showReport(report, language);
    CallEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.target = target.portName + QLatin1Char(' ') + target.printerName;
    entry.name = QStringLiteral("QueryPrinter");
    entry.outcome = CallEntry::Outcome::Asked;
    entry.reason =
        (queue ? messages::indicatorView(report, *queue, language) : messages::indicatorView(report, language))
            .recordLine;
    // After every send the same answer would crowd out the sends.
    const QString key = entry.target + QLatin1Char('\n') + entry.reason;
    if (byUser || key != recorded_) {
        recorded_ = key;
        CallRecord::shared().add(std::move(entry));
    }
}

void StatusIndicator::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}
