#include "connection_panel.h"

#include "connection.h"
#include "library_call.h"
#include "messages.h"
#include "settings_catalogue.h"
#include "startup_notice.h"
#include "widget_maker.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>
#include <memory>
#include <optional>

namespace {

QStringList numbered(const QString &prefix, int first, int last)
{
    QStringList items;
    for (int i = first; i <= last; ++i)
        items << prefix + QString::number(i);
    return items;
}

// The detail of a serial open or close message: the program's sentence for
// the library's code, then the library's own text.
QString portCallDetail(const FailureReason &failure)
{
    QStringList lines;
    const QString sentence = messages::reasonSentence(failure.code, currentLanguage());
    if (!sentence.isEmpty())
        lines << sentence;
    if (!failure.text.isEmpty())
        lines << failure.text;
    return lines.join(QLatin1Char('\n'));
}

} // namespace

ConnectionPanel::ConnectionPanel(QWidget *window, const WindowSender &sender)
    : QGroupBox(window)
    , sender_(sender)
    , session_(*sender.session)
{
    build();
    connectHandlers();
    addFindEntry();
}

void ConnectionPanel::build()
{
    setObjectName(QStringLiteral("GroupBox18"));
    setGeometry(8, 7, 488, 122);
    using widgetmaker::list;
    using widgetmaker::make;

    rdbDriver = make<QRadioButton>(this, "rdbDriver", 8, 20, 126, 20);
    ComboPrinter = list(this, "ComboPrinter", 136, 19, 200, {}, -1);
    btnRef = make<QPushButton>(this, "btnRef", 340, 12, 66, 30);
    Button7 = make<QPushButton>(this, "Button7", 410, 12, 66, 30);
    Button7->setText(QStringLiteral("中文"));

    rdbCom = make<QRadioButton>(this, "rdbCom", 8, 55, 126, 20);
    cmbCom = list(this, "cmbCom", 136, 54, 99, numbered(QStringLiteral("COM"), 1, 29), 0);
    Panel5 = make<QLabel>(this, "Panel5", 237, 54, 56, 21);
    Panel5->setAlignment(Qt::AlignCenter);
    cmbBaudRate = list(this, "cmbBaudRate", 294, 54, 64, widgetmaker::baudRateItems(),
                       widgetmaker::baudRateIndex(kSerialOpenRate));
    btnOpenCOM = make<QPushButton>(this, "btnOpenCOM", 360, 52, 58, 25);
    btnCloseCOM = make<QPushButton>(this, "btnCloseCOM", 420, 52, 58, 25);
    cmbShareHand =
        list(this, "cmbShareHand", 294, 54, 64,
             {QStringLiteral("无握手"), QStringLiteral("硬件握手CTS"), QStringLiteral("软件握手XON/XOFF")}, 0);
    cmbShareHand->hide();
    for (QComboBox *box : {ComboPrinter, cmbCom})
        box->view()->setMinimumWidth(200);

    rdbLpt = make<QRadioButton>(this, "rdbLpt", 8, 90, 126, 20);
    cmbLpt = list(this, "cmbLpt", 136, 89, 82, numbered(QStringLiteral("LPT"), 1, 3), 0);
    Panel1 = make<QWidget>(this, "Panel1", 222, 86, 256, 28);
    rdbCommandNew = make<QRadioButton>(Panel1, "rdbCommandNew", 4, 4, 110, 20);
    rdbCommandOLD = make<QRadioButton>(Panel1, "rdbCommandOLD", 118, 4, 136, 20);
    rdbCommandNew->setChecked(true);
}

