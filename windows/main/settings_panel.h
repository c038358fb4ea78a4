// The main window's nine configuration groups with their skip boxes ("No
// Set", on each group's top border): each group's set button reads its
// controls into the catalogue's terms, builds through the catalogue and
// sends; the one-key update sends every group not skipped, in its order.
#pragma once

#include "delivery_path.h"
#include "setting_choices.h"
#include "settings_catalogue.h"
#include "window_sender.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

class ConnectionPanel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

class SettingsPanel : public QWidget
{
    Q_OBJECT
public:
    SettingsPanel(QWidget *window, const WindowSender &sender, ConnectionPanel &connection);

    QGroupBox *gbLanage = nullptr, *gbCom = nullptr, *gbLevel = nullptr, *gbBarcode = nullptr, *gbCut = nullptr,
              *gbBlack = nullptr, *gbCutMode = nullptr, *gbCutPage = nullptr, *gbBeepSet = nullptr;
    QComboBox *cboLanage = nullptr, *cboNewCom = nullptr, *cboLevel = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    QPushButton *btnLanage = nullptr, *btnNewCom = nullptr, *btnLevel = nullptr, *btnBarcode = nullptr,
                *btnCutSet = nullptr, *btnBlack = nullptr, *btnCutMode = nullptr, *Button3 = nullptr,
                *btnBeepSet = nullptr;
    QRadioButton *rdbBarcodeOpen = nullptr, *rdbBarcodeClose = nullptr, *rdbCutOpen = nullptr, *rdbCutClose = nullptr,
                 *rdbBlackOPen = nullptr, *rdbBlackClose = nullptr, *rbCutModeFullHelf = nullptr,
                 *rbCutModehelf = nullptr, *rdbCutAfter = nullptr, *rdbCutBefore = nullptr;
    QCheckBox *chkBeepSet01 = nullptr, *chkBeepSet02 = nullptr, *chkBeepSet03 = nullptr, *chkBeepSet04 = nullptr;
    // Skip boxes: on their group's border, not inside it.
    QCheckBox *chkLanage = nullptr, *chkCom = nullptr, *chkLevel = nullptr, *chkBarcode = nullptr, *chkCut = nullptr,
              *chkBlack = nullptr, *chkCutMode = nullptr, *chkCutPage = nullptr, *chkBeepSet = nullptr;

    // The group and skip box of a setting.
    QGroupBox *groupOf(SettingKey key) const;
    QCheckBox *skipBoxOf(SettingKey key) const;
    // The value a setting's controls show now, in the catalogue's terms;
    // none when they show none (no code page selected).
    std::optional<std::uint32_t> chosenValue(SettingKey key) const;

    // The values of the selected groups (skip box clear), in the catalogue's terms.
    SettingChoices chosenSettings() const;
    // Shows choices: each chosen setting's value in its controls with its
    // group selected, every other group skipped. Sends nothing.
    void showChoices(const SettingChoices &choices);

    // Skip all's part here: every skip box checked, then enabled as ready says.
    void skipAll(bool ready);
    // True when some group is selected (its skip box clear).
    bool anySelected() const;
    // Select all's part here: the boxes of the one-key update cleared, the
    // cut feed's apart (last).
    void selectAllButCutFeed();
    void selectCutFeed();
    // Start-up: the darkness levels of the catalogue, none selected; the skip
    // boxes of every group but the cut mode checked.
    void startUp();
    // The refresh's darkness: the catalogue's default level again. True when
    // another level was chosen before.
    bool resetDarkness();
    // The code page list in language, at its default entry. True when
    // another code page was chosen before.
    bool fillCodePages(Language language);

    // The one-key update: every group not skipped, each read just before its
    // turn, in the update's order; tells where it stopped.
    void oneKeyUpdate();

public slots:
    void btnLanageClick();
    void btnNewComClick();
    void btnLevelClick();
    void btnBarcodeClick();
    void btnBlackClick();
    void btnBeepSetClick();
    void btnCutSetClick();
    void btnCutModeClick();
    void Button3Click();

private:
    struct Group
    {
        SettingKey key;
        QGroupBox *group;
        QCheckBox *skip;
        QPushButton *set;
        void (SettingsPanel::*handler)();
    };

    void build();
    void buildSkipBoxes();
    void connectHandlers();
    const Group &groupFor(SettingKey key) const;
    // The skip box rule: a checked box disables its group and turns red.
    void applySkipRule(QCheckBox *box);
    // The step a setting's set button sends, named by its group's title.
    PlanStep stepOf(SettingKey key) const;
    void sendSetting(SettingKey key);
    // After a setting was sent in full: the baud rate's restart message, the
    // new rate for the next opening, and the serial port closed.
    void afterStep(const PlanStep &step);

    const WindowSender &sender_;
    ConnectionPanel &connection_;
    std::array<Group, kSettingCount> groups_{};
};
