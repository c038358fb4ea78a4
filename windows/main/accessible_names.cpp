#include "accessible_names.h"

#include <QCoreApplication>
#include <QLabel>
#include <QWidget>

namespace {

struct AccessibleName
{
    const char *name;
    const char *text;
};

// In English; the Chinese in the "accessible" context.
constexpr AccessibleName kNames[] = {
    {"rdbDriver", QT_TRANSLATE_NOOP("accessible", "Connect through a print queue")},
    {"ComboPrinter", QT_TRANSLATE_NOOP("accessible", "Print queue")},
    {"btnRef", QT_TRANSLATE_NOOP("accessible", "Refresh the lists of printers and ports")},
    {"Button7", QT_TRANSLATE_NOOP("accessible", "Switch the interface language")},
    {"rdbCom", QT_TRANSLATE_NOOP("accessible", "Connect through a serial port")},
    {"cmbCom", QT_TRANSLATE_NOOP("accessible", "Serial port")},
    {"cmbBaudRate", QT_TRANSLATE_NOOP("accessible", "Baud rate to open the serial port at")},
    {"btnOpenCOM", QT_TRANSLATE_NOOP("accessible", "Open the serial port")},
    {"btnCloseCOM", QT_TRANSLATE_NOOP("accessible", "Close the serial port")},
    {"rdbLpt", QT_TRANSLATE_NOOP("accessible", "Connect through a printer port")},
    {"cmbLpt", QT_TRANSLATE_NOOP("accessible", "Printer port")},
    {"rdbCommandNew", QT_TRANSLATE_NOOP("accessible", "New instruction set")},
    {"rdbCommandOLD", QT_TRANSLATE_NOOP("accessible", "Original instruction set")},

    {"chkLanage", QT_TRANSLATE_NOOP("accessible", "Do not set the code page")},
    {"cboLanage", QT_TRANSLATE_NOOP("accessible", "Code page")},
    {"btnLanage", QT_TRANSLATE_NOOP("accessible", "Send the code page")},
    {"chkCom", QT_TRANSLATE_NOOP("accessible", "Do not set the baud rate")},
    {"cboNewCom", QT_TRANSLATE_NOOP("accessible", "New baud rate")},
    {"btnNewCom", QT_TRANSLATE_NOOP("accessible", "Send the baud rate")},
    {"chkLevel", QT_TRANSLATE_NOOP("accessible", "Do not set the darkness")},
    {"cboLevel", QT_TRANSLATE_NOOP("accessible", "Darkness level")},
    {"btnLevel", QT_TRANSLATE_NOOP("accessible", "Send the darkness level")},
    {"chkBarcode", QT_TRANSLATE_NOOP("accessible", "Do not set the barcode function")},
    {"rdbBarcodeOpen", QT_TRANSLATE_NOOP("accessible", "Barcode function on")},
    {"rdbBarcodeClose", QT_TRANSLATE_NOOP("accessible", "Barcode function off")},
    {"btnBarcode", QT_TRANSLATE_NOOP("accessible", "Send the barcode function")},
    {"chkCut", QT_TRANSLATE_NOOP("accessible", "Do not set the cutter")},
    {"rdbCutOpen", QT_TRANSLATE_NOOP("accessible", "Cutter on")},
    {"rdbCutClose", QT_TRANSLATE_NOOP("accessible", "Cutter off")},
    {"btnCutSet", QT_TRANSLATE_NOOP("accessible", "Send the cutter setting")},
    {"chkBlack", QT_TRANSLATE_NOOP("accessible", "Do not set the black mark")},
    {"rdbBlackOPen", QT_TRANSLATE_NOOP("accessible", "Black mark on")},
    {"rdbBlackClose", QT_TRANSLATE_NOOP("accessible", "Black mark off")},
    {"btnBlack", QT_TRANSLATE_NOOP("accessible", "Send the black mark setting")},
    {"chkCutMode", QT_TRANSLATE_NOOP("accessible", "Do not set the cut mode")},
    {"rbCutModeFullHelf", QT_TRANSLATE_NOOP("accessible", "Cut mode full and half cut")},
    {"rbCutModehelf", QT_TRANSLATE_NOOP("accessible", "Cut mode half cut")},
    {"btnCutMode", QT_TRANSLATE_NOOP("accessible", "Send the cut mode")},
    {"chkCutPage", QT_TRANSLATE_NOOP("accessible", "Do not set the cut feed")},
    {"rdbCutBefore", QT_TRANSLATE_NOOP("accessible", "Cut feed in command mode")},
    {"rdbCutAfter", QT_TRANSLATE_NOOP("accessible", "Cut feed in drive mode")},
    {"Button3", QT_TRANSLATE_NOOP("accessible", "Send the cut feed")},
    {"chkBeepSet", QT_TRANSLATE_NOOP("accessible", "Do not set the buzzer")},
    {"chkBeepSet01", QT_TRANSLATE_NOOP("accessible", "Buzzer on receiving commands")},
    {"chkBeepSet02", QT_TRANSLATE_NOOP("accessible", "Buzzer after a cut")},
    {"chkBeepSet03", QT_TRANSLATE_NOOP("accessible", "Buzzer when the paper runs out")},
    {"chkBeepSet04", QT_TRANSLATE_NOOP("accessible", "Buzzer on other errors")},
    {"btnBeepSet", QT_TRANSLATE_NOOP("accessible", "Send the buzzer events")},

    {"Button14", QT_TRANSLATE_NOOP("accessible", "Print the function list")},
    {"Button21", QT_TRANSLATE_NOOP("accessible", "Print the code page list")},
    {"Button2", QT_TRANSLATE_NOOP("accessible", "Open the cash drawer")},
    {"Button5", QT_TRANSLATE_NOOP("accessible", "Full cut")},
    {"Button6", QT_TRANSLATE_NOOP("accessible", "Half cut")},
    {"Button4", QT_TRANSLATE_NOOP("accessible", "Print a QR code")},
    {"Button9", QT_TRANSLATE_NOOP("accessible", "Restore the factory settings")},

    {"Button12", QT_TRANSLATE_NOOP("accessible", "Select every setting")},
    {"Button20", QT_TRANSLATE_NOOP("accessible", "Skip every setting")},
    {"Button13", QT_TRANSLATE_NOOP("accessible", "Send every selected setting")},
    {"BitBtn1", QT_TRANSLATE_NOOP("accessible", "NV logo")},
    {"Button1", QT_TRANSLATE_NOOP("accessible", "Quit")},
    {"BitBtn5", QT_TRANSLATE_NOOP("accessible", "About")},
};

// A label and the list (or other control) it names.
struct Buddy
{
    const char *label;
    const char *buddy;
};
constexpr Buddy kBuddies[] = {{"Panel5", "cmbBaudRate"}, {"Label2", "cboNewCom"}, {"Label1", "cboLevel"}};

} // namespace

// Tooltips that say what a control also leads to.
constexpr AccessibleName kTips[] = {
    {"Button13", QT_TRANSLATE_NOOP("accessible", "Sends every selected setting, in order. Ctrl+S saves the selected "
                                                 "settings as a profile for nemboport apply; Ctrl+O opens one (also "
                                                 "from the settings' context menu).")},
};

void applyAccessibleNames(QWidget *root)
{
    for (const AccessibleName &n : kNames)
        if (QWidget *w = root->findChild<QWidget *>(QLatin1String(n.name)))
            w->setAccessibleName(QCoreApplication::translate("accessible", n.text));
    for (const AccessibleName &n : kTips)
        if (QWidget *w = root->findChild<QWidget *>(QLatin1String(n.name)))
            w->setToolTip(QCoreApplication::translate("accessible", n.text));
}

void bindLabels(QWidget *root)
{
    for (const Buddy &b : kBuddies) {
        auto *label = root->findChild<QLabel *>(QLatin1String(b.label));
        QWidget *buddy = root->findChild<QWidget *>(QLatin1String(b.buddy));
        if (label && buddy)
            label->setBuddy(buddy);
    }
}
