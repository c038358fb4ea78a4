// The window program's classes with the real printer I/O library, end to
// end: through a private CUPS server's raw queue to `nemboport serve` over
// its socket, and over its paced pseudo-terminal. Checks the wiring (the
// chosen settings arrive, the logo prints as halftoned, the window keeps
// running during a long serial send), not the command bytes.
#include "cups_test_server.h"
#include "receipt_dots.h"
#include "serve_process.h"
#include "time_bounds.h"

#include "code_page_list.h"
#include "halftone.h"
#include "main_window.h"
#include "messages.h"
#include "notifier.h"
#include "nvlogo_window.h"
#include "status_indicator.h"
#include "status_line.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <memory>

namespace {
const QString kLibrary = QStringLiteral(DRAVIK_LIBRARY_PATH);

// Every message box recorded instead of shown.
struct MessageLog
{
    QStringList texts;
    MessageLog()
    {
        notifier::setHandler([this](QWidget *, const Message &m) { texts << m.text; });
    }
    ~MessageLog() { notifier::setHandler({}); }
};

QString savedPicture(const QTemporaryDir &dir, const QImage &image)
{
    const QString path = dir.filePath(QStringLiteral("logo-%1x%2.bmp").arg(image.width()).arg(image.height()));
    return image.save(path, "BMP") ? path : QString();
}

QJsonArray logoList(int width, int height)
{
    return QJsonArray{QJsonObject{{"width", width}, {"height", height}}};
}

// The longest pause between ticks of a 20 ms timer while it lives.
struct LoopWatch
{
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    std::function<void(qint64)> onTick;
    LoopWatch()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.elapsed();
            longest = qMax(longest, now - last);
            last = now;
            if (onTick)
                onTick(now);
        });
        clock.start();
        timer.start(20);
    }
};
// The virtual printer on a pty at baud, announced in a runtime folder of
// its own, which the library lists while this lives.
struct PtyPrinter
{
    ServeProcess serve;
    QTemporaryDir linkDir;
    QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    QString announced;
    QString error;

    bool start(int baud)
    {
        if (!serve.start({QStringLiteral("--pty"), linkDir.filePath(QStringLiteral("virtual-printer")),
                          QStringLiteral("--baud"), QString::number(baud)},
                         QStringLiteral("announced as"), error))
            return false;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(serve.runtimeDir()));
        announced = serve.runtimeDir() + QStringLiteral("/nemboport/printers/virtual-printer-%1").arg(serve.pid());
        return true;
    }
    ~PtyPrinter() { qputenv("XDG_RUNTIME_DIR", runtime); }

    // Refreshes the window's lists and chooses this printer's port in serial mode.
    bool chooseIn(TfrmMain &w) const
    {
        w.connection->btnRef->click();
        w.connection->rdbCom->click();
        const int index = w.connection->cmbCom->findText(announced);
        if (index < 0)
            return false;
        w.connection->cmbCom->setCurrentIndex(index);
        emit w.connection->cmbCom->activated(index);
        return true;
    }
};
} // namespace

class TestWindowEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oneKeyUpdateArrives();
    void logoTestPrintMatchesTheHalftonedPicture();
    void serialLogoKeepsTheWindowRunning();
    void indicatorFollowsThePrinter();
    void findsASerialPrintersRate();

private:
    // A main window of the real library with the queue chosen in its printer list.
    std::unique_ptr<TfrmMain> windowOnQueue(const QString &queue);

    QTemporaryDir cupsDir_{QStringLiteral("/tmp/tst_window_e2e-XXXXXX")};
    privatecups::Server cups_{cupsDir_.path()};
    QTemporaryDir files_;
};

void TestWindowEndToEnd::initTestCase()
{
    QVERIFY(cupsDir_.isValid() && files_.isValid());
    const QString error = cups_.start();
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // Read by the library when it is loaded, i.e. when a window is made.
    qputenv("CUPS_SERVER", cups_.socketServer());
}

std::unique_ptr<TfrmMain> TestWindowEndToEnd::windowOnQueue(const QString &queue)
{
    auto w = std::make_unique<TfrmMain>(kLibrary);
    w->connection->btnRef->click();
    const int index = w->connection->ComboPrinter->findText(queue);
    if (index < 0)
        return nullptr;
    w->connection->ComboPrinter->setCurrentIndex(index);
    emit w->connection->ComboPrinter->activated(index);
    return w;
}

