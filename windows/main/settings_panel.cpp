#include "settings_panel.h"

#include "code_page_box.h"
#include "code_page_list.h"
#include "config_commands.h"
#include "connection_panel.h"
#include "messages.h"
#include "widget_maker.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The panel's top in the window: the children are placed at their window
// positions less this.
constexpr int kPanelTop = 131;

using widgetmaker::make;

// A configuration group at its window position.
QGroupBox *group(QWidget *panel, const char *name, int left, int top, int width, int height)
{
    return make<QGroupBox>(panel, name, left, top - kPanelTop, width, height);
}

QPushButton *setButton(QGroupBox *group, const char *name)
{
    return make<QPushButton>(group, name, 182, group->height() - 33, 52, 25);
}

QStringList levels(int first, int last)
{
    QStringList items;
    for (int i = first; i <= last; ++i)
        items << QString::number(i);
    return items;
}

// The order in which skip all checks the boxes.
constexpr SettingKey kSkipAllOrder[] = {
    SettingKey::Darkness, SettingKey::Barcode,  SettingKey::Cutter,   SettingKey::CutMode, SettingKey::BlackMark,
    SettingKey::Buzzer,   SettingKey::CodePage, SettingKey::BaudRate, SettingKey::CutFeed,
};

} // namespace

SettingsPanel::SettingsPanel(QWidget *window, const WindowSender &sender, ConnectionPanel &connection)
    : QWidget(window)
    , sender_(sender)
    , connection_(connection)
{
    setObjectName(QStringLiteral("settingsPanel"));
    setGeometry(0, kPanelTop, 505, 452 - kPanelTop);
    build();
    buildSkipBoxes();
    groups_ = {{
        {SettingKey::CodePage, gbLanage, chkLanage, btnLanage, &SettingsPanel::btnLanageClick},
        {SettingKey::BaudRate, gbCom, chkCom, btnNewCom, &SettingsPanel::btnNewComClick},
        {SettingKey::Darkness, gbLevel, chkLevel, btnLevel, &SettingsPanel::btnLevelClick},
        {SettingKey::Barcode, gbBarcode, chkBarcode, btnBarcode, &SettingsPanel::btnBarcodeClick},
        {SettingKey::Cutter, gbCut, chkCut, btnCutSet, &SettingsPanel::btnCutSetClick},
        {SettingKey::BlackMark, gbBlack, chkBlack, btnBlack, &SettingsPanel::btnBlackClick},
        {SettingKey::Buzzer, gbBeepSet, chkBeepSet, btnBeepSet, &SettingsPanel::btnBeepSetClick},
        {SettingKey::CutFeed, gbCutPage, chkCutPage, Button3, &SettingsPanel::Button3Click},
        {SettingKey::CutMode, gbCutMode, chkCutMode, btnCutMode, &SettingsPanel::btnCutModeClick},
    }};
    connectHandlers();
}

