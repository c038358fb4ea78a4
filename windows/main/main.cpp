// Program entry: the main window, then a hidden About box and NV logo window.
// --help and --version answer without starting the interface, and a missing
// display is said in one line instead of an abort.
#include "about_box.h"
#include "desktop_identity.h"
#include "main_window.h"
#include "notifier.h"
#include "nvlogo_window.h"
#include "ui_font.h"

#include <QApplication>
#include <QRadioButton>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kUsage[] = "Usage: NemboPortSettings [--help] [--version] [Qt options]\n"
                      "\n"
                      "Setting and test tool for 58 mm and 80 mm thermal receipt printers.\n"
                      "Starts the settings window; it needs a graphical desktop (X11 or Wayland).\n"
                      "The printer I/O library libDravik.so is looked for beside this program\n"
                      "first, then through the system's library search.\n"
                      "\n"
                      "  --help       show this text and exit\n"
                      "  --version    show the version and exit\n"
                      "\n"
                      "For scripts and machines without a desktop, use the command-line tool\n"
                      "nemboport (see nemboport --help).\n";

bool hasArgument(int argc, char *argv[], const char *name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

bool isSet(const char *variable)
{
    const char *value = std::getenv(variable);
    return value && *value;
}

// True when the window system Qt would pick has nothing to connect to.
bool noDisplay(int argc, char *argv[])
{
    if (hasArgument(argc, argv, "-platform") || isSet("QT_QPA_PLATFORM"))
        return false; // a platform was chosen on purpose (offscreen, vnc, ...)
    return !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    if (hasArgument(argc, argv, "--help") || hasArgument(argc, argv, "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (hasArgument(argc, argv, "--version")) {
        std::printf("NemboPortSettings %s\n", NPS_VERSION);
        return 0;
    }
    if (noDisplay(argc, argv)) {
        std::fputs("NemboPortSettings: no display found (DISPLAY and WAYLAND_DISPLAY are empty): "
                   "start it from a desktop session, or use nemboport on the command line.\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    applyDesktopIdentity();
    applyInterfaceFont();

    TfrmMain mainWindow;
    TAboutBox aboutBox;
    TForm3 logoWindow(mainWindow.printerTarget(),
                      [&mainWindow] { return mainWindow.connection->rdbCommandOLD->isChecked(); });

    mainWindow.show();
    return QApplication::exec();
}