void TestWindowEndToEnd::oneKeyUpdateArrives()
{
    ServeProcess serve;
    QVERIFY(serveBehindQueue(serve, cups_, QStringLiteral("WindowUpdate")));
    MessageLog log;
    auto w = windowOnQueue(QStringLiteral("WindowUpdate"));
    QVERIFY(w);
    QCOMPARE(w->printerTarget().printerName, QStringLiteral("WindowUpdate"));

    // Settings none of which the printer starts with, in every group.
    w->bottomRow->Button12->click();
    w->settings->cboLanage->setCurrentIndex(w->settings->cboLanage->findData(21));
    w->settings->cboNewCom->setCurrentText(QStringLiteral("19200"));
    w->settings->cboLevel->setCurrentText(QStringLiteral("31"));
    w->settings->rdbBarcodeClose->setChecked(true);
    w->settings->rdbCutClose->setChecked(true);
    w->settings->rdbBlackOPen->setChecked(true);
    for (QCheckBox *box :
         {w->settings->chkBeepSet01, w->settings->chkBeepSet02, w->settings->chkBeepSet03, w->settings->chkBeepSet04})
        box->setChecked(box == w->settings->chkBeepSet01 || box == w->settings->chkBeepSet03);
    w->settings->rdbCutAfter->setChecked(true);
    w->bottomRow->Button13->click();
    QCOMPARE(log.texts, QStringList{messages::baudRateRestart().text});

    const QList<QPair<QString, QJsonValue>> expected{
        {"codePage", 21},    {"baudRate", 19200}, {"darkness", 31},     {"barcode", false},       {"cutter", false},
        {"blackMark", true}, {"buzzer", 5},       {"cutFeed", "drive"}, {"cutMode", "full+half"}, {"unknownBytes", 0}};
    serve.waitForState(
        [&](const QJsonObject &s) {
            for (const auto &[key, value] : expected)
                if (s.value(key) != value)
                    return false;
            return true;
        },
        60000);
    const QJsonObject state = serve.state();
    for (const auto &[key, value] : expected)
        QVERIFY2(state.value(key) == value,
                 qPrintable(key + QStringLiteral(": ") + QString::fromUtf8(QJsonDocument(state).toJson()) +
                            cups_.errorLogTail(20)));
    QVERIFY(serve.stop());
}

void TestWindowEndToEnd::logoTestPrintMatchesTheHalftonedPicture()
{
    ServeProcess serve;
    QVERIFY(serveBehindQueue(serve, cups_, QStringLiteral("WindowLogo")));
    MessageLog log;
    auto w = windowOnQueue(QStringLiteral("WindowLogo"));
    QVERIFY(w);
    TForm3 logo(
        w->printerTarget(), [&] { return w->connection->rdbCommandOLD->isChecked(); }, kLibrary);
    const QImage grey = receiptdots::greyPicture(256, 120);
    const QString path = savedPicture(files_, grey);
    logo.chooseFile = [path] { return path; };
    logo.downloadWaitMs = 50;
    logo.BitBtn22->click();
    logo.BitBtn25->click();
    logo.rdbNVMiddle->setChecked(true);
    logo.SpinEdit1->setValue(1);
    logo.BitBtn1->click();
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));

    // The download prints nothing; the test print is the first receipt.
    const QString receiptPath = QDir(serve.outDir()).filePath(QStringLiteral("receipt-001.png"));
    QVERIFY2(QTest::qWaitFor([&] { return QFileInfo::exists(receiptPath); }, 60000),
             qPrintable(cups_.errorLogTail(20) + serve.output()));
    // A receipt is written aside and linked in whole: once it exists, it is complete.
    const QImage receipt(receiptPath);
    QImage picture = grey;
    halftone::apply(picture);
    QCOMPARE(receipt.size(), QSize(576, picture.height()));
    int black = 0;
    const QString differs = receiptdots::differences(receipt, picture, (576 - picture.width()) / 2, black);
    QVERIFY2(differs.isEmpty(), qPrintable(differs));
    QVERIFY(black > 1000);
    QTRY_COMPARE_WITH_TIMEOUT(serve.state().value("logos").toArray(), logoList(256, 120), 30000);
    QVERIFY(serve.stop());
}

