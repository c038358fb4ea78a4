#include "about_box.h"

#include "placement.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->move(left, top);
    return l;
}
} // namespace

TAboutBox::TAboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(360, 205);
    placeOnScreen(this, QPoint(754, 386));

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(8, 8, 345, 161);

    // Designed texts; FormCreate replaces the three that name product and maker.
    ProductName = label(panel, "ProductName", QStringLiteral("Product Name"), 8, 16);
    ProductName->resize(329, 25);
    ProductName->setWordWrap(true);
    Version = label(panel, "Version", QStringLiteral("V1.0"), 223, 35);
    Copyright = label(panel, "Copyright", QStringLiteral("Copyright (C) 2026 the NemboPortSettings developers"), 8, 93);
    Comments = label(panel, "Comments", QStringLiteral("Comments"), 8, 112);
    Comments->setFixedWidth(209);
    Label1 = label(panel, "Label1", QStringLiteral("Label1"), 8, 131);
    Label1->setAutoFillBackground(true);
    ProgramIcon = label(panel, "ProgramIcon", QString(), 223, 65);
    ProgramIcon->resize(105, 79);
    ProgramIcon->setScaledContents(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(150, 175, 75, 25);
    OKButton->setDefault(true);
    OKButton->setAutoDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TAboutBox::FormCreate()
{
    ProductName->setText(QStringLiteral("NV Logo Setting Program for Torvane"));
    Label1->setText(QStringLiteral("https://nemboportsettings.example.org/"));
    Comments->setText(QStringLiteral("The NemboPortSettings project"));
    for (QLabel *l : {ProductName, Version, Copyright, Comments, Label1})
        l->adjustSize();
    ProductName->resize(329, qMax(25, ProductName->height()));
    ProgramIcon->hide();
}
