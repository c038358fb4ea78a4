// The status bar below the designed layout, the record of this run and the
// serial port calls that go through the library's worker thread.
#include "main_window.h"

#include "call_record.h"
#include "library_call.h"
#include "messages.h"
#include "record_window.h"
#include "status_indicator.h"
#include "status_line.h"

#include <QComboBox>
#include <QKeySequence>
#include <QProgressBar>
#include <QShortcut>
#include <QStatusBar>

namespace {
constexpr int kStatusHeight = 20;
}

void TfrmMain::buildStatusLine()
{
    // The window grows by the bar's height; nothing above it moves.
    const int top = height();
    setFixedSize(width(), top + kStatusHeight);

    sbStatus = new QStatusBar(this);
    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    sbStatus->setGeometry(0, top, width(), kStatusHeight);
    sbStatus->setSizeGripEnabled(false);
    statusLine = new StatusLine(sbStatus);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    sbStatus->addWidget(statusLine, 1);
    callProgress = new QProgressBar(sbStatus);
    callProgress->setObjectName(QStringLiteral("callProgress"));
    callProgress->setFixedWidth(260);
    callProgress->setTextVisible(true);
    callProgress->hide();
    sbStatus->addPermanentWidget(callProgress);
    statusIndicator = new StatusIndicator(sbStatus);
    statusIndicator->setMinimumWidth(90);
    sbStatus->addPermanentWidget(statusIndicator);
    connect(statusIndicator, &StatusIndicator::clicked, this, &TfrmMain::statusIndicatorClick);

    connect(statusLine, &StatusLine::clicked, this, &TfrmMain::openRecord);
    auto *record = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(record, &QShortcut::activated, this, &TfrmMain::openRecord);
}

void TfrmMain::setStatus(const QString &text)
{
    statusLine->setStatus(text);
}

void TfrmMain::askPrinter(bool byUser)
{
    if (listing_ || !statusIndicator)
        return;
    const LinkMode mode = checkedMode();
    if (mode == LinkMode::None || (mode == LinkMode::Serial && !portOpen_)) {
        statusIndicator->clear();
        return;
    }
    statusIndicator->ask(lib_, target_, currentLanguage(), byUser, callProgress);
}

void TfrmMain::statusIndicatorClick()
{
    askPrinter(true);
}

void TfrmMain::openRecord()
{
    RecordWindow::showFor(this, currentLanguage());
}

bool TfrmMain::portCall(const std::function<int()> &call, const QString &name, int &result, FailureReason &reason)
{
    CallProgress progress;
    progress.bar = callProgress;
    progress.language = currentLanguage();
    if (!librarycall::run(
            [&] {
                result = call();
                if (result <= 0)
                    reason = failureReason(lib_);
            },
            progress))
        return false;

    CallEntry entry;
    entry.time = QDateTime::currentDateTime();
    entry.target = QStringLiteral("COM ") + cmbCom->currentText();
    entry.name = name;
    const bool open = name.startsWith(QLatin1String("OpenComm"));
    entry.outcome =
        result > 0 ? (open ? CallEntry::Outcome::Opened : CallEntry::Outcome::Closed) : CallEntry::Outcome::Failed;
    if (result <= 0)
        entry.reason = messages::reasonLine(reason, currentLanguage());
    CallRecord::shared().add(std::move(entry));
    return true;
}