void ConnectionPanel::connectHandlers()
{
    const struct
    {
        QPushButton *button;
        void (ConnectionPanel::*handler)();
    } clicks[] = {
        {btnRef, &ConnectionPanel::btnRefClick},
        {btnOpenCOM, &ConnectionPanel::btnOpenCOMClick},
        {btnCloseCOM, &ConnectionPanel::btnCloseCOMClick},
    };
    for (const auto &c : clicks)
        connect(c.button, &QPushButton::clicked, this, c.handler);

    // A mode handler runs when its radio button becomes checked.
    const struct
    {
        QRadioButton *radio;
        void (ConnectionPanel::*handler)();
    } modes[] = {
        {rdbDriver, &ConnectionPanel::rdbDriverClick},
        {rdbCom, &ConnectionPanel::rdbComClick},
        {rdbLpt, &ConnectionPanel::rdbLptClick},
    };
    for (const auto &m : modes)
        connect(m.radio, &QRadioButton::toggled, this, [this, m](bool on) {
            if (on)
                (this->*m.handler)();
        });

    // Only a user's choice in a list counts as a change.
    connect(cmbCom, &QComboBox::activated, this, &ConnectionPanel::cmbComChange);
    connect(cmbBaudRate, &QComboBox::activated, this, &ConnectionPanel::cmbBaudRateChange);
    connect(cmbShareHand, &QComboBox::activated, this, &ConnectionPanel::cmbShareHandChange);
    connect(ComboPrinter, &QComboBox::activated, this, &ConnectionPanel::ComboPrinterChange);
    connect(cmbLpt, &QComboBox::activated, this, &ConnectionPanel::cmbLptChange);
    // The whole port name, however narrow the box.
    connect(cmbCom, &QComboBox::currentTextChanged, cmbCom, &QWidget::setToolTip);
}

InstructionSet ConnectionPanel::instructionSet() const
{
    return rdbCommandOLD->isChecked() ? InstructionSet::Old : InstructionSet::New;
}

void ConnectionPanel::retranslate(Language language)
{
    Button7->setText(language == Language::Chinese ? QStringLiteral("English") : QStringLiteral("Chinese"));
    actFindPrinters->setText(tr("Find printers..."));
    showQueueStates();
}

bool ConnectionPanel::require(SessionAction action)
{
    return canOrReport(window(), session_, action, currentLanguage());
}

QStringList ConnectionPanel::missingList(const char *exportName, bool starting)
{
    // A missing list counts as empty; a press is told why.
    if (!starting)
        notifier::show(window(), messages::missingPiece(session_.library(), exportName, currentLanguage()));
    return {};
}

void ConnectionPanel::btnRefClick()
{
    if (!session_.library().isLoaded()) {
        notifier::show(window(), messages::missingPiece(session_.library(), nullptr, currentLanguage()));
        return;
    }
    listPrintersAndPorts(false);
}

void ConnectionPanel::listPrintersAndPorts(bool starting)
{
    const DravikBinding &lib = session_.library();
    // The library's list texts belong to the thread that asked: copied there.
    struct Lists
    {
        QStringList printers, serial, lpt;
        FailureReason queueFailure;
        std::optional<std::vector<QueueState>> states;
    } found;
    const bool printers = lib.getPrintDriveNames, serial = lib.getSystemSerial, lpt = lib.getPrintDrivePortNames;
    CallProgress progress;
    progress.bar = sender_.progressBar;
    progress.language = currentLanguage();
    // Before the window shows, a slow listing is said in a small window of its own.
    std::unique_ptr<StartupNotice> notice;
    if (starting)
        notice = std::make_unique<StartupNotice>(currentLanguage());
    const bool ran = librarycall::run(
        [&] {
            if (printers) {
                found.printers = splitLibraryList(lib.getPrintDriveNames());
                if (found.printers.isEmpty())
                    found.queueFailure = failureReason(lib);
                else
                    found.states = queueStates(lib); // asked only when the library has it
            }
            if (serial)
                found.serial = splitLibraryList(lib.getSystemSerial());
            if (lpt)
                found.lpt = splitLibraryList(lib.getPrintDrivePortNames("LPT"));
        },
        progress);
    notice.reset();
    if (!ran)
        return; // another call was in flight; its window still waits for it

    session_.forgetOpenPort();
    listing_ = true;
    emit refreshStarted();

    ComboPrinter->clear();
    ComboPrinter->addItems(printers ? found.printers : missingList("GetPrintDriveNames", starting));
    queueStates_ = found.states.value_or(std::vector<QueueState>{});
    showQueueStates();
    if (ComboPrinter->count() > 0) {
        rdbDriver->setEnabled(true);
        rdbDriver->setChecked(true); // runs rdbDriverClick when it was not checked
        ComboPrinter->setCurrentIndex(0);
    } else {
        rdbDriver->setEnabled(false);
    }

    cmbCom->clear();
    cmbCom->addItems(serial ? found.serial : missingList("GetSystemSerial", starting));
    fitSerialList();

    cmbLpt->clear();
    cmbLpt->addItems(parallelPortNames(lpt ? found.lpt : missingList("GetPrintDrivePortNames", starting)));

    if (cmbCom->count() > 0)
        cmbCom->setCurrentIndex(0);
    if (cmbLpt->count() > 0)
        cmbLpt->setCurrentIndex(0);

    rdbDriverClick();
    emit skipAllNeeded();
    listing_ = false;

    // An empty queue list with the library's reason: the print server is
    // down or did not answer, not a machine without printers.
    const bool queueFailed = printers && found.printers.isEmpty() && found.queueFailure.code > DRAVIK_ERROR_NONE;
    const int queues = ComboPrinter->count(), ports = cmbCom->count(), printerPorts = cmbLpt->count();
    const FailureReason failure = found.queueFailure;
    if (queueFailed) // the status line gives the program's sentence, the record the library's text
        recordFailure(PrinterTarget::of(PathKind::Queue, QString()), QStringLiteral("GetPrintDriveNames"), failure,
                      currentLanguage());
    sender_.show([=] { return messages::listStatus(queues, ports, printerPorts, queueFailed ? &failure : nullptr); });
    emit linkChanged();
}

