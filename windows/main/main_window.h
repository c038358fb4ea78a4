// The main window: connection group, nine configuration groups with their
// skip boxes, the test group and the bottom row of buttons.
#pragma once

#include "command.h"
#include "connection.h"
#include "dravik_binding.h"
#include "printer_session.h"
#include "qt_translations.h"
#include "queue_states.h"
#include "send_or_report.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class StatusLine;
class StatusIndicator;

class TfrmMain : public QWidget
{
    Q_OBJECT
public:
    // libraryPath empty: look for the printer I/O library where the program
    // normally does; otherwise load exactly that file.
    explicit TfrmMain(const QString &libraryPath = {}, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The link to the printer, shared with the NV logo window.
    const PrinterSession &session() const { return session_; }
    // Connection state, read by tests.
    PrinterTarget printerTarget() const { return session_.target(); }
    bool portOpen() const { return session_.portOpen(); }
    // "chinese" or "english" once a language was applied; empty in the
    // designed state.
    QString interfaceLanguage() const;
    bool isChinese() const;
    bool isConnectionReady() const;

    // Connection group.
    QGroupBox *GroupBox18 = nullptr;
    QRadioButton *rdbDriver = nullptr, *rdbCom = nullptr, *rdbLpt = nullptr;
    QComboBox *ComboPrinter = nullptr, *cmbCom = nullptr, *cmbBaudRate = nullptr, *cmbLpt = nullptr,
              *cmbShareHand = nullptr;
    QPushButton *btnRef = nullptr, *Button7 = nullptr, *btnOpenCOM = nullptr, *btnCloseCOM = nullptr;
    QLabel *Panel5 = nullptr;
    QWidget *Panel1 = nullptr;
    QRadioButton *rdbCommandNew = nullptr, *rdbCommandOLD = nullptr;

    // Configuration groups.
    QGroupBox *gbLanage = nullptr, *gbCom = nullptr, *gbLevel = nullptr, *gbBarcode = nullptr, *gbCut = nullptr,
              *gbBlack = nullptr, *gbCutMode = nullptr, *gbCutPage = nullptr, *gbBeepSet = nullptr;
    QComboBox *cboLanage = nullptr, *cboNewCom = nullptr, *cboLevel = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr;
    QPushButton *btnLanage = nullptr, *btnNewCom = nullptr, *btnLevel = nullptr, *btnBarcode = nullptr,
                *btnCutSet = nullptr, *btnBlack = nullptr, *btnCutMode = nullptr, *Button3 = nullptr,
                *btnBeepSet = nullptr;
    QRadioButton *rdbBarcodeOpen = nullptr, *rdbBarcodeClose = nullptr, *rdbCutOpen = nullptr, *rdbCutClose = nullptr,
                 *rdbBlackOPen = nullptr, *rdbBlackClose = nullptr, *rbCutModeFullHelf = nullptr,
                 *rbCutModehelf = nullptr, *rdbCutAfter = nullptr, *rdbCutBefore = nullptr;
    QCheckBox *chkBeepSet01 = nullptr, *chkBeepSet02 = nullptr, *chkBeepSet03 = nullptr, *chkBeepSet04 = nullptr;

    // Skip boxes ("No Set"): children of the window, on their group's border.
    QCheckBox *chkLanage = nullptr, *chkCom = nullptr, *chkLevel = nullptr, *chkBarcode = nullptr, *chkCut = nullptr,
              *chkBlack = nullptr, *chkCutMode = nullptr, *chkCutPage = nullptr, *chkBeepSet = nullptr;

    // Test group.
    QGroupBox *gbPrint = nullptr;
    QPushButton *Button14 = nullptr, *Button21 = nullptr, *Button6 = nullptr, *Button5 = nullptr, *Button4 = nullptr,
                *Button2 = nullptr, *Button9 = nullptr;

    // Bottom row.
    QPushButton *Button12 = nullptr, *Button20 = nullptr, *Button13 = nullptr, *BitBtn1 = nullptr, *Button1 = nullptr,
                *BitBtn5 = nullptr;

    // Status bar below the designed layout: the last operation's outcome
    // (a click opens the record of this run) and a slow call's progress.
    QStatusBar *sbStatus = nullptr;
    StatusLine *statusLine = nullptr;
    QProgressBar *callProgress = nullptr;
    // At the row's right end: how the printer is, asked when a connection is
    // chosen or a serial port opened, after each send that succeeded and
    // when it is clicked.
    StatusIndicator *statusIndicator = nullptr;

public slots:
    // Start-up and bottom row.
    void Button1Click();
    void BitBtn5Click();
    void BitBtn1Click();
    // Interface language.
    void Button7Click();
    // "chinese" (any case) gives Chinese, every other text English.
    void ApplyLanguage(const QString &language);
    void applyLanguage(Language language);

    // Connection.
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

    // Batch selection.
    void Button12Click();
    void Button20Click();
    void Button13Click();

    // Configuration commands.
    void btnLanageClick();
    void btnNewComClick();
    void btnLevelClick();
    void btnBarcodeClick();
    void btnBlackClick();
    void btnBeepSetClick();
    void btnCutSetClick();
    void btnCutModeClick();
    void Button3Click();

    // Test and maintenance commands.
    void Button14Click();
    void Button21Click();
    void Button2Click();
    void Button5Click();
    void Button6Click();
    void Button4Click();
    void Button9Click();

    // The record of this run's calls (also Ctrl+L and a click on the status line).
    void openRecord();
    // Asks the printer how it is, now (a click on the indicator).
    void statusIndicatorClick();

private:
    void buildLayout();
    void buildConnectionGroup();
    void buildConfigurationGroups();
    void buildTestGroup();
    void buildBottomRow();
    void buildStatusLine();
    void connectSignals();
    void FormCreate();

    // The skip box rule: a checked box disables its group and turns red.
    void applySkipRule(QCheckBox *box);
    void enableBatchButtons(bool on);
    void modeChoice(bool closeOpenPort, bool batchButtonsOn);
    LinkMode checkedMode() const;

    // Hands a command to the library off the window's thread and shows how
    // it ended on the status line. Returns true when the library took it;
    // otherwise the user is told why (a missing library or export, or the
    // library's failure; within the one-key update the update tells).
    // what names the command as the user knows it. A print-queue job the
    // printer has not taken in time counts as not sent; waiting says what
    // the question about it offers first.
    bool send(const Command &command, const QString &what, WaitingJob waiting = WaitingJob::Withdraw);
    // Runs an open (open true) or close of the serial port off the window's
    // thread and records it. Returns false when another call was in flight.
    bool portCall(bool open, const QString &port, int baudRate, PortCall &call);
    void setStatus(const QString &text);
    // Asks the printer of the chosen connection how it is, when it can be
    // asked: a print queue or printer port, or a serial port that is open.
    void askPrinter(bool byUser);
    // Tells the user what is missing when the library or the export is.
    bool require(SessionAction action);
    // Reports a missing list export (not during start-up) and gives the empty list.
    QStringList missingList(const char *exportName);
    // Asks the library for the print queues, serial ports and printer ports
    // on the worker thread and fills the three lists.
    void listPrintersAndPorts();
    // The serial list's drop-down as wide as its longest port; the whole
    // name as the tooltip.
    void fitSerialList();
    // Each print queue's state as its entry's tooltip, and the chosen one's
    // as the list's.
    void showQueueStates();

    DravikBinding lib_;
    PrinterSession session_{lib_};
    bool languageApplied_ = false;        // the language itself is currentLanguage()
    bool starting_ = false;               // during start-up a missing export is not reported
    std::vector<QueueState> queueStates_; // as listed last; empty when the library does not tell
    bool listing_ = false;                // the lists are being filled: the connection is asked about once, at the end

    // While the one-key update runs its steps tell no failure themselves;
    // the last send's outcome tells the update how the step went.
    bool updating_ = false;
    SendOutcome lastSend_;
};

// The main window of this run; set before its start-up runs.
extern TfrmMain *frmMain;
