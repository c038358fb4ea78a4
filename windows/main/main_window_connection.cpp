// Connection group: listing printers and ports, choosing the access path,
// opening and closing the serial port.
#include "main_window.h"

#include "messages.h"
#include "notifier.h"
#include "settings_catalogue.h"

#include "library_call.h"
#include "startup_notice.h"
#include "status_indicator.h"
#include "status_line.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <memory>

namespace {
// The detail of a serial open or close message: the program's sentence for
// the library's code, then the library's own text.
QString portCallDetail(const FailureReason &failure)
{
    QStringList lines;
    const QString sentence = messages::reasonSentence(failure.code, currentLanguage());
    if (!sentence.isEmpty())
        lines << sentence;
    if (!failure.text.isEmpty())
        lines << failure.text;
    return lines.join(QLatin1Char('\n'));
}
} // namespace

QStringList TfrmMain::missingList(const char *exportName)
{
    // A missing list counts as empty; a press is told why.
    if (!starting_)
        notifier::show(this, messages::missingPiece(lib_, exportName, currentLanguage()));
    return {};
}

void TfrmMain::btnRefClick()
{
    if (!lib_.isLoaded()) {
        notifier::show(this, messages::missingPiece(lib_, nullptr, currentLanguage()));
        return;
    }
    listPrintersAndPorts();
}

void TfrmMain::listPrintersAndPorts()
{
    // The library's list texts belong to the thread that asked: copied there.
    struct Lists
    {
        QStringList printers, serial, lpt;
        FailureReason queueFailure;
        std::optional<std::vector<QueueState>> states;
    } found;
    const bool printers = lib_.getPrintDriveNames, serial = lib_.getSystemSerial, lpt = lib_.getPrintDrivePortNames;
    CallProgress progress;
    progress.bar = callProgress;
    progress.language = currentLanguage();
    // Before the window shows, a slow listing is said in a small window of its own.
    std::unique_ptr<StartupNotice> notice;
    if (starting_)
        notice = std::make_unique<StartupNotice>(currentLanguage());
    const bool ran = librarycall::run(
        [&] {
            if (printers) {
                found.printers = splitLibraryList(lib_.getPrintDriveNames());
                if (found.printers.isEmpty())
                    found.queueFailure = failureReason(lib_);
                else
                    found.states = queueStates(lib_); // asked only when the library has it
            }
            if (serial)
                found.serial = splitLibraryList(lib_.getSystemSerial());
            if (lpt)
                found.lpt = splitLibraryList(lib_.getPrintDrivePortNames("LPT"));
        },
        progress);
    notice.reset();
    if (!ran)
        return; // another call was in flight; its window still waits for it

    session_.forgetOpenPort();
    listing_ = true;
    const int level = cboLevel->findText(QString::number(setting(SettingKey::Darkness).defaultValue));
    if (level >= 0)
        cboLevel->setCurrentIndex(level);

    ComboPrinter->clear();
    ComboPrinter->addItems(printers ? found.printers : missingList("GetPrintDriveNames"));
    queueStates_ = found.states.value_or(std::vector<QueueState>{});
    showQueueStates();
    if (ComboPrinter->count() > 0) {
        rdbDriver->setEnabled(true);
        rdbDriver->setChecked(true); // runs rdbDriverClick when it was not checked
        ComboPrinter->setCurrentIndex(0);
    } else {
        rdbDriver->setEnabled(false);
    }

    cmbCom->clear();
    cmbCom->addItems(serial ? found.serial : missingList("GetSystemSerial"));
    fitSerialList();

    cmbLpt->clear();
    cmbLpt->addItems(parallelPortNames(lpt ? found.lpt : missingList("GetPrintDrivePortNames")));

    if (cmbCom->count() > 0)
        cmbCom->setCurrentIndex(0);
    if (cmbLpt->count() > 0)
        cmbLpt->setCurrentIndex(0);

    rdbDriverClick();
    Button20Click();
    listing_ = false;

    // An empty queue list with the library's reason: the print server is
    // down or did not answer, not a machine without printers.
    const bool queueFailed = printers && found.printers.isEmpty() && found.queueFailure.code > DRAVIK_ERROR_NONE;
    setStatus(messages::listStatus(ComboPrinter->count(), cmbCom->count(), cmbLpt->count(),
                                   queueFailed ? &found.queueFailure : nullptr));
    askPrinter(false);
}

void TfrmMain::showQueueStates()
{
    for (int i = 0; i < ComboPrinter->count(); ++i) {
        const auto state = findQueue(queueStates_, ComboPrinter->itemText(i));
        ComboPrinter->setItemData(i, state ? messages::queueStateText(*state) : QVariant(), Qt::ToolTipRole);
    }
    const auto chosen = findQueue(queueStates_, ComboPrinter->currentText());
    ComboPrinter->setToolTip(chosen ? messages::queueStateText(*chosen) : QString());
}

