// A small window that says the program is looking for printers while the
// start-up lists are asked for before the main window shows: it appears only
// when the lists take longer than a moment, and goes when it is destroyed.
#pragma once

#include "qt_translations.h"

#include <QTimer>
#include <QWidget>

class StartupNotice : public QWidget
{
    Q_OBJECT
public:
    // How long the lists may take before the notice shows.
    static constexpr int kDelayMs = 300;

    explicit StartupNotice(Language language);
};
