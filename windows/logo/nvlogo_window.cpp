// TForm3's creation, its logo slots and opening a picture into one.
#include "nvlogo_window.h"

#include "bitmap_loader.h"
#include "halftone.h"
#include "logo_fit.h"
#include "logo_limits.h"
#include "logo_preview.h"
#include "messages.h"
#include "notifier.h"
#include "status_line.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

bool TForm3::s_loaded[TForm3::kSlotCount] = {false, false, false, false};

TForm3::TForm3(const PrinterTarget &target, std::function<bool()> oldInstructionSet, QWidget *parent)
    : TForm3(target, std::move(oldInstructionSet), QString(), parent)
{
}

TForm3::TForm3(const PrinterTarget &target, std::function<bool()> oldInstructionSet, const QString &libraryPath,
               QWidget *parent)
    : QDialog(parent)
    , oldInstructionSet_(std::move(oldInstructionSet))
{
    session_.adopt(target);
    chooseFile = [this] { return defaultChooseFile(); };
    buildLayout();
    buildOutcomePanel();
    connectHandlers();
    FormCreate(libraryPath);
}

TForm3::~TForm3() = default;

bool TForm3::slotLoaded(int slot)
{
    return slot >= 1 && slot <= kSlotCount && s_loaded[slot - 1];
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
    // Every kind the loader reads first; the window's texts are English.
    QStringList patterns;
    for (const QByteArray &suffix : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(suffix);
    QFileDialog dlgImage(this);
    dlgImage.setObjectName(QStringLiteral("dlgImage"));
    dlgImage.setAcceptMode(QFileDialog::AcceptOpen);
    dlgImage.setFileMode(QFileDialog::ExistingFile);
    dlgImage.setNameFilters(pictureFilters(patterns));
    dlgImage.setDefaultSuffix(QStringLiteral("bmp"));
    if (dlgImage.exec() != QDialog::Accepted || dlgImage.selectedFiles().isEmpty())
        return {};
    return dlgImage.selectedFiles().constFirst();
}

QStringList TForm3::pictureFilters(const QStringList &patterns)
{
    return {QStringLiteral("Pictures (%1)").arg(patterns.join(QLatin1Char(' '))), QStringLiteral("Bitmaps (*.bmp)"),
            QStringLiteral("All files (*)")};
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
    s_loaded[slot - 1] = false;

    // Too wide for the paper: scaled down to it if the user wants, else refused.
    QImage image = loaded.image;
    const logo::Model model = RadioButton4->isChecked() ? logo::Model::Mm58 : logo::Model::Mm80;
    if (image.width() > logo::maxWidth(model)) {
        const QImage fitted = logo::fitToWidth(image, logo::maxWidth(model));
        if (!notifier::ask(this, messages::logoFitQuestion(image.size(), fitted.size()))) {
            notifier::show(this, widthRefusal(image.width()));
            preview->clear();
            return;
        }
        image = fitted;
    }
    preview->setPicture(image);

    s_loaded[slot - 1] = true;
    BitBtn25->setEnabled(true);
    BitBtn4->setEnabled(BitBtn25->isEnabled());

    if (RadioButton1->isChecked()) {
        halftone::apply(preview->picture());
        preview->update();
    }
    // The download makes a partial last 8-dot band whole with white rows.
    const QSize stored(image.width(), (image.height() + 7) / 8 * 8);
    outcomePanel->setStatus(messages::logoSizeStatus(loaded.image.size(), stored));
}

QString TForm3::widthRefusal(int width) const
{
    const logo::Model model = RadioButton4->isChecked() ? logo::Model::Mm58 : logo::Model::Mm80;
    if (width <= logo::maxWidth(model))
        return {};
    return QString::fromLatin1(logo::tooWideMessage(model));
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
