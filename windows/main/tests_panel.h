// The main window's test group (gbPrint): the function and code page lists,
// the cash drawer, the cuts, the QR code and the factory reset, each a fixed
// command sent at a press.
#pragma once

#include "window_sender.h"

#include <QGroupBox>

class QPushButton;

class TestsPanel : public QGroupBox
{
    Q_OBJECT
public:
    TestsPanel(QWidget *window, const WindowSender &sender);

    QPushButton *Button14 = nullptr, *Button21 = nullptr, *Button6 = nullptr, *Button5 = nullptr, *Button4 = nullptr,
                *Button2 = nullptr, *Button9 = nullptr;

public slots:
    void Button14Click();
    void Button21Click();
    void Button2Click();
    void Button5Click();
    void Button6Click();
    void Button4Click();
    void Button9Click();

private:
    // Sends commands as one press of button. A test print the printer has
    // not taken is offered to stay queued; the factory reset, like a
    // setting, is offered to be withdrawn.
    void press(const QPushButton *button, std::vector<Command> commands, bool keepWaitingJobs = true);

    const WindowSender &sender_;
};
