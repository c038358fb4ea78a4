#include "nvlogo_window.h"

#include "bitmap_loader.h"
#include "code_page_list.h"
#include "commands.h"
#include "halftone.h"
#include "logo_commands.h"
#include "logo_preview.h"
#include "messages.h"
#include "notifier.h"
#include "raster.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

namespace {

const char *const kTooWide58 = "The width of the bitmap should not exceed 384 pixels!";
const char *const kTooWide80 = "The width of the bitmap should not exceed 576 pixels!";
const char *const kTooLarge = "The BMP file size can not exceed 160Kb";
const char *const kTooSmall = "The bitmap must be at least 8 x 8 pixels to be downloaded.";
const char *const kSlotEmpty = "NV logo %1 holds no picture, so nothing was downloaded.";

constexpr int kWidth58 = 384;
constexpr int kWidth80 = 576;

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

bool TForm3::s_loaded[TForm3::kSlotCount] = {false, false, false, false};

TForm3::TForm3(const PrinterTarget &target, std::function<bool()> oldInstructionSet, QWidget *parent)
    : TForm3(target, std::move(oldInstructionSet), QString(), parent)
{
}

TForm3::TForm3(const PrinterTarget &target, std::function<bool()> oldInstructionSet, const QString &libraryPath,
               QWidget *parent)
    : QDialog(parent), target_(target), oldInstructionSet_(std::move(oldInstructionSet))
{
    chooseFile = [this] { return defaultChooseFile(); };
    buildLayout();
    connectHandlers();
    FormCreate(libraryPath);
}

TForm3::~TForm3() = default;

bool TForm3::slotLoaded(int slot)
{
    return slot >= 1 && slot <= kSlotCount && s_loaded[slot - 1];
}

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
    const char *const panelTexts[4] = {"Current BMP Size:", "", "Language settings:", ""};
    const int panelWidths[4] = {120, 100, 120, 50};
    for (int i = 0; i < 4; ++i) {
        statusPanels[i] = new QLabel(QString::fromLatin1(panelTexts[i]), StatusBar1);
        statusPanels[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        statusPanels[i]->setFixedWidth(panelWidths[i]);
        StatusBar1->addWidget(statusPanels[i]);
    }

    cboSelectLIB = make<QComboBox>(this, "cboSelectLIB", {342, 288, 140, 21});
    cboSelectLIB->addItems(GetLanguageList(QStringLiteral("english")));
    cboSelectLIB->setCurrentIndex(kLogoWindowDefaultCodePage);
    Button6 = button(this, "Button6", "Settings", {484, 288, 56, 21});

    // Shown over the status bar's left half while the printer writes its flash.
    waitProgress = make<QProgressBar>(this, "waitProgress", {0, 288, 340, 21});
    waitProgress->setFormat(QStringLiteral("Writing the logo to flash... %p%"));
    waitProgress->setRange(0, 100);
    waitProgress->hide();
}

void TForm3::connectHandlers()
{
    connect(BitBtn22, &QPushButton::clicked, this, &TForm3::BitBtn22Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm3::BitBtn4Click);
    connect(BitBtn25, &QPushButton::clicked, this, &TForm3::BitBtn25Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm3::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    connect(Button6, &QPushButton::clicked, this, &TForm3::Button6Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
}

// Set-up at creation. The library is loaded for this window's own sends; when
// it cannot be loaded the window still sets itself up, so a picture can be
// prepared, and the sending buttons say what is missing.
void TForm3::FormCreate(const QString &libraryPath)
{
    if (libraryPath.isEmpty())
        lib_.loadSendOnly();
    else
        lib_.loadFrom(libraryPath);

    for (LogoPreview *p : {imgPrint2, imgPrint3, imgPrint4}) {
        p->setGeometry(imgPrint1->geometry());
        p->hide();
    }
    BitBtn4Click();
}

int TForm3::currentSlot() const
{
    const int slot = edtIconNo->text().toInt();
    return slot >= 1 && slot <= kSlotCount ? slot : 1;
}

LogoPreview *TForm3::slotPreview(int slot) const
{
    LogoPreview *const previews[kSlotCount] = {imgPrint1, imgPrint2, imgPrint3, imgPrint4};
    return previews[slot - 1];
}

QString TForm3::defaultChooseFile()
{
    QStringList patterns;
    for (const QByteArray &suffix : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(suffix);
    QFileDialog dlgImage(this);
    dlgImage.setObjectName(QStringLiteral("dlgImage"));
    dlgImage.setAcceptMode(QFileDialog::AcceptOpen);
    dlgImage.setFileMode(QFileDialog::ExistingFile);
    dlgImage.setNameFilters({QString::fromUtf8("位图 (*.bmp)"),
                             QStringLiteral("All pictures (%1)").arg(patterns.join(QLatin1Char(' ')))});
    dlgImage.setDefaultSuffix(QStringLiteral("bmp"));
    if (dlgImage.exec() != QDialog::Accepted || dlgImage.selectedFiles().isEmpty())
        return {};
    return dlgImage.selectedFiles().constFirst();
}

void TForm3::BitBtn22Click()
{
    const QString path = chooseFile ? chooseFile() : QString();
    if (path.isEmpty())
        return;
    const int slot = currentSlot();
    LogoPreview *preview = slotPreview(slot);

    // A file that cannot be read leaves the slot as it was.
    bitmap::Loaded loaded = bitmap::load(path);
    if (!loaded.ok()) {
        notifier::show(this, loaded.error, QDir::toNativeSeparators(path));
        return;
    }
    preview->setPicture(loaded.image);
    s_loaded[slot - 1] = false;

    const bool model58 = RadioButton4->isChecked();
    const int limit = model58 ? kWidth58 : kWidth80;
    if (loaded.image.width() > limit) {
        notifier::show(this, QString::fromLatin1(model58 ? kTooWide58 : kTooWide80));
        preview->clear();
        return;
    }

    s_loaded[slot - 1] = true;
    BitBtn25->setEnabled(true);
    BitBtn4->setEnabled(BitBtn25->isEnabled());

    if (RadioButton1->isChecked()) {
        halftone::apply(preview->picture());
        preview->update();
    }
    statusPanels[1]->setText(QStringLiteral("%1x%2").arg(loaded.image.width()).arg(loaded.image.height()));
}

void TForm3::BitBtn4Click()
{
    const int slot = currentSlot();
    s_loaded[slot - 1] = false;
    slotPreview(slot)->clear();
    edtIconNoChange();
}

void TForm3::edtIconNoChange()
{
    const int slot = currentSlot();
    BitBtn25->setEnabled(s_loaded[slot - 1]);
    for (int i = 1; i <= kSlotCount; ++i)
        slotPreview(i)->hide();
    slotPreview(slot)->show();
    BitBtn4->setEnabled(BitBtn25->isEnabled());
}

bool TForm3::canSend()
{
    if (lib_.isLoaded() && lib_.sendBufferToPrint)
        return true;
    notifier::show(this, messages::missingPiece(lib_, "SendBufferToPrint", false));
    return false;
}

bool TForm3::send(const Command &command)
{
    if (sendCommand(lib_, target_, command) == SendStatus::Sent)
        return true;
    notifier::show(this, messages::missingPiece(lib_, "SendBufferToPrint", false));
    return false;
}

void TForm3::BitBtn25Click()
{
    if (downloading_ || !canSend())
        return;
    downloading_ = true;
    BitBtn25->setEnabled(false);
    BitBtn3->setEnabled(false);
    const auto finish = [this] {
        BitBtn25->setEnabled(true);
        BitBtn3->setEnabled(true);
        downloading_ = false;
    };

    int n = 0;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        if (s_loaded[slot - 1])
            n = slot;

    if (n > 0) {
        std::vector<QImage> images;
        for (int slot = 1; slot <= n; ++slot)
            images.push_back(s_loaded[slot - 1] ? slotPreview(slot)->picture() : QImage());
        const raster::Result built = raster::downloadCommand(images);
        if (built.status != raster::Status::Ok) {
            QString text;
            switch (built.status) {
            case raster::Status::TooLarge:
                text = QString::fromLatin1(kTooLarge);
                break;
            case raster::Status::TooSmall:
                text = QString::fromLatin1(kTooSmall);
                break;
            default: {
                int empty = 1;
                while (empty < n && s_loaded[empty - 1])
                    ++empty;
                text = QString::fromLatin1(kSlotEmpty).arg(empty);
                break;
            }
            }
            notifier::show(this, text);
            finish();
            return;
        }
        send(Command{built.bytes, raster::kDocDownload});
    }
    waitForFlash();
    finish();
}

// The printer needs time to write its flash. The window keeps painting and
// shows the wait's progress, but takes no input until it is over.
void TForm3::waitForFlash()
{
    waitProgress->setValue(0);
    waitProgress->show();
    waitProgress->raise();

    QEventLoop loop;
    QElapsedTimer clock;
    QTimer tick;
    tick.setInterval(100);
    connect(&tick, &QTimer::timeout, &loop, [&] {
        const qint64 done = clock.elapsed();
        if (done >= downloadWaitMs) {
            loop.quit();
            return;
        }
        waitProgress->setValue(int(done * 100 / qMax(1, downloadWaitMs)));
    });
    QTimer::singleShot(qMax(0, downloadWaitMs), &loop, &QEventLoop::quit);
    clock.start();
    tick.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    waitProgress->setValue(100);
    waitProgress->hide();
}

void TForm3::BitBtn3Click()
{
    if (canSend())
        send(logo::clearFlashCommand());
}

void TForm3::BitBtn1Click()
{
    if (!canSend())
        return;
    const logo::Alignment j = rdbNVLeft->isChecked()     ? logo::Alignment::Left
                              : rdbNVMiddle->isChecked() ? logo::Alignment::Middle
                                                         : logo::Alignment::Right;
    send(logo::testPrintCommand(j, std::uint8_t(SpinEdit1->text().toInt())));
}

void TForm3::Button6Click()
{
    if (!canSend())
        return;
    const int t = codePageNumber(cboSelectLIB->currentText());
    if (t < 0)
        return; // every fixed entry starts with two digits
    const bool old = oldInstructionSet_ && oldInstructionSet_();
    send(codePageCommand(old ? InstructionSet::Old : InstructionSet::New, std::uint8_t(t)));
}

void TForm3::BitBtn2Click()
{
    close();
}

void TForm3::closeEvent(QCloseEvent *event)
{
    // The modal run may not end while the printer writes its flash: the
    // window's handler still runs below.
    if (downloading_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TForm3::reject()
{
    if (downloading_)
        return;
    QDialog::reject();
}
