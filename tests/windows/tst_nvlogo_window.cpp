// The NV logo window: layout, slot handling, the width check, and every send
// through the fake printer I/O library with the window's own copies of the
// port and printer names.
#include "fake_dravik.h"
#include "halftone.h"
#include "logo_preview.h"
#include "messages.h"
#include "notifier.h"
#include "nvlogo_window.h"
#include "status_line.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "hex.h"
#include <QTimer>

#include <memory>

namespace {

const PrinterTarget kTarget{QStringLiteral("COM"), QStringLiteral("COM3")};

} // namespace

class TstNvlogoWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QList<Message> shown_;
    bool old_ = false;

    std::unique_ptr<TForm3> window(const QString &library = QString())
    {
        auto w = std::make_unique<TForm3>(
            kTarget, [this] { return old_; }, library);
        w->downloadWaitMs = 300;
        return w;
    }

    QString picture(int w, int h, QRgb colour, const char *format = "BMP")
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(colour);
        const QString path = dir_.filePath(
            QStringLiteral("%1x%2-%3.%4").arg(w).arg(h).arg(colour, 0, 16).arg(QString::fromLatin1(format).toLower()));
        if (!image.save(path, format))
            qFatal("cannot save %s", qPrintable(path));
        return path;
    }

    static void open(TForm3 &w, const QString &path)
    {
        w.chooseFile = [path] { return path; };
        w.BitBtn22->click();
    }

    static std::vector<fake::Call> sends() { return fake::callsOf("SendBufferToPrint"); }

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void layoutAndStartState();
    void captionsFit();
    void widthLimitPerModel_data();
    void widthLimitPerModel();
    void openDialogOffersEveryPictureKind();
    void displayScaling_data();
    void displayScaling();
    void sizePanelSurvivesClear();
    void processingChoice();
    void unreadableFileKeepsSlot_data();
    void unreadableFileKeepsSlot();
    void cancelledDialogChangesNothing();
    void downloadSendsThenWaits();
    void downloadRefusals_data();
    void downloadRefusals();
    void refusedFileLeavesDownloadSendingNothing();
    void testPrintAlignment_data();
    void testPrintAlignment();
    void clearPrintFlash();
    void codePageInBothForms_data();
    void codePageInBothForms();
    void statusPanelsKeepTheirPlaces();
    void missingLibraryOrExport_data();
    void missingLibraryOrExport();
    void flagsSharedAndSlotOneClearedOnCreation();
    void quitEndsTheModalRun();
};

void TstNvlogoWindow::initTestCase()
{
    QVERIFY(dir_.isValid());
    notifier::setHandler([this](QWidget *, const Message &m) { shown_ << m; });
}

void TstNvlogoWindow::init()
{
    fake::reset();
    shown_.clear();
    old_ = false;
}

void TstNvlogoWindow::cleanupTestCase()
{
    notifier::setHandler({});
}

