// Start-up, the bottom row's quit / About / NV LOGO buttons, the interface
// language and the window's one send helper.
#include "main_window.h"

#include "about_box.h"
#include "captions.h"
#include "code_page_box.h"
#include "code_page_list.h"
#include "language.h"
#include "messages.h"
#include "notifier.h"
#include "nvlogo_window.h"
#include "placement.h"
#include "qt_translations.h"
#include "record_window.h"
#include "send_or_report.h"
#include "settings_catalogue.h"
#include "status_indicator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

TfrmMain *frmMain = nullptr;

TfrmMain::TfrmMain(const QString &libraryPath, QWidget *parent)
    : QWidget(parent)
{
    frmMain = this;
    // Every window starts English until the library tells its language.
    setInterfaceLanguage(Language::English);
    buildLayout();
    buildStatusLine();
    // Placed once its final size (status line included) is known.
    placeOnScreen(this, QPoint(686, 154));
    connectSignals();
    if (libraryPath.isEmpty())
        lib_.load();
    else
        lib_.loadFrom(libraryPath);
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // A question on its way uses this window's binding of the library.
    statusIndicator->waitForAnswer();
    if (frmMain == this)
        frmMain = nullptr;
}

QString TfrmMain::interfaceLanguage() const
{
    if (!languageApplied_)
        return {};
    return isChinese() ? QStringLiteral("chinese") : QStringLiteral("english");
}

bool TfrmMain::isChinese() const
{
    return currentLanguage() == Language::Chinese;
}

void TfrmMain::FormCreate()
{
    // Without the library the window keeps its designed state.
    if (!lib_.isLoaded())
        return;
    starting_ = true;

    if (lib_.getDravikDllVer) {
        const char *version = lib_.getDravikDllVer();
        setWindowTitle(windowTitle() + QStringLiteral(" DLL Ver:") + QString::fromLocal8Bit(version ? version : ""));
    }

    const char *reported = lib_.isLanguage ? lib_.isLanguage() : nullptr;
    ApplyLanguage(QString::fromLocal8Bit(reported ? reported : ""));

    cboLevel->clear();
    for (int level = kDarknessMin; level <= kDarknessMax; ++level)
        cboLevel->addItem(QString::number(level));
    cboLevel->setCurrentIndex(-1);

    for (QCheckBox *box : {chkLevel, chkBarcode, chkCut, chkBlack, chkBeepSet, chkLanage, chkCom, chkCutPage})
        box->setChecked(true);

    // The refresh runs before the window is shown, so nothing it sets can
    // undo a first click. Its list calls run on the worker thread (each
    // bounded by the library); a slow print server gets a small window of
    // its own meanwhile.
    listPrintersAndPorts();
    starting_ = false;
}

void TfrmMain::Button1Click()
{
    if (session_.portOpen() && session_.can(SessionAction::Close)) {
        PortCall call;
        portCall(false, cmbCom->currentText(), 0, call);
    }
    close();
}

void TfrmMain::BitBtn5Click()
{
    TAboutBox about;
    about.exec();
}

void TfrmMain::BitBtn1Click()
{
    TForm3 logo(session_.target(), [this] { return rdbCommandOLD->isChecked(); });
    logo.exec();
    // The last operation may have been the logo window's: told here in the
    // interface language.
    const QString status = logo.lastStatus(currentLanguage());
    if (!status.isEmpty()) {
        setStatus(status);
        askPrinter(false);
    }
}

void TfrmMain::Button7Click()
{
    // The button names the other language; the designed window turns English.
    applyLanguage(languageApplied_ && !isChinese() ? Language::Chinese : Language::English);
}

void TfrmMain::ApplyLanguage(const QString &language)
{
    applyLanguage(isChineseLanguage(lowerAscii(language)) ? Language::Chinese : Language::English);
}

void TfrmMain::applyLanguage(Language language)
{
    languageApplied_ = true;
    setInterfaceLanguage(language);
    const bool toChinese = language == Language::Chinese;
    Button7->setText(toChinese ? QStringLiteral("English") : QStringLiteral("Chinese"));
    fillCodePages(cboLanage, language, toChinese ? kChineseDefaultCodePage : kEnglishDefaultCodePage);
    applyCaptions(this);
    if (statusIndicator)
        statusIndicator->retranslate(language);
    if (ComboPrinter)
        showQueueStates();
    if (auto *record = findChild<RecordWindow *>(QString(), Qt::FindDirectChildrenOnly))
        record->setLanguage(language);
}

