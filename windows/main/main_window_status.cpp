// The status bar below the designed layout, the record of this run and the
// serial port calls that go through the library's worker thread.
#include "main_window.h"

#include "library_call.h"
#include "messages.h"
#include "record_window.h"
#include "send_or_report.h"
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
    if (mode == LinkMode::None || (mode == LinkMode::Serial && !session_.portOpen())) {
        statusIndicator->clear();
        return;
    }
    statusIndicator->ask(session_, currentLanguage(), byUser);
}

void TfrmMain::statusIndicatorClick()
{
    askPrinter(true);
}

void TfrmMain::openRecord()
{
    RecordWindow::showFor(this, currentLanguage());
}

bool TfrmMain::portCall(bool open, const QString &port, int baudRate, PortCall &call)
{
    CallProgress progress;
    progress.bar = callProgress;
    progress.language = currentLanguage();
    if (!librarycall::run([&] { call = open ? session_.open(port, baudRate) : session_.close(port); }, progress))
        return false;
    const QString name = open ? QStringLiteral("OpenComm %1").arg(baudRate) : QStringLiteral("CloseComm");
    recordPortCall(PrinterTarget::of(PathKind::Serial, port), name, open, call, currentLanguage());
    return true;
}
