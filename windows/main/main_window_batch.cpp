// Skip boxes, select all, skip all and the one-key update.
#include "main_window.h"

#include "messages.h"
#include "notifier.h"
#include "send_or_report.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>

#include <vector>

namespace {
using Handler = void (TfrmMain::*)();

// One configuration group: its skip box, the group it disables, and the set
// operation the one-key update runs (null: not part of the update).
struct ConfigGroup
{
    QCheckBox *TfrmMain::*skip;
    QGroupBox *TfrmMain::*group;
    Handler set;
};

// In the one-key update's order; the cut mode group, last, takes no part in it.
constexpr ConfigGroup kGroups[] = {
    {&TfrmMain::chkLanage, &TfrmMain::gbLanage, &TfrmMain::btnLanageClick},
    {&TfrmMain::chkCom, &TfrmMain::gbCom, &TfrmMain::btnNewComClick},
    {&TfrmMain::chkLevel, &TfrmMain::gbLevel, &TfrmMain::btnLevelClick},
    {&TfrmMain::chkBarcode, &TfrmMain::gbBarcode, &TfrmMain::btnBarcodeClick},
    {&TfrmMain::chkCut, &TfrmMain::gbCut, &TfrmMain::btnCutSetClick},
    {&TfrmMain::chkBlack, &TfrmMain::gbBlack, &TfrmMain::btnBlackClick},
    {&TfrmMain::chkBeepSet, &TfrmMain::gbBeepSet, &TfrmMain::btnBeepSetClick},
    {&TfrmMain::chkCutPage, &TfrmMain::gbCutPage, &TfrmMain::Button3Click},
    {&TfrmMain::chkCutMode, &TfrmMain::gbCutMode, nullptr},
};

// The order in which skip all checks the boxes.
constexpr QCheckBox *TfrmMain::*kSkipAllOrder[] = {
    &TfrmMain::chkLevel,   &TfrmMain::chkBarcode, &TfrmMain::chkCut, &TfrmMain::chkCutMode, &TfrmMain::chkBlack,
    &TfrmMain::chkBeepSet, &TfrmMain::chkLanage,  &TfrmMain::chkCom, &TfrmMain::chkCutPage,
};
} // namespace

void TfrmMain::applySkipRule(QCheckBox *box)
{
    const bool skipped = box->isChecked();
    for (const ConfigGroup &g : kGroups)
        if (this->*g.skip == box)
            (this->*g.group)->setEnabled(!skipped);
    QPalette palette = box->palette();
    const QColor colour = skipped ? Qt::red : Qt::black;
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    box->setPalette(palette);
}

void TfrmMain::Button20Click()
{
    for (QCheckBox *TfrmMain::*box : kSkipAllOrder)
        (this->*box)->setChecked(true);
    const bool ready = isConnectionReady();
    for (QCheckBox *TfrmMain::*box : kSkipAllOrder)
        (this->*box)->setEnabled(ready);
    gbPrint->setEnabled(ready);
}

void TfrmMain::Button12Click()
{
    for (QCheckBox *box : {chkLevel, chkBarcode, chkCut, chkBlack, chkBeepSet, chkLanage, chkCom})
        box->setChecked(false);
    gbPrint->setEnabled(true);
    chkCutPage->setChecked(false);
}

void TfrmMain::Button13Click()
{
    // Without a way to send, no step can do anything: say so once.
    if (!canSendOrReport(this, lib_, currentLanguage()))
        return;
    int selected = 0;
    for (const ConfigGroup &g : kGroups)
        if (g.set && !(this->*g.skip)->isChecked())
            ++selected;

    // Over an open serial port the baud rate step closes the port (the
    // printer restarts at the new rate): it goes last, so that the steps
    // after it in the usual order are still sent.
    std::vector<const ConfigGroup *> order;
    const ConfigGroup *baudRate = nullptr;
    for (const ConfigGroup &g : kGroups) {
        if (g.skip == &TfrmMain::chkCom && rdbCom->isChecked() && portOpen_)
            baudRate = &g;
        else
            order.push_back(&g);
    }
    if (baudRate)
        order.push_back(baudRate);

    UpdateRun run;
    update_ = &run;
    int sent = 0;
    for (const ConfigGroup *step : order) {
        const ConfigGroup &g = *step;
        // Read just before the step: a close in the baud rate step checks them all.
        if (!g.set || (this->*g.skip)->isChecked())
            continue;
        (this->*g.set)();
        if (run.failed) {
            // Stop at the first step the library refused.
            update_ = nullptr;
            const QString step = (this->*g.group)->title();
            notifier::show(this, run.waiting ? messages::updateStoppedWaiting(step, sent, selected, run.withdrawn)
                                             : messages::updateStopped(step, sent, selected, run.reason));
            return;
        }
        ++sent;
    }
    update_ = nullptr;
}