void SettingsPanel::build()
{
    using widgetmaker::list;
    gbLanage = group(this, "gbLanage", 8, 135, 241, 57);
    cboLanage = list(gbLanage, "cboLanage", 8, 25, 160, {}, -1);
    ::fillCodePages(cboLanage, Language::Chinese, kChineseDefaultCodePage);
    cboLanage->setMaxVisibleItems(16);
    cboLanage->view()->setMinimumWidth(300); // the open list shows whole entries
    btnLanage = setButton(gbLanage, "btnLanage");

    gbCom = group(this, "gbCom", 255, 135, 241, 57);
    // Red text; a lighter red while the group is disabled, so it looks it.
    QPalette red = gbCom->palette();
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
        red.setColor(QPalette::Active, role, Qt::red);
        red.setColor(QPalette::Inactive, role, Qt::red);
        red.setColor(QPalette::Disabled, role, QColor(255, 160, 160));
    }
    gbCom->setPalette(red);
    Label2 = make<QLabel>(gbCom, "Label2", 8, 25, 92, 21);
    cboNewCom = list(gbCom, "cboNewCom", 100, 25, 70, widgetmaker::baudRateItems(),
                     widgetmaker::baudRateIndex(setting(SettingKey::BaudRate).defaultValue));
    btnNewCom = setButton(gbCom, "btnNewCom");

    gbLevel = group(this, "gbLevel", 8, 197, 241, 54);
    Label1 = make<QLabel>(gbLevel, "Label1", 8, 23, 92, 21);
    cboLevel = list(gbLevel, "cboLevel", 100, 23, 70, levels(0, 12), 4);
    btnLevel = setButton(gbLevel, "btnLevel");

    gbBarcode = group(this, "gbBarcode", 255, 198, 241, 54);
    rdbBarcodeOpen = make<QRadioButton>(gbBarcode, "rdbBarcodeOpen", 10, 24, 70, 20);
    rdbBarcodeClose = make<QRadioButton>(gbBarcode, "rdbBarcodeClose", 86, 24, 70, 20);
    rdbBarcodeOpen->setChecked(true);
    btnBarcode = setButton(gbBarcode, "btnBarcode");

    gbCut = group(this, "gbCut", 8, 257, 241, 55);
    rdbCutOpen = make<QRadioButton>(gbCut, "rdbCutOpen", 10, 25, 70, 20);
    rdbCutClose = make<QRadioButton>(gbCut, "rdbCutClose", 86, 25, 70, 20);
    rdbCutOpen->setChecked(true);
    btnCutSet = setButton(gbCut, "btnCutSet");

    gbBlack = group(this, "gbBlack", 256, 258, 241, 54);
    rdbBlackOPen = make<QRadioButton>(gbBlack, "rdbBlackOPen", 10, 24, 70, 20);
    rdbBlackClose = make<QRadioButton>(gbBlack, "rdbBlackClose", 86, 24, 70, 20);
    rdbBlackClose->setChecked(true);
    btnBlack = setButton(gbBlack, "btnBlack");

    gbCutMode = group(this, "gbCutMode", 8, 318, 242, 51);
    rbCutModeFullHelf = make<QRadioButton>(gbCutMode, "rbCutModeFullHelf", 10, 22, 86, 20);
    rbCutModehelf = make<QRadioButton>(gbCutMode, "rbCutModehelf", 100, 22, 66, 20);
    rbCutModehelf->setChecked(true);
    btnCutMode = setButton(gbCutMode, "btnCutMode");

    gbCutPage = group(this, "gbCutPage", 255, 318, 241, 51);
    rdbCutBefore = make<QRadioButton>(gbCutPage, "rdbCutBefore", 2, 22, 102, 20);
    rdbCutAfter = make<QRadioButton>(gbCutPage, "rdbCutAfter", 104, 22, 78, 20);
    rdbCutBefore->setChecked(true);
    Button3 = setButton(gbCutPage, "Button3");

    gbBeepSet = group(this, "gbBeepSet", 9, 376, 489, 73);
    chkBeepSet01 = make<QCheckBox>(gbBeepSet, "chkBeepSet01", 10, 20, 200, 20);
    chkBeepSet03 = make<QCheckBox>(gbBeepSet, "chkBeepSet03", 212, 20, 190, 20);
    chkBeepSet02 = make<QCheckBox>(gbBeepSet, "chkBeepSet02", 10, 45, 200, 20);
    chkBeepSet04 = make<QCheckBox>(gbBeepSet, "chkBeepSet04", 212, 45, 190, 20);
    for (QCheckBox *box : {chkBeepSet01, chkBeepSet02, chkBeepSet03, chkBeepSet04})
        box->setChecked(true);
    btnBeepSet = make<QPushButton>(gbBeepSet, "btnBeepSet", 408, 28, 70, 25);
}

void SettingsPanel::buildSkipBoxes()
{
    // Skip boxes sit on their group's top border, above the group.
    const struct
    {
        QCheckBox **box;
        const char *name;
        int left, top;
    } skips[] = {
        {&chkLanage, "chkLanage", 183, 135},   {&chkCom, "chkCom", 431, 135},
        {&chkLevel, "chkLevel", 109, 195},     {&chkBarcode, "chkBarcode", 393, 198},
        {&chkCut, "chkCut", 138, 257},         {&chkBlack, "chkBlack", 359, 262},
        {&chkCutMode, "chkCutMode", 97, 318},  {&chkCutPage, "chkCutPage", 354, 318},
        {&chkBeepSet, "chkBeepSet", 145, 373},
    };
    for (const auto &s : skips) {
        *s.box = make<QCheckBox>(this, s.name, s.left, s.top - kPanelTop, 62, 17);
        (*s.box)->setAutoFillBackground(true);
        (*s.box)->raise();
    }
}

void SettingsPanel::connectHandlers()
{
    for (const Group &g : groups_) {
        connect(g.set, &QPushButton::clicked, this, g.handler);
        // The skip box rule runs at every change of a box, by hand or by program.
        QCheckBox *box = g.skip;
        connect(box, &QCheckBox::toggled, this, [this, box] { applySkipRule(box); });
    }
}

const SettingsPanel::Group &SettingsPanel::groupFor(SettingKey key) const
{
    for (const Group &g : groups_)
        if (g.key == key)
            return g;
    return groups_.front();
}

