// TForm3's sending buttons: download to flash with its wait, clear flash,
// test print and the code page.
#include "nvlogo_window.h"

#include "code_page_box.h"
#include "code_page_list.h"
#include "config_commands.h"
#include "library_call.h"
#include "logo_commands.h"
#include "logo_fit.h"
#include "logo_limits.h"
#include "logo_preview.h"
#include "messages.h"
#include "notifier.h"
#include "raster.h"
#include "record_window.h"
#include "status_line.h"
#include "window_sender.h"

#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>

namespace {

const char *const kSlotEmpty = "NV logo %1 holds no picture, so nothing was downloaded.";

} // namespace

// The outcome of the last send shows in the status bar's second panel, the
// empty one after "Current BMP Size:" (which also shows an opened picture's
// size: the latest of the two stays). A click on it, or Ctrl+L, opens the
// record of this run.
void TForm3::buildOutcomePanel()
{
    QLabel *designed = statusPanels[1];
    outcomePanel = new StatusLine(StatusBar1);
    outcomePanel->setObjectName(designed->objectName());
    outcomePanel->setGeometry(designed->geometry());
    delete designed;
    statusPanels[1] = outcomePanel;
    connect(outcomePanel, &StatusLine::clicked, this, &TForm3::openRecord);
    auto *record = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(record, &QShortcut::activated, this, &TForm3::openRecord);
}

QString TForm3::lastStatus(Language language) const
{
    return last_ ? last_->status(language) : QString();
}

void TForm3::openRecord()
{
    RecordWindow::showFor(this, Language::English);
}

// The window's texts are English whatever the main window's language.
WindowSender TForm3::sender()
{
    WindowSender sender;
    sender.parent = this;
    sender.session = &session_;
    sender.progressBar = waitProgress;
    sender.language = [] { return Language::English; };
    sender.status = [this](StatusText make) { outcomePanel->setStatus(std::move(make)); };
    return sender;
}

PlanStep TForm3::stepOf(const QAbstractButton *pressed, Command command, bool keepWaitingJobs)
{
    PlanStep step;
    step.name = pressed->text().remove(QLatin1Char('&'));
    step.commands = {std::move(command)};
    step.keepWaitingJobs = keepWaitingJobs;
    return step;
}

DeliveryResult TForm3::deliver(const PlanStep &step, bool tellFailure)
{
    const WindowSender out = sender();
    DeliveryHooks hooks;
    hooks.commandEnded = [this](const PlanStep &done, const Command &command, const CommandOutcome &outcome) {
        last_ = SentCommand{session_.linkTarget(), WindowSender::commandName(done, command), outcome};
    };
    const DeliveryResult result = out.deliver({step}, hooks);
    if (tellFailure && result.stopped() && result.stop.end == CommandEnd::Failed && result.stop.report.called())
        notifier::show(this, sendFailedMessage(session_.target(), step.name, result.stop.reason, Language::English));
    return result;
}

void TForm3::BitBtn25Click()
{
    // Checked first, so a missing library costs no wait.
    if (downloading_ || !canOrReport(this, session_, SessionAction::Send, Language::English))
        return;
    downloading_ = true;
    BitBtn25->setEnabled(false);
    BitBtn3->setEnabled(false);
    const auto finish = [this] {
        BitBtn25->setEnabled(true);
        BitBtn3->setEnabled(true);
        downloading_ = false;
    };

    int n = 0;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (s_loaded[slot - 1])
            n = slot;

    if (n > 0) {
        std::vector<QImage> images;
        for (int slot = 1; slot <= n; ++slot)
            // A partial last 8-dot band is sent whole, with white rows.
            images.push_back(s_loaded[slot - 1] ? logo::padToWholeBands(slotPreview(slot)->picture()) : QImage());
        // The model may have changed since the pictures were loaded.
        for (const QImage &image : images) {
            const QString tooWide = widthRefusal(image.width());
            if (!tooWide.isEmpty()) {
                notifier::show(this, tooWide);
                finish();
                return;
            }
        }
        const raster::Result built = raster::downloadCommand(images);
        if (built.status != raster::Status::Ok) {
            QString text;
            if (const char *refusal = logo::sizeRefusal(built.status)) {
                text = QString::fromLatin1(refusal);
            } else {
                int empty = 1;
                while (empty < n && s_loaded[empty - 1])
                    ++empty;
                text = QString::fromLatin1(kSlotEmpty).arg(empty);
            }
            notifier::show(this, text);
            finish();
            return;
        }
        const DeliveryResult out = deliver(stepOf(BitBtn25, Command{built.bytes, raster::kDocDownload}), false);
        if (out.stopped()) {
            // The logo did not reach the printer: nothing to wait for (a job
            // left waiting in the queue was asked about already).
            if (out.stop.end == CommandEnd::Failed && out.stop.report.called())
                notifier::show(this, messages::logoNotStored(out.stop.reason));
            finish();
            return;
        }
    }
    waitForFlash();
    finish();
}

// The printer needs time to write its flash. The window keeps painting and
// shows the wait's progress, but takes no input until it is over.
void TForm3::waitForFlash()
{
    waitProgress->setRange(0, 100);
    waitProgress->setValue(0);
    waitProgress->setFormat(QStringLiteral("Writing the logo to flash... %p%"));
    waitProgress->show();
    waitProgress->raise();
    // Clicks and keys made meanwhile are dropped, not replayed afterwards.
    librarycall::wait(downloadWaitMs, [this](qint64 done) {
        waitProgress->setValue(int(qMin<qint64>(100, done * 100 / qMax(1, downloadWaitMs))));
    });
    waitProgress->setValue(100);
    waitProgress->hide();
}

void TForm3::BitBtn3Click()
{
    deliver(stepOf(BitBtn3, logo::clearFlashCommand()));
}

void TForm3::BitBtn1Click()
{
    const logo::Alignment j = rdbNVLeft->isChecked()     ? logo::Alignment::Left
                              : rdbNVMiddle->isChecked() ? logo::Alignment::Middle
                                                         : logo::Alignment::Right;
    deliver(stepOf(BitBtn1, logo::testPrintCommand(j, std::uint8_t(SpinEdit1->text().toInt())), true));
}

void TForm3::Button6Click()
{
    const int t = chosenCodePage(cboSelectLIB);
    if (t < 0)
        return; // no entry chosen
    const bool old = oldInstructionSet_ && oldInstructionSet_();
    deliver(stepOf(Button6, codePageCommand(old ? InstructionSet::Old : InstructionSet::New, std::uint8_t(t))));
}
