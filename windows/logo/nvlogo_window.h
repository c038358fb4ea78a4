// The NV logo window: prepares a bitmap for a logo slot and sends the logo
// commands (download to flash, clear flash, test print, code page) through
// its own binding of the printer I/O library.
#pragma once

#include "command.h"
#include "dravik_binding.h"
#include "send_path.h"
#include "window_sender.h"

#include <QDialog>

#include <functional>
#include <optional>

class LogoPreview;
class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;
class StatusLine;

class TForm3 : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kSlotCount = 4;

    // target: copies of the main window's port name and printer name, taken now.
    // oldInstructionSet: asked at each "Settings" press (the main window's rdbCommandOLD).
    TForm3(const PrinterTarget &target, std::function<bool()> oldInstructionSet, QWidget *parent = nullptr);
    // The same, binding exactly the library file given instead of searching.
    TForm3(const PrinterTarget &target, std::function<bool()> oldInstructionSet, const QString &libraryPath,
           QWidget *parent = nullptr);
    ~TForm3() override;

    // The loaded flags of the four slots, shared by every instance for the
    // whole run. slot is 1 to 4.
    static bool slotLoaded(int slot);

    // Asks for the file to open; empty means cancelled. Defaults to the
    // bitmap file dialog; tests replace it.
    std::function<QString()> chooseFile;
    // How long the window waits after a download for the printer to write
    // its flash, in milliseconds.
    int downloadWaitMs = 10000;
    // True while a download and its wait run.
    bool downloading() const { return downloading_; }
    // How this window's last send ended, as its status bar shows it (in
    // English) or in Chinese for a Chinese main window; empty when none.
    QString lastStatus(Language language = Language::English) const;
    // That send, when there was one.
    std::optional<SentCommand> lastSend() const { return last_; }
    // The open dialog's filters: every picture kind the loader reads (given
    // as patterns) first, then bitmaps, then every file.
    static QStringList pictureFilters(const QStringList &patterns);

    QGroupBox *GroupBox22;
    LogoPreview *imgPrint1;
    LogoPreview *imgPrint2;
    LogoPreview *imgPrint3;
    LogoPreview *imgPrint4;
    QPushButton *BitBtn22;
    QRadioButton *RadioButton1;
    QRadioButton *RadioButton2;
    QLabel *Label34;
    QSpinBox *edtIconNo;
    QPushButton *BitBtn4;
    QLabel *Label4;
    QRadioButton *RadioButton4;
    QRadioButton *RadioButton5;
    QPushButton *BitBtn25;
    QPushButton *BitBtn3;
    QPushButton *BitBtn1;
    QRadioButton *rdbNVLeft;
    QRadioButton *rdbNVMiddle;
    QRadioButton *rdbNVRight;
    QLabel *Label3;
    QSpinBox *SpinEdit1;
    QLabel *Label2;
    QLabel *Label1;
    QPushButton *BitBtn2;
    QPushButton *BitBtn5;
    QStatusBar *StatusBar1;
    QLabel *statusPanels[4];
    QComboBox *cboSelectLIB;
    QPushButton *Button6;
    QProgressBar *waitProgress; // the flash wait's progress, and a slow send's
    StatusLine *outcomePanel;   // status panel 1: the last send's outcome or the opened picture's size

public slots:
    void BitBtn22Click();
    void BitBtn4Click();
    void edtIconNoChange();
    void BitBtn25Click();
    void BitBtn3Click();
    void BitBtn1Click();
    void Button6Click();
    void BitBtn2Click();
    // The record of this run's calls (Ctrl+L, or a click on the outcome panel).
    void openRecord();
    // Escape and the title bar end the modal run, except during a download.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildLayout();
    void connectHandlers();
    void FormCreate(const QString &libraryPath);

    int currentSlot() const;
    // The model's width message when a picture is too wide for it, else empty.
    QString widthRefusal(int width) const;
    LogoPreview *slotPreview(int slot) const;
    QString defaultChooseFile();
    // How this window sends: through its own binding, its outcomes in its
    // status bar, in English.
    WindowSender sender();
    // The press of pressed as one step of command; a test print the printer
    // has not taken is offered to stay queued, anything else to be withdrawn.
    static PlanStep stepOf(const QAbstractButton *pressed, Command command, bool keepWaitingJobs = false);
    // Delivers step and shows how it ended in the status bar; tellFailure
    // also tells a refused send (the download words its own). A missing
    // library or export is always told. A print-queue job the printer has
    // not taken counts as not sent.
    DeliveryResult deliver(const PlanStep &step, bool tellFailure = true);
    void buildOutcomePanel();
    void waitForFlash();

    static bool s_loaded[kSlotCount];

    DravikBinding lib_;
    PrinterSession session_{lib_};
    std::function<bool()> oldInstructionSet_;
    QButtonGroup *processingGroup_;
    QButtonGroup *modelGroup_;
    QButtonGroup *alignGroup_;
    bool downloading_ = false;
    std::optional<SentCommand> last_; // the last command and how it ended
};
