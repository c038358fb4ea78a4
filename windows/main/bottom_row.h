// The main window's bottom row: select all, skip all and the one-key update,
// the NV logo window, quit and the About box.
#pragma once

#include "window_sender.h"

#include <QWidget>

class ConnectionPanel;
class QPushButton;
class SettingsPanel;
class TestsPanel;

class BottomRow : public QWidget
{
    Q_OBJECT
public:
    BottomRow(QWidget *window, const WindowSender &sender, ConnectionPanel &connection, SettingsPanel &settings,
              TestsPanel &tests);

    QPushButton *Button12 = nullptr, *Button20 = nullptr, *Button13 = nullptr, *BitBtn1 = nullptr, *Button1 = nullptr,
                *BitBtn5 = nullptr;

    // The batch and logo buttons, enabled and disabled together.
    void enableBatchButtons(bool on);

public slots:
    void Button12Click();
    void Button20Click();
    void Button13Click();
    void BitBtn1Click();
    void Button1Click();
    void BitBtn5Click();

private:
    const WindowSender &sender_;
    ConnectionPanel &connection_;
    SettingsPanel &settings_;
    TestsPanel &tests_;
};
