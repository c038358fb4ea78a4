// Program entry: the main window, then a hidden About box and NV logo window.
#include "about_box.h"
#include "main_window.h"
#include "nvlogo_window.h"
#include "notifier.h"
#include "ui_font.h"

#include <QApplication>
#include <QRadioButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
    applyInterfaceFont();

    TfrmMain mainWindow;
    TAboutBox aboutBox;
    TForm3 logoWindow(mainWindow.printerTarget(), [&mainWindow] { return mainWindow.rdbCommandOLD->isChecked(); });

    mainWindow.show();
    return QApplication::exec();
}
