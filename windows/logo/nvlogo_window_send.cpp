// TForm3's sending buttons: download to flash with its wait, clear flash,
// test print and the code page.
#include "nvlogo_window.h"

#include "config_commands.h"
#include "code_page_list.h"
#include "logo_commands.h"
#include "logo_preview.h"
#include "send_or_report.h"
#include "notifier.h"
#include "raster.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

namespace {

const char *const kTooLarge = "The BMP file size can not exceed 160Kb";
const char *const kTooSmall = "The bitmap must be at least 8 x 8 pixels to be downloaded.";
const char *const kSlotEmpty = "NV logo %1 holds no picture, so nothing was downloaded.";

} // namespace

// The window's texts are English whatever the main window's language.
bool TForm3::send(const Command &command)
{
    return sendOrReport(this, lib_, target_, command, false);
}

void TForm3::BitBtn25Click()
{
    // Checked first, so a missing library costs no wait.
    if (downloading_ || !canSendOrReport(this, lib_, false))
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
            images.push_back(s_loaded[slot - 1] ? slotPreview(slot)->picture() : QImage());
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
            switch (built.status) {
            case raster::Status::TooLarge:
                text = QString::fromLatin1(kTooLarge);
                break;
            case raster::Status::TooSmall:
                text = QString::fromLatin1(kTooSmall);
                break;
            default: {
                int empty = 1;
                while (empty < n && s_loaded[empty - 1])
                    ++empty;
                text = QString::fromLatin1(kSlotEmpty).arg(empty);
                break;
            }
            }
            notifier::show(this, text);
            finish();
            return;
        }
        send(Command{built.bytes, raster::kDocDownload});
    }
    waitForFlash();
    finish();
}

// The printer needs time to write its flash. The window keeps painting and
// shows the wait's progress, but takes no input until it is over.
void TForm3::waitForFlash()
{
    waitProgress->setValue(0);
    waitProgress->show();
    waitProgress->raise();

    QEventLoop loop;
    QElapsedTimer clock;
    QTimer tick;
    tick.setInterval(100);
    connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 done = clock.elapsed();
        if (done >= downloadWaitMs) {
            loop.quit();
            return;
        }
        waitProgress->setValue(int(done * 100 / qMax(1, downloadWaitMs)));
    });
    QTimer::singleShot(qMax(0, downloadWaitMs), &loop, &QEventLoop::quit);
    clock.start();
    tick.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    waitProgress->setValue(100);
    waitProgress->hide();
}

void TForm3::BitBtn3Click()
{
    send(logo::clearFlashCommand());
}

void TForm3::BitBtn1Click()
{
    const logo::Alignment j = rdbNVLeft->isChecked()     ? logo::Alignment::Left
                              : rdbNVMiddle->isChecked() ? logo::Alignment::Middle
                                                         : logo::Alignment::Right;
    send(logo::testPrintCommand(j, std::uint8_t(SpinEdit1->text().toInt())));
}

void TForm3::Button6Click()
{
    const int t = codePageNumber(cboSelectLIB->currentText());
    if (t < 0)
        return; // every fixed entry starts with two digits
    const bool old = oldInstructionSet_ && oldInstructionSet_();
    send(codePageCommand(old ? InstructionSet::Old : InstructionSet::New, std::uint8_t(t)));
}

