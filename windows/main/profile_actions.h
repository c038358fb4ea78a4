// Keeps and gives the main window's settings as the tool's profile file:
// "Save as profile..." writes the selected groups and the connection,
// "Open profile..." shows a profile's settings in the groups, sending nothing.
// Reached from the settings area's context menu and from Ctrl+S and Ctrl+O.
#pragma once

#include "window_sender.h"

#include <QObject>

#include <functional>

class ConnectionPanel;
class SettingsPanel;
class QWidget;

class ProfileActions : public QObject
{
    Q_OBJECT
public:
    ProfileActions(QWidget *window, const WindowSender &sender, ConnectionPanel &connection, SettingsPanel &settings);

    // Ask for the file to write or read; empty means cancelled. The file
    // dialogs by default; tests replace them.
    std::function<QString()> chooseSaveFile;
    std::function<QString()> chooseOpenFile;

public slots:
    void save();
    void open();

private:
    QWidget *window_;
    const WindowSender &sender_;
    ConnectionPanel &connection_;
    SettingsPanel &settings_;
};