void ConnectionPanel::showQueueStates()
{
    for (int i = 0; i < ComboPrinter->count(); ++i) {
        const auto state = findQueue(queueStates_, ComboPrinter->itemText(i));
        ComboPrinter->setItemData(i, state ? messages::queueStateText(*state) : QVariant(), Qt::ToolTipRole);
    }
    const auto chosen = findQueue(queueStates_, ComboPrinter->currentText());
    ComboPrinter->setToolTip(chosen ? messages::queueStateText(*chosen) : QString());
}

void ConnectionPanel::fitSerialList()
{
    // Port paths (announced virtual printers among them) are longer than the
    // box: the open list widens to the longest, and each entry's tooltip is
    // its whole name.
    const QFontMetrics metrics(cmbCom->view()->font());
    int widest = 0;
    for (int i = 0; i < cmbCom->count(); ++i) {
        const QString name = cmbCom->itemText(i);
        cmbCom->setItemData(i, name, Qt::ToolTipRole);
        widest = qMax(widest, metrics.horizontalAdvance(name));
    }
    // Room for the frame, the item margins and a scroll bar.
    const int extra =
        2 * cmbCom->view()->frameWidth() + 16 + cmbCom->view()->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    cmbCom->view()->setMinimumWidth(qMax(cmbCom->width(), widest + extra));
}

PathKind ConnectionPanel::checkedPath() const
{
    if (rdbDriver->isChecked())
        return PathKind::Queue;
    if (rdbCom->isChecked())
        return PathKind::Serial;
    if (rdbLpt->isChecked())
        return PathKind::Port;
    return PathKind::None;
}

void ConnectionPanel::modeChoice(bool closeOpenPort, bool batchButtonsOn)
{
    if (closeOpenPort && session_.portOpen()) {
        btnCloseCOMClick();
        session_.forgetOpenPort();
    }

    ComboPrinter->setEnabled(rdbDriver->isChecked());
    for (QComboBox *box : {cmbCom, cmbBaudRate, cmbShareHand})
        box->setEnabled(rdbCom->isChecked());
    // A machine may have several printer ports (USB printers among them):
    // the list is open while the port path is chosen.
    cmbLpt->setEnabled(rdbLpt->isChecked());
    btnOpenCOM->setEnabled(cmbCom->isEnabled());
    btnCloseCOM->setEnabled(false);

    const PathKind path = checkedPath();
    if (path != PathKind::None)
        session_.choose(path, path == PathKind::Queue    ? ComboPrinter->currentText()
                              : path == PathKind::Serial ? cmbCom->currentText()
                                                         : cmbLpt->currentText());

    emit batchButtonsEnabled(batchButtonsOn);
    emit skipAllNeeded();
    emit linkChanged();
}