QGroupBox *SettingsPanel::groupOf(SettingKey key) const
{
    return groupFor(key).group;
}

QCheckBox *SettingsPanel::skipBoxOf(SettingKey key) const
{
    return groupFor(key).skip;
}

void SettingsPanel::applySkipRule(QCheckBox *box)
{
    const bool skipped = box->isChecked();
    for (const Group &g : groups_)
        if (g.skip == box)
            g.group->setEnabled(!skipped);
    QPalette palette = box->palette();
    const QColor colour = skipped ? Qt::red : Qt::black;
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    box->setPalette(palette);
}

void SettingsPanel::skipAll(bool ready)
{
    for (SettingKey key : kSkipAllOrder)
        skipBoxOf(key)->setChecked(true);
    for (SettingKey key : kSkipAllOrder)
        skipBoxOf(key)->setEnabled(ready);
}

bool SettingsPanel::anySelected() const
{
    for (const Group &g : groups_)
        if (!g.skip->isChecked())
            return true;
    return false;
}

void SettingsPanel::selectAllButCutFeed()
{
    for (QCheckBox *box : {chkLevel, chkBarcode, chkCut, chkBlack, chkBeepSet, chkLanage, chkCom})
        box->setChecked(false);
}

void SettingsPanel::selectCutFeed()
{
    chkCutPage->setChecked(false);
}

void SettingsPanel::startUp()
{
    cboLevel->clear();
    cboLevel->addItems(levels(kDarknessMin, kDarknessMax));
    cboLevel->setCurrentIndex(-1);
    for (QCheckBox *box : {chkLevel, chkBarcode, chkCut, chkBlack, chkBeepSet, chkLanage, chkCom, chkCutPage})
        box->setChecked(true);
}

bool SettingsPanel::resetDarkness()
{
    const int before = cboLevel->currentIndex();
    const int level = cboLevel->findText(QString::number(setting(SettingKey::Darkness).defaultValue));
    if (level >= 0)
        cboLevel->setCurrentIndex(level);
    return before >= 0 && before != level;
}

bool SettingsPanel::fillCodePages(Language language)
{
    const int before = chosenCodePage(cboLanage);
    ::fillCodePages(cboLanage, language,
                    language == Language::Chinese ? kChineseDefaultCodePage : kEnglishDefaultCodePage);
    return before >= 0 && before != chosenCodePage(cboLanage);
}

std::optional<std::uint32_t> SettingsPanel::chosenValue(SettingKey key) const
{
    switch (key) {
    case SettingKey::CodePage: {
        const int number = chosenCodePage(cboLanage);
        if (number < 0)
            return std::nullopt; // no entry selected: there is no code page to send
        return std::uint32_t(number);
    }
    case SettingKey::BaudRate:
        return baudRateFromText(cboNewCom->currentText());
    case SettingKey::Darkness:
        return darknessFromText(cboLevel->currentText());
    case SettingKey::Barcode:
        return rdbBarcodeOpen->isChecked() ? 1U : 0U;
    case SettingKey::Cutter:
        return rdbCutOpen->isChecked() ? 1U : 0U;
    case SettingKey::BlackMark:
        return rdbBlackOPen->isChecked() ? 1U : 0U;
    case SettingKey::Buzzer:
        return buzzerMask(chkBeepSet01->isChecked(), chkBeepSet02->isChecked(), chkBeepSet03->isChecked(),
                          chkBeepSet04->isChecked());
    case SettingKey::CutFeed:
        return rdbCutBefore->isChecked() ? 1U : 0U;
    case SettingKey::CutMode:
        return rbCutModeFullHelf->isChecked() ? 1U : 0U;
    }
    return std::nullopt;
}

SettingChoices SettingsPanel::chosenSettings() const
{
    SettingChoices choices;
    for (const Group &g : groups_)
        if (!g.skip->isChecked())
            choices[g.key] = chosenValue(g.key);
    return choices;
}