void TstNvlogoWindow::layoutAndStartState()
{
    auto w = window();
    QCOMPARE(w->objectName(), QStringLiteral("TForm3"));
    QCOMPARE(w->windowTitle(), QStringLiteral("NV LOGO"));
    QCOMPARE(w->size(), QSize(542, 309));
    QCOMPARE(w->minimumSize(), w->maximumSize());

    const char *const names[] = {"GroupBox22",   "imgPrint1",    "imgPrint2",    "imgPrint3",    "imgPrint4",
                                 "BitBtn22",     "Label34",      "edtIconNo",    "BitBtn4",      "Label4",
                                 "RadioButton4", "RadioButton5", "RadioButton1", "RadioButton2", "BitBtn25",
                                 "BitBtn3",      "BitBtn1",      "rdbNVLeft",    "rdbNVMiddle",  "rdbNVRight",
                                 "Label3",       "SpinEdit1",    "Label2",       "Label1",       "BitBtn2",
                                 "BitBtn5",      "StatusBar1",   "cboSelectLIB", "Button6"};
    for (const char *name : names)
        QVERIFY2(w->findChild<QWidget *>(QString::fromLatin1(name)), name);

    // Only slot 1's preview is shown, and all four share one rectangle.
    QVERIFY(!w->imgPrint1->isHidden());
    for (LogoPreview *p : {w->imgPrint2, w->imgPrint3, w->imgPrint4}) {
        QVERIFY(p->isHidden());
        QCOMPARE(p->geometry(), w->imgPrint1->geometry());
    }
    QCOMPARE(w->imgPrint1->size(), QSize(379, 225));
    QVERIFY(w->imgPrint1->picture().isNull());

    QVERIFY(!w->BitBtn25->isEnabled());
    QVERIFY(!w->BitBtn4->isEnabled());
    QVERIFY(!w->BitBtn5->isEnabled());
    for (QWidget *on :
         {static_cast<QWidget *>(w->BitBtn3), static_cast<QWidget *>(w->BitBtn1), static_cast<QWidget *>(w->Button6),
          static_cast<QWidget *>(w->BitBtn2), static_cast<QWidget *>(w->BitBtn22)})
        QVERIFY(on->isEnabled());
    QVERIFY(w->RadioButton1->isChecked() && w->RadioButton5->isChecked() && w->rdbNVMiddle->isChecked());
    // Three independent radio groups.
    w->RadioButton4->setChecked(true);
    w->rdbNVLeft->setChecked(true);
    QVERIFY(w->RadioButton1->isChecked());
    QVERIFY(w->RadioButton4->isChecked());
    for (QSpinBox *s : {w->edtIconNo, w->SpinEdit1}) {
        QCOMPARE(s->value(), 1);
        QCOMPARE(s->maximum(), 1);
        QVERIFY(!s->isEnabled());
    }
    QCOMPARE(w->cboSelectLIB->count(), 35);
    QCOMPARE(w->cboSelectLIB->currentText(), QStringLiteral("36, CP1253[Greek]"));
    QCOMPARE(w->statusPanels[0]->text(), QStringLiteral("Current BMP Size:"));
    QCOMPARE(w->statusPanels[1]->text(), QString());
    QCOMPARE(w->statusPanels[2]->text(), QStringLiteral("Language settings:"));
    QCOMPARE(w->Label4->text(), QString::fromUtf8("Model："));
    QCOMPARE(w->Label2->text(), QStringLiteral("POS58 Max BMP Size: 384 x 600 dots   /"));
}

void TstNvlogoWindow::captionsFit()
{
    auto w = window();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    const auto fits = [&](QWidget *c) {
        QSize hint = c->sizeHint();
        // A push button's hint carries the style's minimum width; what must
        // fit is its caption and picture.
        if (auto *b = qobject_cast<QPushButton *>(c))
            hint.setWidth(b->fontMetrics().horizontalAdvance(b->text().remove(QLatin1Char('&'))) +
                          (b->icon().isNull() ? 0 : b->iconSize().width() + 4) + 8);
        QVERIFY2(hint.width() <= c->width() && hint.height() <= c->height() + 2,
                 qPrintable(QStringLiteral("%1 needs %2 x %3, has %4 x %5")
                                .arg(c->objectName())
                                .arg(hint.width())
                                .arg(hint.height())
                                .arg(c->width())
                                .arg(c->height())));
        // Inside the window's client area.
        const QRect r(c->mapTo(w.get(), QPoint(0, 0)), c->size());
        QVERIFY2(w->rect().contains(r), qPrintable(c->objectName()));
    };
    for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
        fits(b);
    for (QLabel *l : w->findChildren<QLabel *>())
        fits(l);
}

// A picture too wide for the model's paper is offered to be scaled down to
// its width; declined, it is refused as before. A partial last band is made
// whole with white rows.
void TstNvlogoWindow::widthLimitPerModel_data()
{
    QTest::addColumn<bool>("model58");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("fit");        // the answer to the offer
    QTest::addColumn<QString>("message"); // empty: stored
    QTest::addColumn<QString>("status");  // the size panel: the size sent
    QTest::addColumn<int>("sent");        // the download's length: 7 + width / 8 x height / 8 x 8
    QTest::newRow("58: 384 accepted") << true << QSize(384, 16) << false << QString() << "384x16" << 775;
    QTest::newRow("58: 385 refused") << true << QSize(385, 16) << false
                                     << QStringLiteral("The width of the bitmap should not exceed 384 pixels!") << ""
                                     << 0;
    QTest::newRow("80: 576 accepted") << false << QSize(576, 16) << false << QString() << "576x16" << 1159;
    QTest::newRow("80: 577 refused") << false << QSize(577, 16) << false
                                     << QStringLiteral("The width of the bitmap should not exceed 576 pixels!") << ""
                                     << 0;
    QTest::newRow("80: 800x140 fitted") << false << QSize(800, 140) << true << QString()
                                        << "576x104 (from 800x140, scaled)" << 7495;
    QTest::newRow("58: 360x140 padded") << true << QSize(360, 140) << false << QString()
                                        << "360x144 (from 360x140, white rows added)" << 6487;
}

