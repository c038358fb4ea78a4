// The main window: its panels and their wiring, start-up, the interface
// language and the status bar.
#include "main_window.h"

#include "accessible_names.h"
#include "captions.h"
#include "language.h"
#include "library_call.h"
#include "messages.h"
#include "placement.h"
#include "record_window.h"
#include "status_indicator.h"
#include "status_line.h"

#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>

#include <utility>

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
    sender_.status = [this](StatusText make) { statusLine->setStatus(std::move(make)); };
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
    profiles = new ProfileActions(this, sender_, *connection, *settings);
    applyDesignedCaptions(this);
    bindLabels(this);
    applyAccessibleNames(this);
    buildStatusLine();
    sender_.progressBar = callProgress;
    // Placed once its final size (status line included) is known.
    placeOnScreen(this, QPoint(686, 154));
    connectPanels();
    auto *watch = new QTimer(this);
    watch->setObjectName(QStringLiteral("printerWatch"));
    connect(watch, &QTimer::timeout, this, &TfrmMain::watchPrinter);
    watch->start(kWatchMs);

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
    connect(connection, &ConnectionPanel::skipAllNeeded, this, &TfrmMain::connectionChanged);
    connect(connection, &ConnectionPanel::batchButtonsEnabled, bottomRow, &BottomRow::enableBatchButtons);
    connect(connection, &ConnectionPanel::refreshStarted, this, [this] {
        if (settings->resetDarkness()) {
            const QString level = settings->cboLevel->currentText();
            noteSetBack([level] { return messages::setBackDarkness(level); });
        }
    });
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
    starting_ = true;
    connection->listPrintersAndPorts(true);
    starting_ = false;
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
    const bool switched = languageApplied_;
    languageApplied_ = true;
    setInterfaceLanguage(language);
    connection->retranslate(language);
    if (settings->fillCodePages(language) && switched) {
        const int entry = settings->cboLanage->currentIndex();
        noteSetBack([this, entry] { return messages::setBackCodePage(settings->cboLanage->itemText(entry)); });
    }
    applyCaptions(this);
    applyAccessibleNames(this);
    statusIndicator->retranslate(language);
    statusLine->retranslate();
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
    statusIndicator->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(statusIndicator, &QWidget::customContextMenuRequested, this, &TfrmMain::indicatorMenu);

    connect(statusLine, &StatusLine::clicked, this, &TfrmMain::openRecord);
    auto *record = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(record, &QShortcut::activated, this, &TfrmMain::openRecord);
}

void TfrmMain::connectionChanged()
{
    const bool selected = settings->anySelected();
    bottomRow->Button20Click();
    if (selected)
        noteSetBack([] { return messages::setBackGroups(); });
}

void TfrmMain::noteSetBack(StatusText part)
{
    if (starting_)
        return; // nothing was chosen yet
    if (setBack_.empty())
        QTimer::singleShot(0, this, &TfrmMain::showSetBack);
    setBack_.push_back(std::move(part));
}

void TfrmMain::showSetBack()
{
    // Shown once the operation that set them back has said how it ended.
    if (librarycall::busy()) {
        QTimer::singleShot(50, this, &TfrmMain::showSetBack);
        return;
    }
    const std::vector<StatusText> parts = std::exchange(setBack_, {});
    StatusText before = statusLine->wording();
    if (!before) {
        const QString fixed = statusLine->status();
        before = [fixed] { return fixed; };
    }
    statusLine->setStatus([before, parts] {
        QStringList words;
        for (const StatusText &part : parts)
            words << part();
        const QString status = before();
        return (status.isEmpty() ? status : status + QLatin1Char(' ')) + messages::setBack(words);
    });
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

void TfrmMain::watchPrinter()
{
    // Not while a call is in flight, nor again just after an answer (the
    // window shown at start-up, a send's own question).
    constexpr int kFreshMs = 2000;
    if (isActiveWindow() && !librarycall::busy() && !statusIndicator->asking() &&
        !statusIndicator->answeredWithin(kFreshMs) && statusIndicator->mayAsk(session_))
        askPrinter(false);
}

void TfrmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        watchPrinter();
}

void TfrmMain::indicatorMenu(const QPoint &at)
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("indicatorMenu"));
    menu.addAction(QCoreApplication::translate("messages", "Ask again"), this, [this] { askPrinter(true); });
    const QString identity = statusIndicator->identity(currentLanguage());
    QAction *copy = menu.addAction(QCoreApplication::translate("messages", "Copy the printer's identity"), this,
                                   [identity] { QGuiApplication::clipboard()->setText(identity); });
    copy->setEnabled(!identity.isEmpty());
    menu.exec(statusIndicator->mapToGlobal(at));
}

void TfrmMain::statusIndicatorClick()
{
    askPrinter(true);
}

void TfrmMain::openRecord()
{
    RecordWindow::showFor(this, currentLanguage());
}
