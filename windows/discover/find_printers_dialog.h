// "Find printers...": looks for receipt printers on USB, on the serial ports
// and, when asked, on the network, lists each as it is found with what it
// is, how it is and the print queues that lead to it, and offers one action
// for the chosen one: "Add as print queue" (a USB or network printer; the
// name made from its model, editable) or "Use this port at N baud" (a serial
// one). The search runs on a thread of its own with a progress bar and a
// Stop; making the queue runs on the library's worker thread. The window
// that opened it reads choice() once it was accepted.
#pragma once

#include "dravik_binding.h"
#include "printer_search.h"
#include "qt_translations.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;

struct FoundChoice
{
    enum class Kind {
        None,
        Queue,     // a print queue was made for the printer: queue
        SerialPort // the serial port, at baudRate
    };
    Kind kind = Kind::None;
    QString queue;
    QString port;
    int baudRate = 0;
};

class FindPrintersDialog : public QDialog
{
    Q_OBJECT
public:
    // openPort: a serial port the window holds open, left alone by the search;
    // queues: the print queues the window lists (a name made for a new one
    // is none of them).
    FindPrintersDialog(QWidget *parent, const DravikBinding &lib, const QString &openPort,
                       const QStringList &queues = {});

    FoundChoice choice() const { return choice_; }

    // The widgets, for the window's tests.
    QCheckBox *chkUsb = nullptr, *chkSerial = nullptr, *chkNetwork = nullptr;
    QLineEdit *edtNetwork = nullptr, *edtQueueName = nullptr;
    QSpinBox *spnPort = nullptr;
    QPushButton *btnSearch = nullptr, *btnStop = nullptr, *btnAction = nullptr, *btnClose = nullptr;
    QProgressBar *barSearch = nullptr;
    QLabel *lblSearch = nullptr, *lblNotes = nullptr;
    QTreeWidget *lstFound = nullptr;

    bool searching() const { return search_.running(); }

public slots:
    void btnSearchClick();
    void btnStopClick();
    void btnActionClick();
    // Close: a search under way is stopped first, and the dialog closes once
    // it has ended.
    void reject() override;

private:
    void build();
    void addFound(int index);
    void showProgress(int done, int total, int printers);
    void searchEnded(bool stopped);
    void selectionChanged();
    const Find *chosen() const;
    void addQueue(const Find &find);
    void refreshButtons();
    QString notesText() const;

    const DravikBinding &lib_;
    QString openPort_;
    QStringList queues_;
    PrinterSearch search_;
    FoundChoice choice_;
    bool closeWhenDone_ = false;
};
