// Skip boxes, select all, skip all and the one-key update.
#include "main_window.h"

#include "messages.h"
#include "notifier.h"
#include "send_or_report.h"
#include "settings_catalogue.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QRadioButton>

#include <vector>

namespace {
using Handler = void (TfrmMain::*)();

// One configuration group's widgets: its skip box, the group it disables,
// and its set operation. Which setting it is, and whether and when the
// one-key update runs it, the settings catalogue says by the group's name.
struct ConfigGroup
{
    QCheckBox *TfrmMain::*skip;
    QGroupBox *TfrmMain::*group;
    Handler set;
};

constexpr ConfigGroup kGroups[] = {
    {&TfrmMain::chkLanage, &TfrmMain::gbLanage, &TfrmMain::btnLanageClick},
    {&TfrmMain::chkCom, &TfrmMain::gbCom, &TfrmMain::btnNewComClick},
    {&TfrmMain::chkLevel, &TfrmMain::gbLevel, &TfrmMain::btnLevelClick},
    {&TfrmMain::chkBarcode, &TfrmMain::gbBarcode, &TfrmMain::btnBarcodeClick},
    {&TfrmMain::chkCut, &TfrmMain::gbCut, &TfrmMain::btnCutSetClick},
    {&TfrmMain::chkBlack, &TfrmMain::gbBlack, &TfrmMain::btnBlackClick},
    {&TfrmMain::chkBeepSet, &TfrmMain::gbBeepSet, &TfrmMain::btnBeepSetClick},
    {&TfrmMain::chkCutPage, &TfrmMain::gbCutPage, &TfrmMain::Button3Click},
    {&TfrmMain::chkCutMode, &TfrmMain::gbCutMode, &TfrmMain::btnCutModeClick},
};

// A step of the one-key update: the setting and its group's widgets.
struct UpdateStep
{
    const Setting *setting;
    const ConfigGroup *group;
};

std::vector<UpdateStep> updateSteps(const TfrmMain &w)
{
    std::vector<UpdateStep> steps;
    for (const Setting *s : updateOrder())
        for (const ConfigGroup &g : kGroups)
            if ((w.*g.group)->objectName() == QLatin1String(s->groupBox))
                steps.push_back({s, &g});
    return steps;
}

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
    if (!canSendOrReport(this, lib_, isChinese()))
        return;
    const std::vector<UpdateStep> steps = updateSteps(*this);
    int selected = 0;
    for (const UpdateStep &step : steps)
        if (!(this->*step.group->skip)->isChecked())
            ++selected;

    // Over an open serial port the baud rate step closes the port (the
    // printer restarts at the new rate): it goes last, so that the steps
    // after it in the usual order are still sent.
    std::vector<const ConfigGroup *> order;
    const ConfigGroup *baudRate = nullptr;
    for (const UpdateStep &step : steps) {
        if (step.setting->key == SettingKey::BaudRate && rdbCom->isChecked() && portOpen_)
            baudRate = step.group;
        else
            order.push_back(step.group);
    }
    if (baudRate)
        order.push_back(baudRate);

    UpdateRun run;
    update_ = &run;
    int sent = 0;
    for (const ConfigGroup *step : order) {
        const ConfigGroup &g = *step;
        // Read just before the step: a close in the baud rate step checks them all.
        if ((this->*g.skip)->isChecked())
            continue;
        (this->*g.set)();
        if (run.failed) {
            // Stop at the first step the library refused.
            update_ = nullptr;
            const QString step = (this->*g.group)->title();
            notifier::show(this, run.waiting
                                     ? messages::updateStoppedWaiting(step, sent, selected, run.withdrawn, isChinese())
                                     : messages::updateStopped(step, sent, selected, run.reason, isChinese()));
            return;
        }
        ++sent;
    }
    update_ = nullptr;
}
