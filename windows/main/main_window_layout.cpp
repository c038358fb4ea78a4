// Builds the main window's controls at their designed client-pixel geometry.
#include "captions.h"
#include "code_page_box.h"
#include "code_page_list.h"
#include "main_window.h"
#include "settings_catalogue.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

namespace {

template <typename W>
W *make(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    auto *w = new W(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left, top, width, height);
    return w;
}

QComboBox *list(QWidget *parent, const char *name, int left, int top, int width, const QStringList &items, int selected)
{
    auto *box = make<QComboBox>(parent, name, left, top, width, 21);
    box->setEditable(false);
    box->addItems(items);
    box->setCurrentIndex(selected);
    return box;
}

QStringList numbered(const QString &prefix, int first, int last)
{
    QStringList items;
    for (int i = first; i <= last; ++i)
        items << prefix + QString::number(i);
    return items;
}

QStringList baudRateItems()
{
    QStringList items;
    for (std::uint32_t rate : kBaudRates)
        items << QString::number(rate);
    return items;
}

int baudRateIndex(std::uint32_t rate)
{
    return int(std::find(std::begin(kBaudRates), std::end(kBaudRates), rate) - std::begin(kBaudRates));
}

// A configuration group with its set button at the right.
QGroupBox *group(QWidget *parent, const char *name, int left, int top, int width, int height)
{
    return make<QGroupBox>(parent, name, left, top, width, height);
}

QPushButton *setButton(QGroupBox *group, const char *name)
{
    return make<QPushButton>(group, name, 182, group->height() - 33, 52, 25);
}

} // namespace

void TfrmMain::buildLayout()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(505, 573);
    buildConnectionGroup();
    buildConfigurationGroups();
    buildTestGroup();
    buildBottomRow();
    applyDesignedCaptions(this);
}

void TfrmMain::buildConnectionGroup()
{
    GroupBox18 = group(this, "GroupBox18", 8, 7, 488, 122);
    QWidget *g = GroupBox18;

    rdbDriver = make<QRadioButton>(g, "rdbDriver", 8, 20, 126, 20);
    ComboPrinter = list(g, "ComboPrinter", 136, 19, 200, {}, -1);
    btnRef = make<QPushButton>(g, "btnRef", 340, 12, 66, 30);
    Button7 = make<QPushButton>(g, "Button7", 410, 12, 66, 30);
    Button7->setText(QStringLiteral("中文"));

    rdbCom = make<QRadioButton>(g, "rdbCom", 8, 55, 126, 20);
    cmbCom = list(g, "cmbCom", 136, 54, 99, numbered(QStringLiteral("COM"), 1, 29), 0);
    Panel5 = make<QLabel>(g, "Panel5", 237, 54, 56, 21);
    Panel5->setAlignment(Qt::AlignCenter);
    cmbBaudRate = list(g, "cmbBaudRate", 294, 54, 64, baudRateItems(), baudRateIndex(kSerialOpenRate));
    btnOpenCOM = make<QPushButton>(g, "btnOpenCOM", 360, 52, 58, 25);
    btnCloseCOM = make<QPushButton>(g, "btnCloseCOM", 420, 52, 58, 25);
    cmbShareHand =
        list(g, "cmbShareHand", 294, 54, 64,
             {QStringLiteral("无握手"), QStringLiteral("硬件握手CTS"), QStringLiteral("软件握手XON/XOFF")}, 0);
    cmbShareHand->hide();
    for (QComboBox *box : {ComboPrinter, cmbCom})
        box->view()->setMinimumWidth(200);

    rdbLpt = make<QRadioButton>(g, "rdbLpt", 8, 90, 126, 20);
    cmbLpt = list(g, "cmbLpt", 136, 89, 82, numbered(QStringLiteral("LPT"), 1, 3), 0);
    Panel1 = make<QWidget>(g, "Panel1", 222, 86, 256, 28);
    rdbCommandNew = make<QRadioButton>(Panel1, "rdbCommandNew", 4, 4, 110, 20);
    rdbCommandOLD = make<QRadioButton>(Panel1, "rdbCommandOLD", 118, 4, 136, 20);
    rdbCommandNew->setChecked(true);
}

void TfrmMain::buildConfigurationGroups()
{
    gbLanage = group(this, "gbLanage", 8, 135, 241, 57);
    cboLanage = list(gbLanage, "cboLanage", 8, 25, 160, {}, -1);
    fillCodePages(cboLanage, Language::Chinese, kChineseDefaultCodePage);
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
    cboNewCom = list(gbCom, "cboNewCom", 100, 25, 70, baudRateItems(),
                     baudRateIndex(setting(SettingKey::BaudRate).defaultValue));
    btnNewCom = setButton(gbCom, "btnNewCom");

    gbLevel = group(this, "gbLevel", 8, 197, 241, 54);
    Label1 = make<QLabel>(gbLevel, "Label1", 8, 23, 92, 21);
    cboLevel = list(gbLevel, "cboLevel", 100, 23, 70, numbered(QString(), 0, 12), 4);
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
        *s.box = make<QCheckBox>(this, s.name, s.left, s.top, 62, 17);
        (*s.box)->setAutoFillBackground(true);
        (*s.box)->raise();
    }
}

void TfrmMain::buildTestGroup()
{
    gbPrint = group(this, "gbPrint", 8, 455, 490, 78);
    Button14 = make<QPushButton>(gbPrint, "Button14", 10, 20, 89, 25);
    Button6 = make<QPushButton>(gbPrint, "Button6", 105, 20, 96, 25);
    Button4 = make<QPushButton>(gbPrint, "Button4", 207, 20, 95, 25);
    Button21 = make<QPushButton>(gbPrint, "Button21", 9, 47, 89, 25);
    Button5 = make<QPushButton>(gbPrint, "Button5", 105, 47, 96, 25);
    Button2 = make<QPushButton>(gbPrint, "Button2", 207, 47, 95, 25);
    Button9 = make<QPushButton>(gbPrint, "Button9", 308, 20, 169, 47);
    Button4->setText(QStringLiteral("QR Barcode"));
    setTabOrder(Button14, Button21);
    setTabOrder(Button21, Button2);
    setTabOrder(Button2, Button5);
    setTabOrder(Button5, Button6);
    setTabOrder(Button6, Button4);
    setTabOrder(Button4, Button9);
}

void TfrmMain::buildBottomRow()
{
    Button12 = make<QPushButton>(this, "Button12", 9, 539, 88, 27);
    Button20 = make<QPushButton>(this, "Button20", 100, 539, 87, 27);
    Button13 = make<QPushButton>(this, "Button13", 190, 539, 76, 27);
    BitBtn1 = make<QPushButton>(this, "BitBtn1", 269, 539, 74, 27);
    BitBtn1->setText(QStringLiteral("NV LOGO"));
    Button1 = make<QPushButton>(this, "Button1", 346, 539, 84, 27);
    BitBtn5 = make<QPushButton>(this, "BitBtn5", 433, 539, 65, 27);
}