void SettingsPanel::showChoices(const SettingChoices &choices)
{
    for (const Group &g : groups_) {
        const std::optional<std::uint32_t> &value = choices[g.key];
        g.skip->setChecked(!value);
        if (!value)
            continue;
        const std::uint32_t v = *value;
        switch (g.key) {
        case SettingKey::CodePage:
            for (int i = 0; i < cboLanage->count(); ++i)
                if (cboLanage->itemData(i).toInt() == int(v))
                    cboLanage->setCurrentIndex(i);
            break;
        case SettingKey::BaudRate:
            cboNewCom->setCurrentIndex(widgetmaker::baudRateIndex(v));
            break;
        case SettingKey::Darkness:
            cboLevel->setCurrentIndex(cboLevel->findText(QString::number(v)));
            break;
        case SettingKey::Barcode:
            (v ? rdbBarcodeOpen : rdbBarcodeClose)->setChecked(true);
            break;
        case SettingKey::Cutter:
            (v ? rdbCutOpen : rdbCutClose)->setChecked(true);
            break;
        case SettingKey::BlackMark:
            (v ? rdbBlackOPen : rdbBlackClose)->setChecked(true);
            break;
        case SettingKey::Buzzer:
            chkBeepSet01->setChecked(v & buzzerMask(true, false, false, false));
            chkBeepSet02->setChecked(v & buzzerMask(false, true, false, false));
            chkBeepSet03->setChecked(v & buzzerMask(false, false, true, false));
            chkBeepSet04->setChecked(v & buzzerMask(false, false, false, true));
            break;
        case SettingKey::CutFeed:
            (v ? rdbCutBefore : rdbCutAfter)->setChecked(true);
            break;
        case SettingKey::CutMode:
            (v ? rbCutModeFullHelf : rbCutModehelf)->setChecked(true);
            break;
        }
    }
}

PlanStep SettingsPanel::stepOf(SettingKey key) const
{
    const Setting &s = setting(key);
    const std::optional<std::uint32_t> value = chosenValue(key);
    SettingCommands chosen{&s, {}};
    if (value)
        chosen.commands = s.commands(connection_.instructionSet(), *value);
    PlanStep step = settingStep(chosen, groupOf(key)->title());
    step.id = int(key);
    return step;
}

void SettingsPanel::sendSetting(SettingKey key)
{
    const PlanStep step = stepOf(key);
    if (step.commands.empty())
        return; // nothing chosen to send
    sender_.press(step, [this](const PlanStep &done) { afterStep(done); });
}

void SettingsPanel::afterStep(const PlanStep &step)
{
    if (!step.changesBaudRate)
        return;
    // The next serial opening uses the rate just sent.
    connection_.cmbBaudRate->setCurrentIndex(cboNewCom->currentIndex());
    notifier::show(window(), messages::baudRateRestart());
    if (sender_.session->portOpen())
        connection_.btnCloseCOMClick();
}

void SettingsPanel::oneKeyUpdate()
{
    std::vector<PlanStep> plan;
    for (const Setting *s : updateOrder())
        plan.push_back(stepOf(s->key));
    DeliveryHooks hooks;
    // Read just before each step: the baud rate's close over a serial port
    // skips every group after it.
    hooks.wanted = [this](const PlanStep &step) { return !skipBoxOf(SettingKey(step.id))->isChecked(); };
    hooks.stepDone = [this](const PlanStep &step) { afterStep(step); };
    const DeliveryResult run = sender_.deliver(plan, hooks);
    if (run.stopped() && !run.stop.report.called())
        return; // nothing reached the library (it was told why)
    const QString stoppedAt = run.stopped() ? plan[std::size_t(run.stoppedAt)].name : QString();
    sender_.show([run, stoppedAt] { return messages::updateEnded(run.done, run.wanted, stoppedAt); });
    if (!run.stopped())
        return;
    // Stopped at the first step the library refused or whose job did not print.
    const QString &step = stoppedAt;
    const CommandOutcome &stop = run.stop;
    if (stop.end == CommandEnd::NotReady)
        notifier::show(window(), messages::updateStoppedNotReady(step, run.done, run.wanted, stop.conditions));
    else if (stop.report.sent)
        notifier::show(window(), messages::updateStoppedWaiting(step, run.done, run.wanted, stop.end));
    else
        notifier::show(window(), messages::updateStopped(step, run.done, run.wanted, stop.reason));
}

void SettingsPanel::btnLanageClick()
{
    sendSetting(SettingKey::CodePage);
}

void SettingsPanel::btnNewComClick()
{
    sendSetting(SettingKey::BaudRate);
}

void SettingsPanel::btnLevelClick()
{
    sendSetting(SettingKey::Darkness);
}

void SettingsPanel::btnBarcodeClick()
{
    sendSetting(SettingKey::Barcode);
}

void SettingsPanel::btnBlackClick()
{
    sendSetting(SettingKey::BlackMark);
}

void SettingsPanel::btnBeepSetClick()
{
    sendSetting(SettingKey::Buzzer);
}

void SettingsPanel::btnCutSetClick()
{
    sendSetting(SettingKey::Cutter);
}

void SettingsPanel::btnCutModeClick()
{
    sendSetting(SettingKey::CutMode);
}

void SettingsPanel::Button3Click()
{
    sendSetting(SettingKey::CutFeed);
}
