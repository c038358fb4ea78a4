// The main window: its panels and their wiring, start-up, the interface
// language and the status bar.
#include "main_window.h"

#include "captions.h"
#include "language.h"
#include "placement.h"
#include "record_window.h"
#include "status_indicator.h"
#include "status_line.h"

#include <QKeySequence>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>

TfrmMain *frmMain = nullptr;

namespace {
constexpr int kStatusHeight = 20;
} // namespace

TfrmMain::TfrmMain(const QString &libraryPath, QWidget *parent)
    : QWidget(parent)
{
    frmMain = this;
    // Every window starts English until the library tells its language.
    setInterfaceLanguage(Language::English);
    setObjectName(QStringLiteral("frmMain"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(505, 573);

    sender_.parent = this;
    sender_.session = &session_;
    sender_.language = [] { return currentLanguage(); };
    sender_.status = [this](const QString &text) { setStatus(text); };
    sender_.afterSend = [this] { askPrinter(false); };
    sender_.printerAnswered = [this](const PrinterReport &report) {
        statusIndicator->take(session_, report, currentLanguage());
    };
    sender_.mayAskPrinter = [this] { return statusIndicator->mayAsk(session_); };
    // Created in the designed tab order.
    connection = new ConnectionPanel(this, sender_);
    settings = new SettingsPanel(this, sender_, *connection);
    printTests = new TestsPanel(this, sender_);
    bottomRow = new BottomRow(this, sender_, *connection, *settings, *printTests);
    applyDesignedCaptions(this);
    buildStatusLine();
    sender_.progressBar = callProgress;
    // Placed once its final size (status line included) is known.
    placeOnScreen(this, QPoint(686, 154));
    connectPanels();

    if (libraryPath.isEmpty())
        lib_.load();
    else
        lib_.loadFrom(libraryPath);
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // A question to the printer on its way owns what it uses: quitting does
    // not wait for it.
    if (frmMain == this)
        frmMain = nullptr;
}

void TfrmMain::connectPanels()
{
    connect(connection, &ConnectionPanel::skipAllNeeded, bottomRow, &BottomRow::Button20Click);
    connect(connection, &ConnectionPanel::batchButtonsEnabled, bottomRow, &BottomRow::enableBatchButtons);
    connect(connection, &ConnectionPanel::refreshStarted, settings, &SettingsPanel::resetDarkness);
    connect(connection, &ConnectionPanel::linkChanged, this, [this] { askPrinter(false); });
    connect(connection->Button7, &QPushButton::clicked, this, &TfrmMain::Button7Click);
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

    if (lib_.getDravikDllVer) {
        const char *version = lib_.getDravikDllVer();
        setWindowTitle(windowTitle() + QStringLiteral(" DLL Ver:") + QString::fromLocal8Bit(version ? version : ""));
    }

    const char *reported = lib_.isLanguage ? lib_.isLanguage() : nullptr;
    ApplyLanguage(QString::fromLocal8Bit(reported ? reported : ""));

    settings->startUp();

    // The refresh runs before the window is shown, so nothing it sets can
    // undo a first click. Its list calls run on the worker thread (each
    // bounded by the library); a slow print server gets a small window of
    // its own meanwhile.
    connection->listPrintersAndPorts(true);
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
    connection->retranslate(language);
    settings->fillCodePages(language);
    applyCaptions(this);
    statusIndicator->retranslate(language);
    if (auto *record = findChild<RecordWindow *>(QString(), Qt::FindDirectChildrenOnly))
        record->setLanguage(language);
}

void TfrmMain::buildStatusLine()
{
    // The window grows by the bar's height; nothing above it moves.
    const int top = height();
    setFixedSize(width(), top + kStatusHeight);

    sbStatus = new QStatusBar(this);
    sbStatus->setObjectName(QStringLiteral("sbStatus"));
    sbStatus->setGeometry(0, top, width(), kStatusHeight);
    sbStatus->setSizeGripEnabled(false);
    statusLine = new StatusLine(sbStatus);
    statusLine->setObjectName(QStringLiteral("statusLine"));
    sbStatus->addWidget(statusLine, 1);
    callProgress = new QProgressBar(sbStatus);
    callProgress->setObjectName(QStringLiteral("callProgress"));
    callProgress->setFixedWidth(260);
    callProgress->setTextVisible(true);
    callProgress->hide();
    sbStatus->addPermanentWidget(callProgress);
    statusIndicator = new StatusIndicator(sbStatus);
    statusIndicator->setMinimumWidth(90);
    sbStatus->addPermanentWidget(statusIndicator);
    connect(statusIndicator, &StatusIndicator::clicked, this, &TfrmMain::statusIndicatorClick);

    connect(statusLine, &StatusLine::clicked, this, &TfrmMain::openRecord);
    auto *record = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(record, &QShortcut::activated, this, &TfrmMain::openRecord);
}

void TfrmMain::setStatus(const QString &text)
{
    statusLine->setStatus(text);
}

void TfrmMain::askPrinter(bool byUser)
{
    if (connection->listing())
        return; // asked once the lists are filled
    if (!session_.ready()) {
        statusIndicator->clear();
        return;
    }
    statusIndicator->ask(session_, currentLanguage(), byUser);
}

void TfrmMain::statusIndicatorClick()
{
    askPrinter(true);
}

void TfrmMain::openRecord()
{
    RecordWindow::showFor(this, currentLanguage());
}