void TstNvlogoWindow::widthLimitPerModel()
{
    QFETCH(bool, model58);
    QFETCH(QSize, size);
    QFETCH(bool, fit);
    QFETCH(QString, message);
    QList<Message> asked;
    notifier::setAskHandler([&](QWidget *, const Message &m) {
        asked << m;
        return fit;
    });
    auto w = window();
    (model58 ? w->RadioButton4 : w->RadioButton5)->setChecked(true);
    open(*w, picture(size.width(), size.height(), 0xFF000000u));
    notifier::setAskHandler({});
    const bool tooWide = size.width() > (model58 ? 384 : 576);
    QCOMPARE(asked.size(), tooWide ? 1 : 0);
    if (tooWide)
        QVERIFY2(asked[0].text.contains(QStringLiteral("Scale it down to %1 x").arg(model58 ? 384 : 576)),
                 qPrintable(asked[0].text));
    if (message.isEmpty()) {
        QVERIFY(shown_.isEmpty());
        QVERIFY(TForm3::slotLoaded(1));
        QTEST(w->outcomePanel->status(), "status");
        QVERIFY(w->BitBtn25->isEnabled() && w->BitBtn4->isEnabled());
        w->BitBtn25->click(); // what is sent is the picture scaled and padded
        QCOMPARE(sends().size(), size_t(1));
        QTEST(sends()[0].number, "sent");
        return;
    }
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(shown_.front().text, message);
    QVERIFY(!TForm3::slotLoaded(1));
    QVERIFY(w->imgPrint1->picture().isNull());
    QVERIFY(!w->BitBtn25->isEnabled() && !w->BitBtn4->isEnabled());
    QCOMPARE(w->statusPanels[1]->text(), QString());
}

void TstNvlogoWindow::openDialogOffersEveryPictureKind()
{
    auto w = window();
    QStringList filters;
    QTimer::singleShot(0, this, [&filters] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            filters = dialog->nameFilters();
            dialog->reject();
        }
    });
    w->BitBtn22->click(); // the window's own dialog
    QVERIFY(!filters.isEmpty());
    for (const char *pattern : {"*.bmp", "*.png", "*.ico", "*.ppm"})
        QVERIFY2(filters[0].contains(QLatin1String(pattern)), qPrintable(filters[0]));
    for (const QString &f : filters)
        for (QChar c : f)
            QVERIFY2(c.unicode() < 0x80, qPrintable(f)); // English in every interface
    QVERIFY(shown_.isEmpty());
}

void TstNvlogoWindow::displayScaling_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("stretched");
    QTest::addColumn<QSize>("drawn");
    QTest::newRow("379x225 own size") << QSize(379, 225) << false << QSize(379, 225);
    QTest::newRow("small") << QSize(40, 24) << false << QSize(40, 24);
    QTest::newRow("380 wide") << QSize(380, 225) << true << QSize(379, 224);
    QTest::newRow("226 high") << QSize(379, 226) << true << QSize(377, 225);
    // A round logo stays round.
    QTest::newRow("576x576 square") << QSize(576, 576) << true << QSize(225, 225);
}

void TstNvlogoWindow::displayScaling()
{
    QFETCH(QSize, size);
    QFETCH(bool, stretched);
    auto w = window();
    open(*w, picture(size.width(), size.height(), 0xFF000000u));
    QCOMPARE(w->imgPrint1->stretched(), stretched);
    QFETCH(QSize, drawn);
    QCOMPARE(w->imgPrint1->drawRect(), QRect(QPoint(0, 0), drawn));
    // The pixels themselves are kept at their own size for the download.
    QCOMPARE(w->imgPrint1->picture().size(), size);
}

