// TForm3's controls, placed by client-pixel geometry.
#include "nvlogo_window.h"

#include "code_page_box.h"
#include "code_page_list.h"
#include "logo_preview.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>

namespace {

template <typename W>
W *make(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(geometry);
    return w;
}

QPushButton *button(QWidget *parent, const char *name, const char *caption, const QRect &geometry)
{
    auto *b = make<QPushButton>(parent, name, geometry);
    b->setText(QString::fromUtf8(caption));
    b->setAutoDefault(false);
    return b;
}

QRadioButton *radio(QWidget *parent, const char *name, const char *caption, const QRect &geometry)
{
    auto *r = make<QRadioButton>(parent, name, geometry);
    r->setText(QString::fromUtf8(caption));
    return r;
}

QLabel *label(QWidget *parent, const char *name, const char *caption, const QRect &geometry)
{
    auto *l = make<QLabel>(parent, name, geometry);
    l->setText(QString::fromUtf8(caption));
    return l;
}

QSpinBox *fixedSpin(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *s = make<QSpinBox>(parent, name, geometry);
    s->setRange(1, 1);
    s->setValue(1);
    s->setEnabled(false);
    return s;
}

QButtonGroup *group(QObject *owner, std::initializer_list<QAbstractButton *> buttons)
{
    auto *g = new QButtonGroup(owner);
    for (QAbstractButton *b : buttons)
        g->addButton(b);
    return g;
}

} // namespace

void TForm3::buildLayout()
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(QStringLiteral("NV LOGO"));
    QFont f(QStringLiteral("DejaVu Sans Condensed"));
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(542, 309);

    GroupBox22 = make<QGroupBox>(this, "GroupBox22", {4, 2, 385, 253});
    GroupBox22->setTitle(QStringLiteral("LOGO"));
    const QRect preview(3, 18, 379, 225);
    imgPrint1 = make<LogoPreview>(GroupBox22, "imgPrint1", preview);
    imgPrint2 = make<LogoPreview>(GroupBox22, "imgPrint2", preview);
    imgPrint3 = make<LogoPreview>(GroupBox22, "imgPrint3", preview);
    imgPrint4 = make<LogoPreview>(GroupBox22, "imgPrint4", preview);

    Label2 = label(this, "Label2", "POS58 Max BMP Size: 384 x 600 dots   /", {4, 262, 201, 16});
    Label1 = label(this, "Label1", "POS80 Max BMP Size: 576 x 600 dots", {205, 262, 186, 16});

    BitBtn22 = button(this, "BitBtn22", "Open BMP...", {395, 6, 143, 25});
    BitBtn22->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    BitBtn22->setIconSize(QSize(16, 16));
    RadioButton1 = radio(this, "RadioButton1", "Image processing", {392, 34, 150, 18});
    RadioButton2 = radio(this, "RadioButton2", "Do not image processing", {392, 52, 150, 18});

    Label34 = label(this, "Label34", "NV Logo POS:", {393, 78, 70, 16});
    edtIconNo = fixedSpin(this, "edtIconNo", {464, 75, 34, 22});
    BitBtn4 = button(this, "BitBtn4", "Clear", {500, 74, 40, 24});

    Label4 = label(this, "Label4", "Model：", {393, 104, 48, 16});
    RadioButton4 = radio(this, "RadioButton4", "58", {444, 103, 44, 18});
    RadioButton5 = radio(this, "RadioButton5", "80", {490, 103, 44, 18});

    BitBtn25 = button(this, "BitBtn25", "Download to Flash", {395, 126, 143, 25});
    BitBtn3 = button(this, "BitBtn3", "Clear Print Flash", {395, 154, 143, 25});
    BitBtn1 = button(this, "BitBtn1", "NV Logo Test Print", {395, 182, 143, 25});

    rdbNVLeft = radio(this, "rdbNVLeft", "left", {392, 210, 42, 18});
    rdbNVMiddle = radio(this, "rdbNVMiddle", "middle", {434, 210, 59, 18});
    rdbNVRight = radio(this, "rdbNVRight", "right", {493, 210, 49, 18});
    Label3 = label(this, "Label3", "NV Logo POS:", {393, 235, 70, 16});
    SpinEdit1 = fixedSpin(this, "SpinEdit1", {464, 232, 34, 22});

    BitBtn2 = button(this, "BitBtn2", "&Quit", {395, 259, 70, 25});
    BitBtn5 = button(this, "BitBtn5", "&About", {468, 259, 70, 25});
    BitBtn5->setEnabled(false);

    processingGroup_ = group(this, {RadioButton1, RadioButton2});
    modelGroup_ = group(this, {RadioButton4, RadioButton5});
    alignGroup_ = group(this, {rdbNVLeft, rdbNVMiddle, rdbNVRight});
    RadioButton1->setChecked(true);
    RadioButton5->setChecked(true);
    rdbNVMiddle->setChecked(true);

    StatusBar1 = make<QStatusBar>(this, "StatusBar1", {0, 288, 542, 21});
    StatusBar1->setSizeGripEnabled(false);
    // Four panels side by side at their designed places, placed by hand:
    // the bar's own layout would move and hide them as texts change.
    const char *const panelTexts[4] = {"Current BMP Size:", "", "Language settings:", ""};
    const int panelWidths[4] = {120, 100, 120, 50};
    for (int i = 0, x = 0; i < 4; x += panelWidths[i], ++i) {
        statusPanels[i] = new QLabel(QString::fromLatin1(panelTexts[i]), StatusBar1);
        statusPanels[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        statusPanels[i]->setGeometry(x, 0, panelWidths[i], StatusBar1->height());
    }

    cboSelectLIB = make<QComboBox>(this, "cboSelectLIB", {342, 288, 140, 21});
    fillCodePages(cboSelectLIB, Language::English, kLogoWindowDefaultCodePage);
    Button6 = button(this, "Button6", "Settings", {484, 288, 56, 21});

    // What assistive technology reads where captions repeat or are missing
    // (English, as the window).
    const struct
    {
        QWidget *widget;
        const char *name;
    } names[] = {
        {edtIconNo, "NV logo number to load"},
        {SpinEdit1, "NV logo number to print"},
        {RadioButton4, "58 mm model"},
        {RadioButton5, "80 mm model"},
        {cboSelectLIB, "Code page"},
        {Button6, "Send the code page"},
        {BitBtn2, "Quit"},
        {BitBtn5, "About"},
    };
    for (const auto &n : names)
        n.widget->setAccessibleName(QLatin1String(n.name));
    Label34->setBuddy(edtIconNo);
    Label3->setBuddy(SpinEdit1);

    // Shown over the status bar's left half while the printer writes its flash.
    waitProgress = make<QProgressBar>(this, "waitProgress", {0, 288, 340, 21});
    waitProgress->setFormat(QStringLiteral("Writing the logo to flash... %p%"));
    waitProgress->setRange(0, 100);
    waitProgress->hide();
}
