// The About box and the NV LOGO button: a new modal window at every press.
#include "about_box.h"
#include "nvlogo_window.h"
#include "placement.h"
#include "status_line.h"
#include "window_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {
// Answers the next modal window from a timer: records its object name and
// presses Enter in it (or closes it). A safety timer ends a stuck wait.
struct ModalAnswer
{
    QStringList seen;

    void arm(bool pressEnter)
    {
        QTimer::singleShot(20, [this, pressEnter] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w)
                return;
            seen << w->objectName();
            if (pressEnter)
                QTest::keyClick(w, Qt::Key_Return);
            else
                w->close();
        });
    }
};
} // namespace

class TestBottomRow : public QObject
{
    Q_OBJECT

private slots:
    void aboutBoxTexts();
    void aboutOpensModalAndEnterCloses();
    void nvLogoOpensANewWindowAtEachPress();
    void logoWindowsLastSendIsToldInTheInterfaceLanguage();
    void windowsStayOnScreen_data();
    void windowsStayOnScreen();
    void framesFitTheScreen();
};

void TestBottomRow::aboutBoxTexts()
{
    TAboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    QCOMPARE(box.ProductName->text(), QStringLiteral("NV Logo Setting Program for Torvane"));
    QCOMPARE(box.Version->text(), QStringLiteral("V1.0"));
    QVERIFY(!box.Comments->text().isEmpty() && box.Comments->text() != QLatin1String("Comments"));
    QVERIFY(box.Label1->text().startsWith(QLatin1String("https://")));
    QVERIFY(box.ProgramIcon->isHidden());
    QVERIFY(box.OKButton->isDefault());
    QCOMPARE(box.size(), QSize(360, 205));
}

void TestBottomRow::aboutOpensModalAndEnterCloses()
{
    configureFake("chinese");
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.show();
    ModalAnswer answer;
    answer.arm(true);
    QTimer safety;
    safety.singleShot(5000, [] {
        if (QWidget *m = QApplication::activeModalWidget())
            m->close();
    });
    w.bottomRow->BitBtn5->click(); // returns once the box is closed
    QCOMPARE(answer.seen, QStringList{"AboutBox"});
    QVERIFY(!QApplication::activeModalWidget());
}

void TestBottomRow::nvLogoOpensANewWindowAtEachPress()
{
    configureFake();
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.show();
    const int before = int(QApplication::topLevelWidgets().size());
    ModalAnswer answer;
    for (int press = 0; press < 2; ++press) {
        answer.arm(false);
        w.bottomRow->BitBtn1->click();
    }
    QCOMPARE(answer.seen.size(), 2);
    QCOMPARE(answer.seen[0], QStringLiteral("TForm3"));
    // Each window is released after it closes.
    QCOMPARE(int(QApplication::topLevelWidgets().size()), before);
}

void TestBottomRow::logoWindowsLastSendIsToldInTheInterfaceLanguage()
{
    configureFake("chinese");
    MessageLog log;
    TfrmMain w;
    QVERIFY(settled(w));
    w.show();
    QTimer::singleShot(20, [] {
        if (auto *logo = qobject_cast<TForm3 *>(QApplication::activeModalWidget())) {
            logo->Button6->click(); // the code page command: no message follows it
            logo->close();
        }
    });
    QTimer safety;
    safety.singleShot(5000, [] {
        if (QWidget *m = QApplication::activeModalWidget())
            m->close();
    });
    w.bottomRow->BitBtn1->click();
    QVERIFY2(w.statusLine->status().startsWith(QString::fromUtf8("已发送 13 字节")),
             qPrintable(w.statusLine->status()));
}

QTEST_MAIN(TestBottomRow)
// The main window (505 x 573 plus its frame) at its designed place (686, 154).
void TestBottomRow::windowsStayOnScreen_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("fits: designed position") << QRect(0, 0, 1920, 1040) << QPoint(686, 154);
    QTest::newRow("1280x720: moved up") << QRect(0, 0, 1280, 690) << QPoint(686, 90);
    QTest::newRow("150% of 1920x1080: moved up") << QRect(0, 0, 1280, 700) << QPoint(686, 100);
    QTest::newRow("narrow: moved left") << QRect(0, 0, 1000, 1000) << QPoint(495, 154);
    QTest::newRow("second screen") << QRect(1920, 0, 1280, 1000) << QPoint(1920, 154);
    QTest::newRow("too small: top-left") << QRect(10, 20, 400, 400) << QPoint(10, 20);
}

void TestBottomRow::windowsStayOnScreen()
{
    QFETCH(QRect, available);
    QTEST(fittedPosition(available, QSize(505, 600), QPoint(686, 154)), "expected");
}

// The main window and the About box keep their whole frame (borders and
// title bar) on the screen, here the test platform's 800 x 800: estimated
// before they are shown, fitted again once the frame is known.
void TestBottomRow::framesFitTheScreen()
{
    configureFake();
    MessageLog log;
    TfrmMain main;
    TAboutBox about;
    for (QWidget *w : {static_cast<QWidget *>(&main), static_cast<QWidget *>(&about)}) {
        const QRect available = w->screen()->availableGeometry();
        const QMargins estimate = expectedFrameMargins(w);
        QVERIFY(estimate.left() > 0 && estimate.right() > 0 && estimate.top() > 0);
        QVERIFY(available.contains(QRect(w->pos(), w->size().grownBy(estimate))));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QTRY_VERIFY2(!w->windowHandle()->frameMargins().isNull() && available.contains(w->frameGeometry()),
                     qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                    .arg(w->objectName())
                                    .arg(w->frameGeometry().x())
                                    .arg(w->frameGeometry().y())
                                    .arg(w->frameGeometry().width())
                                    .arg(w->frameGeometry().height())));
        w->hide();
    }
}

#include "tst_bottom_row.moc"