void TstNvlogoWindow::sizePanelSurvivesClear()
{
    auto w = window();
    open(*w, picture(384, 120, 0xFFFFFFFFu));
    QCOMPARE(w->statusPanels[1]->text(), QStringLiteral("384x120"));
    w->BitBtn4->click();
    QVERIFY(!w->BitBtn25->isEnabled());
    QVERIFY(!w->BitBtn4->isEnabled());
    QVERIFY(!TForm3::slotLoaded(1));
    QVERIFY(w->imgPrint1->picture().isNull());
    QCOMPARE(w->statusPanels[1]->text(), QStringLiteral("384x120"));
}

void TstNvlogoWindow::processingChoice()
{
    const QString grey = picture(16, 16, qRgb(128, 128, 128));
    auto w = window();
    w->RadioButton2->setChecked(true);
    open(*w, grey);
    QCOMPARE(w->imgPrint1->picture().pixel(3, 3), qRgb(128, 128, 128));

    w->RadioButton1->setChecked(true);
    open(*w, grey);
    QImage expected(16, 16, QImage::Format_RGB32);
    expected.fill(qRgb(128, 128, 128));
    halftone::apply(expected);
    QCOMPARE(w->imgPrint1->picture(), expected);
}

void TstNvlogoWindow::unreadableFileKeepsSlot_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reasonHas");
    QTest::newRow("text") << QByteArray("not a picture") << QStringLiteral("cannot be read");
    // A bitmap header claiming 60000 x 60000 pixels and nothing behind it.
    QByteArray huge =
        QByteArray::fromHex("424D4000000000000000360000002800000060EA000060EA0000010018000000000000000000");
    huge.resize(64, '\0');
    QTest::newRow("huge claim") << huge << QStringLiteral("60000 x 60000");
}

void TstNvlogoWindow::unreadableFileKeepsSlot()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reasonHas);
    auto w = window();
    open(*w, picture(16, 8, 0xFF000000u));
    const QImage before = w->imgPrint1->picture();

    const QString bad = dir_.filePath(QStringLiteral("bad.bmp"));
    QFile f(bad);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    open(*w, bad);
    QCOMPARE(shown_.size(), 1);
    QVERIFY2(shown_.front().text.contains(reasonHas), qPrintable(shown_.front().text));
    QVERIFY(TForm3::slotLoaded(1));
    QCOMPARE(w->imgPrint1->picture(), before);
    QVERIFY(w->BitBtn25->isEnabled());
    QCOMPARE(w->statusPanels[1]->text(), QStringLiteral("16x8"));
}

void TstNvlogoWindow::cancelledDialogChangesNothing()
{
    auto w = window();
    open(*w, QString());
    QVERIFY(shown_.isEmpty());
    QVERIFY(!TForm3::slotLoaded(1));
    QVERIFY(!w->BitBtn25->isEnabled());
}

void TstNvlogoWindow::downloadSendsThenWaits()
{
    auto w = window();
    w->show();
    open(*w, picture(16, 8, 0xFF000000u, "PNG")); // another picture kind, taken as its pixels
    QVERIFY(shown_.isEmpty());

    bool sentBeforeWait = false, buttonsOff = false, progressShown = false, stayedOpen = false;
    QTimer::singleShot(100, w.get(), [&] {
        sentBeforeWait = sends().size() == 1;
        buttonsOff = !w->BitBtn25->isEnabled() && !w->BitBtn3->isEnabled();
        progressShown = w->waitProgress->isVisible();
        w->reject(); // the title bar's close may not end the run mid-wait
        stayedOpen = w->isVisible();
    });
    QElapsedTimer clock;
    clock.start();
    w->BitBtn25->click();
    QVERIFY(clock.elapsed() >= 300);
    QVERIFY(sentBeforeWait && buttonsOff && progressShown && stayedOpen);
    QVERIFY(w->BitBtn25->isEnabled() && w->BitBtn3->isEnabled());
    QVERIFY(w->waitProgress->isHidden());

    const auto calls = sends();
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].texts, (std::vector<std::string>{"COM", "COM3", "download NV LOGO"}));
    QCOMPARE(hexOf(calls[0].bytes), QByteArray("1C 71 01 02 00 01 00 ") + QByteArray("FF ").repeated(15) + "FF");
    QCOMPARE(calls[0].number, 23);
}

