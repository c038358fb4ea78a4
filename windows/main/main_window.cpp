// Start-up, the bottom row's quit / About / NV LOGO buttons, the interface
// language and the window's one send helper.
#include "main_window.h"

#include "about_box.h"
#include "captions.h"
#include "code_page_list.h"
#include "language.h"
#include "messages.h"
#include "notifier.h"
#include "nvlogo_window.h"
#include "placement.h"
#include "qt_translations.h"
#include "send_or_report.h"
#include "settings_catalogue.h"
#include "status_indicator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

TfrmMain *frmMain = nullptr;

TfrmMain::TfrmMain(const QString &libraryPath, QWidget *parent)
    : QWidget(parent)
{
    frmMain = this;
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
    if (frmMain == this)
        frmMain = nullptr;
}

bool TfrmMain::isChinese() const
{
    return isChineseLanguage(language_);
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
    language_ = lowerAscii(QString::fromLocal8Bit(reported ? reported : ""));
    Button7->setText(language_);
    Button7Click();

    cboLevel->clear();
    for (int level = kDarknessMin; level <= kDarknessMax; ++level)
        cboLevel->addItem(QString::number(level));
    cboLevel->setCurrentIndex(-1);

    for (QCheckBox *box : {chkLevel, chkBarcode, chkCut, chkBlack, chkBeepSet, chkLanage, chkCom, chkCutPage})
        box->setChecked(true);

    starting_ = false;

    // The lists may wait on a print server: asked for once the window shows.
    listsPending_ = true;
    QTimer::singleShot(0, this, &TfrmMain::startUpLists);
}

void TfrmMain::Button1Click()
{
    if (session_.portOpen() && session_.can(SessionAction::Close)) {
        PortCall call;
        portCall(false, session_.portToClose(), 0, call);
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
    const QString status = logo.lastStatus(isChinese());
    if (!status.isEmpty())
        setStatus(status);
}

void TfrmMain::Button7Click()
{
    if (lowerAscii(Button7->text()) == QLatin1String("chinese")) {
        Button7->setText(QStringLiteral("English"));
        language_ = QStringLiteral("chinese");
    } else {
        Button7->setText(QStringLiteral("Chinese"));
        language_ = QStringLiteral("english");
    }
    ApplyLanguage(language_);
}

void TfrmMain::ApplyLanguage(const QString &language)
{
    language_ = language;
    const bool chinese = isChinese();
    cboLanage->clear();
    cboLanage->addItems(GetLanguageList(language_));
    cboLanage->setCurrentIndex(chinese ? kChineseDefaultCodePage : kEnglishDefaultCodePage);
    applyCaptions(this, chinese);
    useQtTranslations(chinese);
    if (statusIndicator)
        statusIndicator->retranslate(chinese);
    if (ComboPrinter)
        showQueueStates();
}

bool TfrmMain::require(SessionAction action)
{
    return canOrReport(this, session_, action, isChinese());
}

bool TfrmMain::send(const Command &command, const QString &what, WaitingJob waiting)
{
    const SendOutcome out = sendFromWindow(this, session_, command, what, isChinese(), callProgress, waiting);
    lastSend_ = out;
    if (!out.called())
        return false;
    setStatus(out.status);
    if (out.done()) {
        askPrinter(false);
        return true;
    }
    if (!updating_ && !out.sent) {
        notifier::show(this, messages::sendFailed(what, out.reason, isChinese()));
    }
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
