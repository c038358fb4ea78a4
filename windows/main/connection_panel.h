// The main window's connection group (GroupBox18): the lists of print queues,
// serial ports and printer ports, the choice of the access path, the serial
// port's open and close, and the instruction set choice. It keeps the
// session's target in step with the checked radio button.
#pragma once

#include "config_commands.h"
#include "queue_states.h"
#include "window_sender.h"

#include <QGroupBox>

#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

class ConnectionPanel : public QGroupBox
{
    Q_OBJECT
public:
    ConnectionPanel(QWidget *window, const WindowSender &sender);

    QRadioButton *rdbDriver = nullptr, *rdbCom = nullptr, *rdbLpt = nullptr;
    QComboBox *ComboPrinter = nullptr, *cmbCom = nullptr, *cmbBaudRate = nullptr, *cmbLpt = nullptr,
              *cmbShareHand = nullptr;
    QPushButton *btnRef = nullptr, *Button7 = nullptr, *btnOpenCOM = nullptr, *btnCloseCOM = nullptr;
    QLabel *Panel5 = nullptr;
    QWidget *Panel1 = nullptr;
    QRadioButton *rdbCommandNew = nullptr, *rdbCommandOLD = nullptr;
    // "Find printers...": in the group's context menu, and Ctrl+F.
    QAction *actFindPrinters = nullptr;

    // The instruction set the commands are built in.
    InstructionSet instructionSet() const;
    // Lists the print queues, serial ports and printer ports and runs the
    // rest of the refresh. starting: a missing list export is not reported.
    void listPrintersAndPorts(bool starting);
    // Shows each queue's state and the language button's caption in the
    // interface language.
    void retranslate(Language language);
    // Quitting: an open serial port is asked to close, whatever it answers.
    void closeOnQuit();
    // True while the lists are being filled: the printer is asked once, at
    // the end.
    bool listing() const { return listing_; }

public slots:
    void btnRefClick();
    void rdbDriverClick();
    void rdbComClick();
    void rdbLptClick();
    void btnOpenCOMClick();
    void btnCloseCOMClick();
    void cmbComChange();
    void cmbBaudRateChange();
    void cmbShareHandChange();
    void ComboPrinterChange();
    void cmbLptChange();
    // The search for printers (connection_find.cpp): the queue it made is
    // chosen after a Refresh, the serial port it found opened at its rate.
    void findPrinters();

signals:
    // The connection changed: skip all runs.
    void skipAllNeeded();
    // The batch and logo buttons follow the connection.
    void batchButtonsEnabled(bool on);
    // The refresh sets the darkness back to its default.
    void refreshStarted();
    // The link to ask the printer through changed (chosen, opened, closed).
    void linkChanged();

private:
    void build();
    void connectHandlers();
    void modeChoice(bool closeOpenPort, bool batchButtonsOn);
    PathKind checkedPath() const;
    // Runs an open (open true) or close of the serial port off the window's
    // thread and records it. Returns false when another call was in flight.
    bool portCall(bool open, const QString &port, int baudRate, PortCall &call);
    bool require(SessionAction action);
    QStringList missingList(const char *exportName, bool starting);
    void fitSerialList();
    void showQueueStates();
    void addFindEntry();

    const WindowSender &sender_;
    PrinterSession &session_;
    std::vector<QueueState> queueStates_; // as listed last; empty when the library does not tell
    bool listing_ = false;
};
