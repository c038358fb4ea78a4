// The connection group's way to the search for printers: a context menu
// entry and its shortcut, which leave the group's designed layout as it is,
// and what becomes of the printer chosen there.
#include "connection_panel.h"

#include "find_printers_dialog.h"
#include "messages.h"
#include "notifier.h"

#include <QAction>
#include <QComboBox>
#include <QKeySequence>
#include <QRadioButton>

void ConnectionPanel::addFindEntry()
{
    actFindPrinters = new QAction(tr("Find printers..."), this);
    actFindPrinters->setObjectName(QStringLiteral("actFindPrinters"));
    actFindPrinters->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    actFindPrinters->setShortcutContext(Qt::WindowShortcut);
    addAction(actFindPrinters);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(actFindPrinters, &QAction::triggered, this, &ConnectionPanel::findPrinters);
}

void ConnectionPanel::findPrinters()
{
    if (!session_.library().isLoaded()) {
        notifier::show(window(), messages::missingPiece(session_.library(), nullptr, currentLanguage()));
        return;
    }
    // The port this window holds open is not probed (a probe would take it over).
    const QString openPort = session_.portOpen() ? session_.linkTarget().printerName : QString();
    QStringList queues;
    for (int i = 0; i < ComboPrinter->count(); ++i)
        queues << ComboPrinter->itemText(i);
    FindPrintersDialog dialog(window(), session_.library(), openPort, queues);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const FoundChoice choice = dialog.choice();
    if (choice.kind == FoundChoice::Kind::Queue) {
        // The designed Refresh lists the new queue; it is then chosen as a user would.
        btnRefClick();
        const int index = ComboPrinter->findText(choice.queue);
        if (index < 0)
            return;
        rdbDriver->setChecked(true);
        ComboPrinter->setCurrentIndex(index);
        ComboPrinterChange();
    } else if (choice.kind == FoundChoice::Kind::SerialPort) {
        if (session_.portOpen())
            btnCloseCOMClick();
        if (session_.portOpen())
            return; // it would not close: told already
        rdbCom->setChecked(true);
        int index = cmbCom->findText(choice.port);
        if (index < 0) {
            cmbCom->addItem(choice.port);
            fitSerialList();
            index = cmbCom->count() - 1;
        }
        cmbCom->setCurrentIndex(index);
        const int rate = cmbBaudRate->findText(QString::number(choice.baudRate));
        if (rate >= 0)
            cmbBaudRate->setCurrentIndex(rate);
        session_.choose(PathKind::Serial, choice.port);
        btnOpenCOMClick();
    }
}
