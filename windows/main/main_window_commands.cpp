// The set buttons of the configuration groups and the test group's buttons:
// each reads its controls now, builds the command and sends it.
#include "main_window.h"

#include "code_page_box.h"
#include "code_page_list.h"
#include "config_commands.h"
#include "maintenance_commands.h"
#include "messages.h"
#include "notifier.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

namespace {
InstructionSet instructionSet(const QRadioButton *old)
{
    return old->isChecked() ? InstructionSet::Old : InstructionSet::New;
}

// How the user knows a command: its group's title, or its button's caption.
QString named(const QGroupBox *group)
{
    return group->title();
}
QString named(const QAbstractButton *button)
{
    return button->text().remove(QLatin1Char('&'));
}
} // namespace

void TfrmMain::btnLanageClick()
{
    const int number = chosenCodePage(cboLanage);
    if (number < 0)
        return; // no entry selected: there is no code page to send
    send(codePageCommand(instructionSet(rdbCommandOLD), static_cast<std::uint8_t>(number)), named(gbLanage));
}

void TfrmMain::btnNewComClick()
{
    // A failed send changes nothing: the printer keeps its rate, so does the
    // serial list, and the port stays open.
    if (!send(baudRateCommand(instructionSet(rdbCommandOLD), baudRateFromText(cboNewCom->currentText())), named(gbCom)))
        return;
    // The next serial opening uses the rate just sent.
    cmbBaudRate->setCurrentIndex(cboNewCom->currentIndex());
    notifier::show(this, messages::baudRateRestart());
    if (session_.portOpen())
        btnCloseCOMClick();
}

void TfrmMain::btnLevelClick()
{
    send(darknessCommand(instructionSet(rdbCommandOLD), darknessFromText(cboLevel->currentText())), named(gbLevel));
}

void TfrmMain::btnBarcodeClick()
{
    send(barcodeCommand(rdbBarcodeOpen->isChecked()), named(gbBarcode));
}

void TfrmMain::btnBlackClick()
{
    send(blackMarkCommand(rdbBlackOPen->isChecked()), named(gbBlack));
}

void TfrmMain::btnBeepSetClick()
{
    const std::uint8_t mask = buzzerMask(chkBeepSet01->isChecked(), chkBeepSet02->isChecked(),
                                         chkBeepSet03->isChecked(), chkBeepSet04->isChecked());
    send(buzzerCommand(rdbCommandNew->isChecked() ? InstructionSet::New : InstructionSet::Old, mask), named(gbBeepSet));
}

void TfrmMain::btnCutSetClick()
{
    send(cutterCommand(rdbCutOpen->isChecked()), named(gbCut));
}

void TfrmMain::btnCutModeClick()
{
    send(cutModeCommand(rbCutModeFullHelf->isChecked()), named(gbCutMode));
}

void TfrmMain::Button3Click()
{
    for (const Command &command : cutFeedCommands(rdbCutBefore->isChecked()))
        if (!send(command, named(gbCutPage)))
            return;
}

// The test group's prints are left queued by default when the printer does
// not take them; the factory reset, like every setting, is withdrawn.
void TfrmMain::Button14Click()
{
    send(functionListCommand(), named(Button14), WaitingJob::LeaveQueued);
}

void TfrmMain::Button21Click()
{
    send(codePageListCommand(), named(Button21), WaitingJob::LeaveQueued);
}

void TfrmMain::Button2Click()
{
    send(cashDrawerCommand(), named(Button2), WaitingJob::LeaveQueued);
}

void TfrmMain::Button5Click()
{
    send(fullCutCommand(), named(Button5), WaitingJob::LeaveQueued);
}

void TfrmMain::Button6Click()
{
    send(halfCutCommand(), named(Button6), WaitingJob::LeaveQueued);
}

void TfrmMain::Button4Click()
{
    // The print command follows only a stored code.
    if (send(qrStoreCommand(QByteArray(kQrText)), named(Button4), WaitingJob::LeaveQueued))
        send(qrPrintCommand(), named(Button4), WaitingJob::LeaveQueued);
}

void TfrmMain::Button9Click()
{
    send(factoryRestoreCommand(), named(Button9));
}
