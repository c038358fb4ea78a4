// The set buttons of the configuration groups and the test group's buttons:
// each reads its controls now, builds the command and sends it.
#include "main_window.h"

#include "code_page_list.h"
#include "config_commands.h"
#include "maintenance_commands.h"
#include "messages.h"
#include "notifier.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

namespace {
InstructionSet instructionSet(const QRadioButton *old)
{
    return old->isChecked() ? InstructionSet::Old : InstructionSet::New;
}
} // namespace

void TfrmMain::btnLanageClick()
{
    const int number = codePageNumber(cboLanage->currentText());
    if (number < 0)
        return; // no entry selected: there is no code page to send
    send(codePageCommand(instructionSet(rdbCommandOLD), static_cast<std::uint8_t>(number)));
}

void TfrmMain::btnNewComClick()
{
    if (!send(baudRateCommand(instructionSet(rdbCommandOLD), baudRateFromText(cboNewCom->currentText()))))
        return;
    // The next serial opening uses the rate just sent.
    cmbBaudRate->setCurrentIndex(cboNewCom->currentIndex());
    notifier::show(this, messages::baudRateRestart(isChinese()));
    if (portOpen_)
        btnCloseCOMClick();
}

void TfrmMain::btnLevelClick()
{
    send(darknessCommand(instructionSet(rdbCommandOLD), darknessFromText(cboLevel->currentText())));
}

void TfrmMain::btnBarcodeClick()
{
    send(barcodeCommand(rdbBarcodeOpen->isChecked()));
}

void TfrmMain::btnBlackClick()
{
    send(blackMarkCommand(rdbBlackOPen->isChecked()));
}

void TfrmMain::btnBeepSetClick()
{
    const std::uint8_t mask = buzzerMask(chkBeepSet01->isChecked(), chkBeepSet02->isChecked(),
                                         chkBeepSet03->isChecked(), chkBeepSet04->isChecked());
    send(buzzerCommand(rdbCommandNew->isChecked() ? InstructionSet::New : InstructionSet::Old, mask));
}

void TfrmMain::btnCutSetClick()
{
    send(cutterCommand(rdbCutOpen->isChecked()));
}

void TfrmMain::btnCutModeClick()
{
    send(cutModeCommand(rbCutModeFullHelf->isChecked()));
}

void TfrmMain::Button3Click()
{
    for (const Command &command : cutFeedCommands(rdbCutBefore->isChecked()))
        if (!send(command))
            return;
}

void TfrmMain::Button14Click()
{
    send(functionListCommand());
}

void TfrmMain::Button21Click()
{
    send(codePageListCommand());
}

void TfrmMain::Button2Click()
{
    send(cashDrawerCommand());
}

void TfrmMain::Button5Click()
{
    send(fullCutCommand());
}

void TfrmMain::Button6Click()
{
    send(halfCutCommand());
}

void TfrmMain::Button4Click()
{
    if (send(qrStoreCommand(QByteArray(kQrText))))
        send(qrPrintCommand());
}

void TfrmMain::Button9Click()
{
    send(factoryRestoreCommand());
}
