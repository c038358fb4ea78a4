// The main window: the connection group, the nine configuration groups with
// their skip boxes, the test group and the bottom row, each a panel of its
// own; the window composes them, starts up, speaks the interface language
// and shows outcomes in its status bar.
#pragma once

#include "bottom_row.h"
#include "connection_panel.h"
#include "dravik_binding.h"
#include "printer_session.h"
#include "profile_actions.h"
#include "qt_translations.h"
#include "settings_panel.h"
#include "tests_panel.h"
#include "window_sender.h"

#include <QWidget>

class QProgressBar;
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

    // The link to the printer.
    const PrinterSession &session() const { return session_; }
    // Where sends go now, read by tests.
    PrinterTarget printerTarget() const { return session_.target(); }
    bool portOpen() const { return session_.portOpen(); }
    // "chinese" or "english" once a language was applied; empty in the
    // designed state.
    QString interfaceLanguage() const;
    bool isChinese() const;
    // The connection-ready test: false only in serial mode with the port
    // closed, or when no mode is chosen.
    bool isConnectionReady() const { return session_.ready(); }

    ConnectionPanel *connection = nullptr;
    SettingsPanel *settings = nullptr;
    TestsPanel *printTests = nullptr;
    BottomRow *bottomRow = nullptr;
    ProfileActions *profiles = nullptr;

    // Status bar below the designed layout: the last operation's outcome
    // (a click opens the record of this run) and a slow call's progress.
    QStatusBar *sbStatus = nullptr;
    StatusLine *statusLine = nullptr;
    QProgressBar *callProgress = nullptr;
    // At the row's right end: how the printer is, asked when a connection is
    // chosen or a serial port opened, after each send the printer took and
    // when it is clicked.
    StatusIndicator *statusIndicator = nullptr;

public slots:
    // Interface language.
    void Button7Click();
    // "chinese" (any case) gives Chinese, every other text English.
    void ApplyLanguage(const QString &language);
    void applyLanguage(Language language);

    // The record of this run's calls (also Ctrl+L and a click on the status line).
    void openRecord();
    // Asks the printer how it is, now (a click on the indicator).
    void statusIndicatorClick();

protected:
    // Becoming the active window asks the printer again.
    void changeEvent(QEvent *event) override;

private:
    // How often the printer is asked again while the window is active.
    static constexpr int kWatchMs = 10000;

    void buildStatusLine();
    // The indicator keeps watching: asked again while the window is active,
    // unless a call is in flight (it never waits behind a long send).
    void watchPrinter();
    // The indicator's context menu: ask again, copy the printer's identity.
    void indicatorMenu(const QPoint &at);
    void connectPanels();
    void FormCreate();
    // Asks the printer of the chosen connection how it is, when it can be
    // asked: a print queue or printer port, or a serial port that is open.
    void askPrinter(bool byUser);
    // A connection change runs skip all; a selection it drops is said.
    void connectionChanged();
    // Says, after the operation's own status, what it set back as designed
    // (worded in the language of each moment).
    void noteSetBack(StatusText part);
    void showSetBack();

    DravikBinding lib_;
    PrinterSession session_{lib_};
    WindowSender sender_;
    bool languageApplied_ = false;    // the language itself is currentLanguage()
    bool starting_ = false;           // the start-up refresh runs
    std::vector<StatusText> setBack_; // what the operation running now set back
};

// The main window of this run; set before its start-up runs.
extern TfrmMain *frmMain;
