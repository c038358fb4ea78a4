#include "find_printers_dialog.h"

#include "library_call.h"
#include "messages.h"
#include "notifier.h"
#include "queue_making.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <pwd.h>
#include <unistd.h>

namespace {

enum Column {
    kLink,
    kPrinter,
    kStatus,
    kQueues
};

QString userName()
{
    const passwd *pw = ::getpwuid(::geteuid());
    return pw && pw->pw_name ? QString::fromLocal8Bit(pw->pw_name) : QStringLiteral("$USER");
}

} // namespace

FindPrintersDialog::FindPrintersDialog(QWidget *parent, const DravikBinding &lib, const QString &openPort,
                                       const QStringList &queues)
    : QDialog(parent)
    , lib_(lib)
    , openPort_(openPort)
    , queues_(queues)
    , search_(lib)
{
    setObjectName(QStringLiteral("frmFindPrinters"));
    setWindowTitle(tr("Find printers"));
    build();
    connect(&search_, &PrinterSearch::found, this, &FindPrintersDialog::addFound);
    connect(&search_, &PrinterSearch::progressed, this, &FindPrintersDialog::showProgress);
    connect(&search_, &PrinterSearch::finished, this, &FindPrintersDialog::searchEnded);
    refreshButtons();
}

void FindPrintersDialog::build()
{
    auto *layout = new QVBoxLayout(this);

    auto *where = new QGridLayout;
    chkUsb = new QCheckBox(tr("USB printers"), this);
    chkUsb->setObjectName(QStringLiteral("chkUsb"));
    chkUsb->setChecked(true);
    chkSerial = new QCheckBox(tr("Serial ports (each probed for its baud rate)"), this);
    chkSerial->setObjectName(QStringLiteral("chkSerial"));
    chkSerial->setChecked(true);
    chkNetwork = new QCheckBox(tr("Network:"), this);
    chkNetwork->setObjectName(QStringLiteral("chkNetwork"));
    edtNetwork = new QLineEdit(QStringLiteral("auto"), this);
    edtNetwork->setObjectName(QStringLiteral("edtNetwork"));
    edtNetwork->setToolTip(tr("Addresses, host names or networks (192.168.1.0/24), separated by blanks; auto: this "
                              "computer's own networks of at most 256 addresses"));
    edtNetwork->setEnabled(false);
    auto *portLabel = new QLabel(tr("Port:"), this);
    spnPort = new QSpinBox(this);
    spnPort->setObjectName(QStringLiteral("spnPort"));
    spnPort->setRange(1, 65535);
    spnPort->setValue(kRawPrinterPort);
    spnPort->setEnabled(false);
    portLabel->setBuddy(spnPort);
    connect(chkNetwork, &QCheckBox::toggled, edtNetwork, &QWidget::setEnabled);
    connect(chkNetwork, &QCheckBox::toggled, spnPort, &QWidget::setEnabled);
    where->addWidget(chkUsb, 0, 0, 1, 4);
    where->addWidget(chkSerial, 1, 0, 1, 4);
    where->addWidget(chkNetwork, 2, 0);
    where->addWidget(edtNetwork, 2, 1);
    where->addWidget(portLabel, 2, 2);
    where->addWidget(spnPort, 2, 3);
    where->setColumnStretch(1, 1);
    layout->addLayout(where);

    auto *run = new QHBoxLayout;
    btnSearch = new QPushButton(tr("Search"), this);
    btnSearch->setObjectName(QStringLiteral("btnSearch"));
    btnSearch->setDefault(true);
    btnStop = new QPushButton(tr("Stop"), this);
    btnStop->setObjectName(QStringLiteral("btnStop"));
    barSearch = new QProgressBar(this);
    barSearch->setObjectName(QStringLiteral("barSearch"));
    barSearch->setRange(0, 1);
    barSearch->setValue(0);
    barSearch->setTextVisible(false);
    run->addWidget(btnSearch);
    run->addWidget(btnStop);
    run->addWidget(barSearch, 1);
    layout->addLayout(run);
    lblSearch = new QLabel(tr("Choose where to look, then press Search."), this);
    lblSearch->setObjectName(QStringLiteral("lblSearch"));
    layout->addWidget(lblSearch);

    lstFound = new QTreeWidget(this);
    lstFound->setObjectName(QStringLiteral("lstFound"));
    lstFound->setRootIsDecorated(false);
    lstFound->setHeaderLabels({tr("Connection"), tr("Printer"), tr("Status"), tr("Print queues")});
    lstFound->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    lstFound->setMinimumSize(620, 180);
    layout->addWidget(lstFound, 1);
    lblNotes = new QLabel(this);
    lblNotes->setObjectName(QStringLiteral("lblNotes"));
    lblNotes->setWordWrap(true);
    lblNotes->hide();
    layout->addWidget(lblNotes);

    auto *act = new QHBoxLayout;
    auto *nameLabel = new QLabel(tr("Queue name:"), this);
    edtQueueName = new QLineEdit(this);
    edtQueueName->setObjectName(QStringLiteral("edtQueueName"));
    edtQueueName->setMaxLength(127);
    nameLabel->setBuddy(edtQueueName);
    btnAction = new QPushButton(tr("Add as print queue"), this);
    btnAction->setObjectName(QStringLiteral("btnAction"));
    btnClose = new QPushButton(tr("Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    act->addWidget(nameLabel);
    act->addWidget(edtQueueName, 1);
    act->addWidget(btnAction);
    act->addStretch();
    act->addWidget(btnClose);
    layout->addLayout(act);

    connect(btnSearch, &QPushButton::clicked, this, &FindPrintersDialog::btnSearchClick);
    connect(btnStop, &QPushButton::clicked, this, &FindPrintersDialog::btnStopClick);
    connect(btnAction, &QPushButton::clicked, this, &FindPrintersDialog::btnActionClick);
    connect(btnClose, &QPushButton::clicked, this, &FindPrintersDialog::reject);
    connect(lstFound, &QTreeWidget::itemSelectionChanged, this, &FindPrintersDialog::selectionChanged);
}

void FindPrintersDialog::btnSearchClick()
{
    if (search_.running())
        return;
    FindRequest request;
    request.usb = chkUsb->isChecked();
    request.serial = chkSerial->isChecked();
    if (!openPort_.isEmpty())
        request.leaveAlone << openPort_;
    request.port = quint16(spnPort->value());
    const QStringList networkWords =
        chkNetwork->isChecked() ? edtNetwork->text().split(QLatin1Char(' '), Qt::SkipEmptyParts) : QStringList();
    if (!request.usb && !request.serial && networkWords.isEmpty()) {
        lblSearch->setText(tr("Choose at least one place to look."));
        return;
    }
    lstFound->clear();
    edtQueueName->clear();
    lblNotes->hide();
    barSearch->setRange(0, 0); // busy until the lists are in
    lblSearch->setText(tr("Searching..."));
    search_.start(request, networkWords);
    refreshButtons();
}

void FindPrintersDialog::btnStopClick()
{
    search_.stop();
    lblSearch->setText(tr("Stopping..."));
    refreshButtons();
}

void FindPrintersDialog::reject()
{
    // The search ends first (within seconds): the dialog then closes.
    if (search_.running()) {
        closeWhenDone_ = true;
        btnStopClick();
        return;
    }
    QDialog::reject();
}

void FindPrintersDialog::addFound(int index)
{
    const Find &find = search_.finds().at(std::size_t(index));
    auto *item = new QTreeWidgetItem(lstFound);
    item->setData(kLink, Qt::UserRole, index);
    const QString kind = find.kind == FindKind::Usb      ? tr("USB")
                         : find.kind == FindKind::Serial ? tr("Serial")
                                                         : tr("Network");
    item->setText(kLink, find.rate ? tr("%1 %2 at %3 baud").arg(kind, find.link).arg(find.rate)
                                   : tr("%1 %2").arg(kind, find.link));
    if (find.isPrinter()) {
        const QString name = QStringList{find.maker(), find.model()}.join(QLatin1Char(' ')).trimmed();
        item->setText(kPrinter, name.isEmpty() ? tr("(tells no name)") : name);
        if (find.asked) {
            const messages::IndicatorView view = messages::indicatorView(find.report, currentLanguage());
            item->setText(kStatus, view.text);
            item->setToolTip(kStatus, view.tooltip);
        } else {
            item->setText(kStatus, tr("Not asked"));
            item->setToolTip(kStatus, tr("Only the print server sees this printer; add it as a print queue to "
                                         "reach it."));
        }
        item->setText(kQueues, find.queues.isEmpty() ? tr("none") : find.queues.join(QStringLiteral(", ")));
        QStringList details;
        if (!find.deviceId.commandSet.isEmpty())
            details << tr("Command set: %1").arg(find.deviceId.commandSet);
        if (!find.report.identity.firmware.isEmpty())
            details << tr("Firmware: %1").arg(find.report.identity.firmware);
        if (!find.serialNumber().isEmpty())
            details << tr("Serial number: %1").arg(find.serialNumber());
        if (!find.uri.isEmpty())
            details << tr("Device URI: %1").arg(find.uri);
        item->setToolTip(kPrinter, details.join(QLatin1Char('\n')));
    } else {
        QString why;
        QString detail;
        switch (find.outcome) {
        case FindOutcome::NotAPrinter:
            why = tr("Port open, not a receipt printer");
            detail = find.report.state == QueryState::NotAPrinter
                         ? tr("It answered %1.").arg(QString::fromLatin1(find.report.notAnAnswer.toHex(' ').toUpper()))
                     : find.report.state == QueryState::NoAnswer
                         ? tr("It did not answer (a printer busy with another connection answers later).")
                         : find.report.reason.text;
            break;
        case FindOutcome::NoPrinter:
            why = find.error.isEmpty() ? tr("No receipt printer answered at any baud rate") : tr("Could not be probed");
            detail = find.error;
            break;
        case FindOutcome::Skipped:
            why = find.check.problem == DeviceProblem::Busy ? tr("Skipped: another program holds it")
                                                            : tr("Skipped: permission denied (join the group dialout)");
            break;
        case FindOutcome::Printer:
            break;
        }
        item->setText(kPrinter, why);
        item->setToolTip(kPrinter, detail);
        for (int c = kLink; c <= kQueues; ++c)
            item->setForeground(c, palette().brush(QPalette::Disabled, QPalette::Text));
    }
    // The first printer found is the one chosen until the user chooses.
    if (find.isPrinter() && !chosen())
        lstFound->setCurrentItem(item);
}

void FindPrintersDialog::showProgress(int done, int total, int printers)
{
    if (search_.stopping())
        return;
    if (total > 0) {
        barSearch->setRange(0, total);
        barSearch->setValue(done);
    }
    lblSearch->setText(tr("Searching: %1 of %2 looked at, %3 found").arg(done).arg(total).arg(printers));
}

void FindPrintersDialog::searchEnded(bool stopped)
{
    barSearch->setRange(0, 1);
    barSearch->setValue(1);
    int printers = 0;
    for (const Find &f : search_.finds())
        printers += f.isPrinter() ? 1 : 0;
    lblSearch->setText(stopped         ? tr("Stopped: %1 receipt printers found").arg(printers)
                       : printers == 0 ? tr("No receipt printer found.")
                                       : tr("Done: %1 receipt printers found").arg(printers));
    const QString notes = notesText();
    lblNotes->setText(notes);
    lblNotes->setVisible(!notes.isEmpty());
    refreshButtons();
    if (closeWhenDone_)
        QDialog::reject();
}

QString FindPrintersDialog::notesText() const
{
    QStringList notes;
    const FindNotes &n = search_.notes();
    const QString lib = QLatin1String(kDravikFileName);
    if (n.usbNotListed)
        notes << tr("USB printers were not looked for: %1 cannot list them.").arg(lib);
    if (n.usbFailed)
        notes << tr("USB printers were not looked for: %1").arg(n.usbFailed->text);
    if (n.serverDevicesFailed && n.serverDevicesFailed->code == DRAVIK_ERROR_NO_PERMISSION)
        notes << tr("The print server shows the USB printers it sees only to its administrators: the USB printers "
                    "listed are those this computer's printer driver holds.");
    if (n.serialNotProbed)
        notes << tr("Serial ports were not probed: %1 cannot open or ask them.").arg(lib);
    if (n.queuesNotListed || n.queuesFailed)
        notes << tr("The print queues leading to each printer are not known.");
    const ScanTargets &refused = search_.networkRefusal();
    switch (refused.problem) {
    case ScanWordProblem::None:
        break;
    case ScanWordProblem::NotAnAddress:
        notes << tr("The network was not searched: \"%1\" is no address, host name or network.").arg(refused.word);
        break;
    case ScanWordProblem::UnknownHost:
        notes << tr("The network was not searched: no host is named \"%1\".").arg(refused.word);
        break;
    case ScanWordProblem::TooMany:
        notes << tr("The network was not searched: %1 covers %2 addresses, more than %3.")
                     .arg(refused.word)
                     .arg(refused.count)
                     .arg(kMaxScanAddresses);
        break;
    case ScanWordProblem::NoOwnNetwork:
        notes << tr("The network was not searched: this computer is on no network of at most %1 addresses; enter "
                    "the addresses to search.")
                     .arg(kOwnNetworkMax);
        break;
    }
    return notes.join(QLatin1Char('\n'));
}

const Find *FindPrintersDialog::chosen() const
{
    const QTreeWidgetItem *item = lstFound->currentItem();
    if (!item)
        return nullptr;
    const int index = item->data(kLink, Qt::UserRole).toInt();
    const Find &find = search_.finds().at(std::size_t(index));
    return find.isPrinter() ? &find : nullptr;
}

void FindPrintersDialog::selectionChanged()
{
    const Find *find = chosen();
    if (find && find->kind != FindKind::Serial) {
        QStringList taken = queues_;
        for (const Find &f : search_.finds())
            taken << f.queues;
        edtQueueName->setText(suggestedQueueName(find->model(), taken));
    }
    refreshButtons();
}

void FindPrintersDialog::refreshButtons()
{
    const bool running = search_.running();
    btnSearch->setEnabled(!running);
    btnStop->setEnabled(running && !search_.stopping());
    for (QWidget *w : std::initializer_list<QWidget *>{chkUsb, chkSerial, chkNetwork})
        w->setEnabled(!running);
    edtNetwork->setEnabled(!running && chkNetwork->isChecked());
    spnPort->setEnabled(!running && chkNetwork->isChecked());

    const Find *find = chosen();
    const bool serial = find && find->kind == FindKind::Serial;
    btnAction->setText(serial ? tr("Use this port at %1 baud").arg(find->rate) : tr("Add as print queue"));
    // A queue is made, or a port taken, once the search has ended.
    btnAction->setEnabled(find && !running && (serial || !find->uri.isEmpty()));
    edtQueueName->setEnabled(find && !serial && !running);
}

void FindPrintersDialog::btnActionClick()
{
    const Find *find = chosen();
    if (!find || search_.running())
        return;
    if (find->kind == FindKind::Serial) {
        choice_.kind = FoundChoice::Kind::SerialPort;
        choice_.port = find->link;
        choice_.baudRate = int(find->rate);
        accept();
        return;
    }
    addQueue(*find);
}

void FindPrintersDialog::addQueue(const Find &find)
{
    const QString name = edtQueueName->text().trimmed();
    QChar refused;
    switch (queueNameProblem(name, &refused)) {
    case QueueNameProblem::None:
        break;
    case QueueNameProblem::Empty:
        notifier::show(this, tr("Enter a name for the print queue."));
        return;
    case QueueNameProblem::TooLong:
        notifier::show(this, tr("A print queue's name has at most 127 bytes."));
        return;
    case QueueNameProblem::BlankOrControl:
        notifier::show(this, tr("A print queue's name has no blanks."));
        return;
    case QueueNameProblem::Forbidden:
        notifier::show(this, tr("A print queue's name has none of / \\ ? ' \" # @ (this one has %1).").arg(refused));
        return;
    }
    const QString uri = find.uri;
    CallProgress progress;
    progress.bar = barSearch;
    progress.language = currentLanguage();
    QueueMaking made;
    bool replace = false;
    for (;;) {
        if (!librarycall::run([&] { made = makePrintQueue(lib_, name, uri, replace); }, progress))
            return;
        if (made.outcome != QueueMade::Exists || replace)
            break;
        Message question{tr("A print queue named %1 exists already. Make it anew for this printer (%2)? It then "
                            "sends to this printer, without a driver.")
                             .arg(name, uri),
                         {}};
        if (!notifier::ask(this, question))
            return;
        replace = true;
    }
    switch (made.outcome) {
    case QueueMade::Made:
        choice_.kind = FoundChoice::Kind::Queue;
        choice_.queue = name;
        accept();
        return;
    case QueueMade::Exists:
    case QueueMade::Failed:
        if (made.reason.code == DRAVIK_ERROR_NO_PERMISSION)
            notifier::show(this,
                           tr("You may not add print queues on this computer's print server. Join the group "
                              "lpadmin (sudo usermod -aG lpadmin %1, then log in again), or ask its "
                              "administrator.")
                               .arg(userName()),
                           made.reason.text);
        else
            notifier::show(this, tr("The print server did not make the print queue %1.").arg(name),
                           messages::reasonLine(made.reason, currentLanguage()));
        return;
    case QueueMade::NoExport:
        notifier::show(this, messages::missingPiece(lib_, "AddPrintQueue", currentLanguage()));
        return;
    case QueueMade::NoLibrary:
        notifier::show(this, messages::missingPiece(lib_, nullptr, currentLanguage()));
        return;
    }
}