void ConnectionPanel::rdbDriverClick()
{
    modeChoice(true, true);
}

void ConnectionPanel::rdbComClick()
{
    modeChoice(false, false);
}

void ConnectionPanel::rdbLptClick()
{
    modeChoice(true, true);
}

bool ConnectionPanel::portCall(bool open, const QString &port, int baudRate, PortCall &call)
{
    CallProgress progress;
    progress.bar = sender_.progressBar;
    progress.language = currentLanguage();
    if (!librarycall::run([&] { call = open ? session_.open(port, baudRate) : session_.close(port); }, progress))
        return false;
    const QString name = open ? QStringLiteral("OpenComm %1").arg(baudRate) : QStringLiteral("CloseComm");
    recordPortCall(PrinterTarget::of(PathKind::Serial, port), name, open, call, currentLanguage());
    return true;
}

void ConnectionPanel::closeOnQuit()
{
    if (!session_.portOpen() || !session_.can(SessionAction::Close))
        return;
    PortCall call;
    portCall(false, cmbCom->currentText(), 0, call);
}

void ConnectionPanel::btnOpenCOMClick()
{
    if (session_.portOpen() || !require(SessionAction::Open))
        return;

    const int baudRate = cmbBaudRate->currentText().toInt();
    const QString port = cmbCom->currentText().trimmed();
    PortCall call;
    if (!portCall(true, port, baudRate, call))
        return;
    const FailureReason failure = call.reason;
    const QString reason = portCallDetail(failure);
    const bool opened = call.result > 0;
    sender_.show([=] { return messages::serialOpenStatus(port, baudRate, opened, failure); });

    if (call.result < 0) {
        // The library's raised error: the port is missing or held by another program.
        Message message = messages::serialConnectionError(port);
        message.detail = reason;
        notifier::show(window(), message);
        btnOpenCOM->setEnabled(true);
        btnCloseCOM->setEnabled(false);
        return;
    }

    const bool open = session_.portOpen();
    btnOpenCOM->setEnabled(!open);
    btnCloseCOM->setEnabled(open);
    emit batchButtonsEnabled(open);
    emit skipAllNeeded();
    emit linkChanged();
    if (!open) {
        Message message = messages::serialOpenFailed();
        message.detail = reason;
        notifier::show(window(), message);
    }
}

void ConnectionPanel::btnCloseCOMClick()
{
    if (!require(SessionAction::Close))
        return;

    // The serial list's text as it stands, blanks included: after a change
    // of port while open, the newly chosen one (a library with one serial
    // handle closes it whatever the name).
    const QString port = cmbCom->currentText();
    PortCall call;
    if (!portCall(false, port, 0, call))
        return;
    const bool closed = call.result != 0;
    const FailureReason failure = call.reason;
    sender_.show([=] { return messages::serialCloseStatus(port, closed, failure); });
    if (call.result) {
        btnOpenCOM->setEnabled(true);
        btnCloseCOM->setEnabled(false);
        emit batchButtonsEnabled(false);
        emit skipAllNeeded();
        emit linkChanged();
        return;
    }

    Message message = messages::serialCloseFailed(session_.target().printerName);
    message.detail = portCallDetail(call.reason);
    notifier::show(window(), message);
    btnOpenCOM->setEnabled(false);
    btnCloseCOM->setEnabled(true);
}

void ConnectionPanel::cmbComChange()
{
    if (!session_.portOpen())
        return;
    btnCloseCOMClick();
    btnOpenCOMClick();
}

void ConnectionPanel::cmbBaudRateChange()
{
    cmbComChange();
}

void ConnectionPanel::cmbShareHandChange()
{
    cmbComChange();
}

void ConnectionPanel::ComboPrinterChange()
{
    session_.choose(session_.kind(), ComboPrinter->currentText());
    showQueueStates();
    if (const auto state = findQueue(queueStates_, ComboPrinter->currentText())) {
        sender_.show([chosen = *state] { return messages::queueChosenStatus(chosen); });
    }
    emit linkChanged();
}

void ConnectionPanel::cmbLptChange()
{
    if (!rdbLpt->isChecked())
        return;
    session_.choose(session_.kind(), cmbLpt->currentText());
    emit linkChanged();
}