void TfrmMain::fitSerialList()
{
    // Port paths (announced virtual printers among them) are longer than the
    // box: the open list widens to the longest, and each entry's tooltip is
    // its whole name.
    const QFontMetrics metrics(cmbCom->view()->font());
    int widest = 0;
    for (int i = 0; i < cmbCom->count(); ++i) {
        const QString name = cmbCom->itemText(i);
        cmbCom->setItemData(i, name, Qt::ToolTipRole);
        widest = qMax(widest, metrics.horizontalAdvance(name));
    }
    // Room for the frame, the item margins and a scroll bar.
    const int extra =
        2 * cmbCom->view()->frameWidth() + 16 + cmbCom->view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    cmbCom->view()->setMinimumWidth(qMax(cmbCom->width(), widest + extra));
}

LinkMode TfrmMain::checkedMode() const
{
    if (rdbDriver->isChecked())
        return LinkMode::Driver;
    if (rdbCom->isChecked())
        return LinkMode::Serial;
    if (rdbLpt->isChecked())
        return LinkMode::Parallel;
    return LinkMode::None;
}

bool TfrmMain::isConnectionReady() const
{
    return connectionReady(checkedMode(), session_.portOpen());
}

void TfrmMain::enableBatchButtons(bool on)
{
    for (QPushButton *b : {Button12, Button13, Button20, BitBtn1})
        b->setEnabled(on);
}

void TfrmMain::modeChoice(bool closeOpenPort, bool batchButtonsOn)
{
    if (closeOpenPort && session_.portOpen()) {
        btnCloseCOMClick();
        session_.forgetOpenPort();
    }

    ComboPrinter->setEnabled(rdbDriver->isChecked());
    for (QComboBox *box : {cmbCom, cmbBaudRate, cmbShareHand})
        box->setEnabled(rdbCom->isChecked());
    // A machine may have several printer ports (USB printers among them):
    // the list is open while the port path is chosen.
    cmbLpt->setEnabled(rdbLpt->isChecked());
    btnOpenCOM->setEnabled(cmbCom->isEnabled());
    btnCloseCOM->setEnabled(false);

    const LinkMode mode = checkedMode();
    if (mode != LinkMode::None)
        session_.choose(pathKindFor(mode), mode == LinkMode::Driver   ? ComboPrinter->currentText()
                                           : mode == LinkMode::Serial ? cmbCom->currentText()
                                                                      : cmbLpt->currentText());

    enableBatchButtons(batchButtonsOn);
    Button20Click();
    askPrinter(false);
}

void TfrmMain::rdbDriverClick()
{
    modeChoice(true, true);
}

void TfrmMain::rdbComClick()
{
    modeChoice(false, false);
}

void TfrmMain::rdbLptClick()
{
    modeChoice(true, true);
}

void TfrmMain::btnOpenCOMClick()
{
    if (session_.portOpen() || !require(SessionAction::Open))
        return;

    const int baudRate = cmbBaudRate->currentText().toInt();
    const QString port = cmbCom->currentText().trimmed();
    PortCall call;
    if (!portCall(true, port, baudRate, call))
        return;
    const FailureReason &failure = call.reason;
    const QString reason = portCallDetail(failure);
    setStatus(messages::serialOpenStatus(port, baudRate, call.result > 0, failure));

    if (call.result < 0) {
        // The library's raised error: the port is missing or held by another program.
        Message message = messages::serialConnectionError(port);
        message.detail = reason;
        notifier::show(this, message);
        btnOpenCOM->setEnabled(true);
        btnCloseCOM->setEnabled(false);
        return;
    }

    const bool open = session_.portOpen();
    btnOpenCOM->setEnabled(!open);
    btnCloseCOM->setEnabled(open);
    enableBatchButtons(open);
    Button20Click();
    askPrinter(false);
    if (!open) {
        Message message = messages::serialOpenFailed();
        message.detail = reason;
        notifier::show(this, message);
    }
}

void TfrmMain::btnCloseCOMClick()
{
    if (!require(SessionAction::Close))
        return;

    // The serial list's text as it stands, blanks included: after a change
    // of port while open, the newly chosen one (a library with one serial
    // handle closes it whatever the name).
    const QString port = cmbCom->currentText();
    PortCall call;
    if (!portCall(false, port, 0, call))
        return;
    setStatus(messages::serialCloseStatus(port, call.result != 0, call.reason));
    if (call.result) {
        btnOpenCOM->setEnabled(true);
        btnCloseCOM->setEnabled(false);
        enableBatchButtons(false);
        Button20Click();
        statusIndicator->clear();
        return;
    }

    Message message = messages::serialCloseFailed(session_.target().printerName);
    message.detail = portCallDetail(call.reason);
    notifier::show(this, message);
    btnOpenCOM->setEnabled(false);
    btnCloseCOM->setEnabled(true);
}

void TfrmMain::cmbComChange()
{
    if (!session_.portOpen())
        return;
    btnCloseCOMClick();
    btnOpenCOMClick();
}

void TfrmMain::cmbBaudRateChange()
{
    cmbComChange();
}

void TfrmMain::cmbShareHandChange()
{
    cmbComChange();
}

void TfrmMain::ComboPrinterChange()
{
    session_.choose(session_.kind(), ComboPrinter->currentText());
    showQueueStates();
    if (const auto state = findQueue(queueStates_, ComboPrinter->currentText()))
        setStatus(messages::queueChosenStatus(*state));
    askPrinter(false);
}

void TfrmMain::cmbLptChange()
{
    if (!rdbLpt->isChecked())
        return;
    session_.choose(session_.kind(), cmbLpt->currentText());
    askPrinter(false);
}