bool TfrmMain::require(SessionAction action)
{
    return canOrReport(this, session_, action, currentLanguage());
}

bool TfrmMain::send(const Command &command, const QString &what, WaitingJob waiting)
{
    const SendOutcome out = sendFromWindow(this, session_, command, what, currentLanguage(), callProgress, waiting);
    lastSend_ = out;
    if (!out.called())
        return false;
    setStatus(out.status);
    if (out.done()) {
        askPrinter(false);
        return true;
    }
    if (!updating_ && !out.sent)
        notifier::show(this, sendFailedMessage(session_.target(), what, out.reason, currentLanguage()));
    return false;
}

void TfrmMain::connectSignals()
{
    const struct
    {
        QPushButton *button;
        void (TfrmMain::*handler)();
    } clicks[] = {
        {Button1, &TfrmMain::Button1Click},         {BitBtn5, &TfrmMain::BitBtn5Click},
        {BitBtn1, &TfrmMain::BitBtn1Click},         {Button7, &TfrmMain::Button7Click},
        {btnRef, &TfrmMain::btnRefClick},           {btnOpenCOM, &TfrmMain::btnOpenCOMClick},
        {btnCloseCOM, &TfrmMain::btnCloseCOMClick}, {Button12, &TfrmMain::Button12Click},
        {Button20, &TfrmMain::Button20Click},       {Button13, &TfrmMain::Button13Click},
        {btnLanage, &TfrmMain::btnLanageClick},     {btnNewCom, &TfrmMain::btnNewComClick},
        {btnLevel, &TfrmMain::btnLevelClick},       {btnBarcode, &TfrmMain::btnBarcodeClick},
        {btnBlack, &TfrmMain::btnBlackClick},       {btnBeepSet, &TfrmMain::btnBeepSetClick},
        {btnCutSet, &TfrmMain::btnCutSetClick},     {btnCutMode, &TfrmMain::btnCutModeClick},
        {Button3, &TfrmMain::Button3Click},         {Button14, &TfrmMain::Button14Click},
        {Button21, &TfrmMain::Button21Click},       {Button2, &TfrmMain::Button2Click},
        {Button5, &TfrmMain::Button5Click},         {Button6, &TfrmMain::Button6Click},
        {Button4, &TfrmMain::Button4Click},         {Button9, &TfrmMain::Button9Click},
    };
    for (const auto &c : clicks)
        connect(c.button, &QPushButton::clicked, this, c.handler);

    // A mode handler runs when its radio button becomes checked.
    const struct
    {
        QRadioButton *radio;
        void (TfrmMain::*handler)();
    } modes[] = {
        {rdbDriver, &TfrmMain::rdbDriverClick},
        {rdbCom, &TfrmMain::rdbComClick},
        {rdbLpt, &TfrmMain::rdbLptClick},
    };
    for (const auto &m : modes)
        connect(m.radio, &QRadioButton::toggled, this, [this, m](bool on) {
            if (on)
                (this->*m.handler)();
        });

    // Only a user's choice in a list counts as a change.
    connect(cmbCom, &QComboBox::activated, this, &TfrmMain::cmbComChange);
    connect(cmbBaudRate, &QComboBox::activated, this, &TfrmMain::cmbBaudRateChange);
    connect(cmbShareHand, &QComboBox::activated, this, &TfrmMain::cmbShareHandChange);
    connect(ComboPrinter, &QComboBox::activated, this, &TfrmMain::ComboPrinterChange);
    connect(cmbLpt, &QComboBox::activated, this, &TfrmMain::cmbLptChange);
    // The whole port name, however narrow the box.
    connect(cmbCom, &QComboBox::currentTextChanged, cmbCom, &QWidget::setToolTip);

    // The skip box rule runs at every change of a box, by hand or by program.
    for (QCheckBox *box :
         {chkLanage, chkCom, chkLevel, chkBarcode, chkCut, chkBlack, chkCutMode, chkCutPage, chkBeepSet})
        connect(box, &QCheckBox::toggled, this, [this, box] { applySkipRule(box); });
}