void TestWindowEndToEnd::serialLogoKeepsTheWindowRunning()
{
    PtyPrinter printer;
    ServeProcess &serve = printer.serve;
    QVERIFY2(printer.start(9600), qPrintable(printer.error));
    MessageLog log;
    TfrmMain w(kLibrary);
    QVERIFY2(printer.chooseIn(w), qPrintable(printer.announced));
    w.connection->cmbBaudRate->setCurrentText(QStringLiteral("9600"));
    w.connection->btnOpenCOM->click();
    QVERIFY2(w.portOpen(), qPrintable(log.texts.join('\n')));
    // Sends must go to the port just opened, nowhere else.
    QCOMPARE(w.printerTarget().printerName, printer.announced);

    // The largest download: 200 x 680 dots, 17007 bytes.
    TForm3 logo(
        w.printerTarget(), [&] { return w.connection->rdbCommandOLD->isChecked(); }, kLibrary);
    const QString path = savedPicture(files_, receiptdots::greyPicture(200, 680));
    logo.chooseFile = [path] { return path; };
    logo.downloadWaitMs = 10;
    logo.BitBtn22->click();
    const double wireMs = 17007.0 * 10 * 1000 / 9600;

    qint64 arrivedMs = -1;
    LoopWatch watch;
    watch.onTick = [&](qint64 now) {
        if (arrivedMs < 0 && serve.state().value("logos").toArray() == logoList(200, 680))
            arrivedMs = now;
    };
    logo.BitBtn25->click();
    const qint64 sendMs = watch.clock.elapsed();
    (void)QTest::qWaitFor([&] { return arrivedMs >= 0; }, 3 * int(wireMs));
    watch.timer.stop();
    w.connection->btnCloseCOM->click();
    qInfo("17007-byte logo from the logo window at 9600 baud over the pty: the send took %.2f s, all bytes arrived "
          "after %.2f s, wire time %.2f s; the window's longest pause %lld ms",
          sendMs / 1000.0, arrivedMs / 1000.0, wireMs / 1000.0, watch.longest);
    QVERIFY2(arrivedMs >= 0, qPrintable(serve.output().right(2000)));
    // A send on the window's thread would stall it for most of the wire time
    // (over 10 s); a busy machine running this beside the server and cupsd
    // pauses it far less.
    QVERIFY2(watch.longest < timebounds::lateMs, qPrintable(QString::number(watch.longest)));
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));
    QVERIFY2(logo.lastStatus().startsWith(QStringLiteral("Sent 17007 bytes")), qPrintable(logo.lastStatus()));
    QCOMPARE(serve.state().value("unknownBytes"), QJsonValue(0));
    QVERIFY(serve.stop());
}

void TestWindowEndToEnd::indicatorFollowsThePrinter()
{
    ServeProcess serve;
    QVERIFY(serveBehindQueue(serve, cups_, QStringLiteral("WindowStatus")));
    MessageLog log;
    auto w = windowOnQueue(QStringLiteral("WindowStatus"));
    QVERIFY(w);
    const auto shows = [&](const char *english, const char *chinese) {
        return w->statusIndicator->shown() == QString::fromUtf8(w->isChinese() ? chinese : english);
    };
    // Choosing the queue asks the printer, through the queue's own device.
    QTRY_VERIFY_WITH_TIMEOUT(shows("Ready", "就绪"), 15000);
    QVERIFY(serve.type("paper out"));
    w->statusIndicatorClick();
    QTRY_VERIFY_WITH_TIMEOUT(shows("Paper out", "缺纸"), 15000);
    const bool chinese = w->isChinese();
    w->Button7Click(); // the other language
    QCOMPARE(w->isChinese(), !chinese);
    QVERIFY(shows("Paper out", "缺纸"));
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join(QLatin1Char('\n'))));
    QVERIFY(serve.stop());
}

void TestWindowEndToEnd::findsASerialPrintersRate()
{
    PtyPrinter printer;
    ServeProcess &serve = printer.serve;
    QVERIFY2(printer.start(19200), qPrintable(printer.error));
    MessageLog log;
    TfrmMain w(kLibrary);
    QVERIFY(!w.connection->canFindRate()); // no serial port chosen
    QVERIFY2(printer.chooseIn(w), qPrintable(printer.announced));
    w.connection->cmbBaudRate->setCurrentText(QStringLiteral("9600"));
    QVERIFY(w.connection->canFindRate());

    // Every rate tried is said on the status line; the one found is chosen
    // and the port left closed.
    QStringList said;
    QTimer listen;
    connect(&listen, &QTimer::timeout, &w, [&] {
        if (said.value(said.size() - 1) != w.statusLine->status())
            said << w.statusLine->status();
    });
    listen.start(1);
    w.connection->findSerialRate();
    QTRY_COMPARE_WITH_TIMEOUT(w.connection->cmbBaudRate->currentText(), QStringLiteral("19200"), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(w.statusLine->status().contains(QLatin1String("answers at 19200 baud")), 5000);
    listen.stop();
    QVERIFY2(said.filter(QStringLiteral("trying")).size() >= 2, qPrintable(said.join('\n')));
    QVERIFY(!w.portOpen());
    QVERIFY2(log.texts.isEmpty(), qPrintable(log.texts.join('\n')));

    // Open then takes the rate found, and the printer answers there.
    w.connection->btnOpenCOM->click();
    QVERIFY(w.portOpen());
    QVERIFY(!w.connection->canFindRate()); // the port is open
    w.connection->btnCloseCOM->click();
    QVERIFY(serve.stop());
}

QTEST_MAIN(TestWindowEndToEnd)
#include "tst_window_e2e.moc"