void TstNvlogoWindow::downloadRefusals_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("message");
    QTest::newRow("576x240 over 17000 bytes")
        << QSize(576, 240) << QStringLiteral("The BMP file size can not exceed 160Kb");
    QTest::newRow("7 wide") << QSize(7, 64)
                            << QStringLiteral("The bitmap must be at least 8 x 8 pixels to be downloaded.");
    // Loaded for the 80 mm model, then the 58 mm model is chosen.
    QTest::newRow("576 wide, model switched to 58")
        << QSize(576, 16) << QStringLiteral("The width of the bitmap should not exceed 384 pixels!");
}

void TstNvlogoWindow::downloadRefusals()
{
    QFETCH(QSize, size);
    QFETCH(QString, message);
    auto w = window();
    w->downloadWaitMs = 60000; // would time the test out if waited
    w->RadioButton2->setChecked(true);
    w->RadioButton5->setChecked(true);
    open(*w, picture(size.width(), size.height(), 0xFF000000u));
    w->RadioButton4->setChecked(message.contains(QLatin1String("384")));
    QElapsedTimer clock;
    clock.start();
    w->BitBtn25->click();
    QVERIFY(clock.elapsed() < w->downloadWaitMs); // no wait
    QCOMPARE(shown_.size(), 1);
    QCOMPARE(shown_.front().text, message);
    QVERIFY(sends().empty());
    QVERIFY(w->BitBtn25->isEnabled() && w->BitBtn3->isEnabled());
}

void TstNvlogoWindow::refusedFileLeavesDownloadSendingNothing()
{
    auto w = window();
    open(*w, picture(16, 8, 0xFF000000u));
    w->RadioButton4->setChecked(true);
    open(*w, picture(400, 8, 0xFF000000u));
    QCOMPARE(shown_.size(), 2);        // the offer to scale it down, declined, then the refusal
    QVERIFY(w->BitBtn25->isEnabled()); // left as it was
    QVERIFY(!TForm3::slotLoaded(1));

    bool buttonsOff = false;
    QTimer::singleShot(100, w.get(), [&] { buttonsOff = !w->BitBtn25->isEnabled() && !w->BitBtn3->isEnabled(); });
    w->BitBtn25->click();
    QVERIFY(buttonsOff);
    QVERIFY(sends().empty());
    QCOMPARE(shown_.size(), 2); // the download added no message
    QVERIFY(w->BitBtn25->isEnabled() && w->BitBtn3->isEnabled());
}

void TstNvlogoWindow::testPrintAlignment_data()
{
    QTest::addColumn<QString>("radio");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("left") << QStringLiteral("rdbNVLeft") << QByteArray("1B 61 00 1C 70 01 00");
    QTest::newRow("middle") << QStringLiteral("rdbNVMiddle") << QByteArray("1B 61 01 1C 70 01 00");
    QTest::newRow("right") << QStringLiteral("rdbNVRight") << QByteArray("1B 61 02 1C 70 01 00");
}

void TstNvlogoWindow::testPrintAlignment()
{
    QFETCH(QString, radio);
    QFETCH(QByteArray, bytes);
    auto w = window();
    w->findChild<QRadioButton *>(radio)->setChecked(true);
    w->BitBtn1->click();
    const auto calls = sends();
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].texts, (std::vector<std::string>{"COM", "COM3", "Print NV Logo"}));
    QCOMPARE(hexOf(calls[0].bytes), bytes);
    QCOMPARE(calls[0].number, 7);
}

void TstNvlogoWindow::clearPrintFlash()
{
    auto w = window();
    w->BitBtn3->click();
    const auto calls = sends();
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].texts, (std::vector<std::string>{"COM", "COM3", "Clear NV LOGO"}));
    QCOMPARE(hexOf(calls[0].bytes), QByteArray("1C 71 00"));
    QCOMPARE(calls[0].number, 3);
}

void TstNvlogoWindow::codePageInBothForms_data()
{
    QTest::addColumn<bool>("old");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("new, Greek") << false << 29 << QByteArray("1B 23 23 53 4C 41 4E 24 1B 23 46 1B 69");
    QTest::newRow("old, Greek") << true << 29 << QByteArray("1B 74 24 1B 23 46 1B 69");
    QTest::newRow("old, position 25 is 32") << true << 25 << QByteArray("1B 74 20 1B 23 46 1B 69");
    QTest::newRow("new, first") << false << 0 << QByteArray("1B 23 23 53 4C 41 4E 00 1B 23 46 1B 69");
}

