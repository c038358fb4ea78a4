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
struct CataloguedGroup
{
    const Setting *setting;
    const ConfigGroup *group;
};

// The groups the one-key update runs, in its order.
std::vector<CataloguedGroup> cataloguedGroups(const TfrmMain &w)
{
    std::vector<CataloguedGroup> steps;
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
    if (!canSendOrReport(this, session_, currentLanguage()))
        return;
    // Over an open serial port the baud rate step closes the port (the
    // printer restarts at the new rate): the session runs it last, so that
    // the steps after it in the usual order are still sent.
    std::vector<UpdateStep> steps;
    std::vector<const ConfigGroup *> groups;
    for (const CataloguedGroup &c : cataloguedGroups(*this)) {
        const ConfigGroup &g = *c.group;
        groups.push_back(&g);
        UpdateStep step;
        step.baudRate = c.setting->key == SettingKey::BaudRate;
        step.selected = [this, &g] { return !(this->*g.skip)->isChecked(); };
        step.run = [this, &g]() -> SendReport {
            lastSend_ = SendOutcome{};
            (this->*g.set)();
            return lastSend_;
        };
        steps.push_back(std::move(step));
    }

    updating_ = true;
    const UpdateResult run = session_.runUpdate(steps);
    updating_ = false;
    if (!run.stopped())
        return;
    // Stopped at the first step the library refused or whose job did not print.
    const QString step = (this->*groups[std::size_t(run.stoppedAt)]->group)->title();
    notifier::show(this, run.stop.sent
                             ? messages::updateStoppedWaiting(step, run.sent, run.selected, run.stop.withdrawn)
                             : messages::updateStopped(step, run.sent, run.selected, run.stop.reason));
}