void TstNvlogoWindow::codePageInBothForms()
{
    QFETCH(bool, old);
    QFETCH(int, entry);
    QFETCH(QByteArray, bytes);
    // The window keeps its own copies of the names it was given.
    PrinterTarget target{QStringLiteral("DRIVE"), QStringLiteral("Receipt 80")};
    TForm3 w(target, [this] { return old_; });
    target.portName = QStringLiteral("LPT");
    target.printerName = QStringLiteral("LPT1");
    old_ = !old; // read at the press, not at creation
    w.cboSelectLIB->setCurrentIndex(entry);
    old_ = old;
    w.Button6->click();
    const auto calls = sends();
    QCOMPARE(calls.size(), size_t(1));
    QCOMPARE(calls[0].texts, (std::vector<std::string>{"DRIVE", "Receipt 80", "Set New Lanage"}));
    QCOMPARE(hexOf(calls[0].bytes), bytes);
    QVERIFY(shown_.isEmpty());
}

void TstNvlogoWindow::statusPanelsKeepTheirPlaces()
{
    auto w = window();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->Button6->click(); // a send's outcome, longer than its panel
    QVERIFY(!w->statusPanels[1]->text().isEmpty());
    const QRect places[4] = {{0, 0, 120, 21}, {120, 0, 100, 21}, {220, 0, 120, 21}, {340, 0, 50, 21}};
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(w->statusPanels[i]->isVisible(), qPrintable(QString::number(i)));
        QCOMPARE(w->statusPanels[i]->geometry(), places[i]);
    }
    QCOMPARE(w->statusPanels[0]->text(), QStringLiteral("Current BMP Size:"));
    QCOMPARE(w->statusPanels[2]->text(), QStringLiteral("Language settings:"));
    QCOMPARE(w->statusPanels[3]->text(), QString());
}

void TstNvlogoWindow::missingLibraryOrExport_data()
{
    QTest::addColumn<QString>("library");
    QTest::newRow("no library") << dir_.filePath(QStringLiteral("nowhere/libDravik.so"));
    QTest::newRow("no SendBufferToPrint") << QStringLiteral(NPS_PARTIAL_FAKE);
}

void TstNvlogoWindow::missingLibraryOrExport()
{
    QFETCH(QString, library);
    auto w = window(library);
    w->downloadWaitMs = 60000; // would time the test out if waited
    // The window still sets itself up and prepares pictures.
    QVERIFY(!w->BitBtn25->isEnabled());
    open(*w, picture(16, 8, 0xFF000000u));
    QVERIFY(TForm3::slotLoaded(1));
    QVERIFY(shown_.isEmpty());

    DravikBinding probe;
    probe.loadFrom(library);
    const QString expected = messages::missingPiece(probe, "SendBufferToPrint", Language::English).text;
    QElapsedTimer clock;
    clock.start();
    for (QPushButton *b : {w->BitBtn25, w->BitBtn3, w->BitBtn1, w->Button6})
        b->click();
    QVERIFY(clock.elapsed() < w->downloadWaitMs);
    QCOMPARE(shown_.size(), 4);
    for (const Message &m : shown_)
        QCOMPARE(m.text, expected);
    QVERIFY(fake::calls().empty());
    QVERIFY(w->BitBtn25->isEnabled() && w->BitBtn3->isEnabled());
}

void TstNvlogoWindow::flagsSharedAndSlotOneClearedOnCreation()
{
    auto first = window();
    open(*first, picture(16, 8, 0xFF000000u));
    QVERIFY(TForm3::slotLoaded(1));
    auto second = window();
    QVERIFY(!TForm3::slotLoaded(1));
    QVERIFY(!second->BitBtn25->isEnabled());
    // The first window's own picture stays; its flag is the shared one.
    QVERIFY(!first->imgPrint1->picture().isNull());
}

void TstNvlogoWindow::quitEndsTheModalRun()
{
    auto w = window();
    QTimer::singleShot(0, w.get(), [&] { w->BitBtn2->click(); });
    QElapsedTimer clock;
    clock.start();
    w->exec();
    QVERIFY(clock.elapsed() < 5000);
    QVERIFY(!w->isVisible());
}

QTEST_MAIN(TstNvlogoWindow)
#include "tst_nvlogo_window.moc"
