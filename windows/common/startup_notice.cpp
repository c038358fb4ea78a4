#include "startup_notice.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

StartupNotice::StartupNotice(Language language)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("startupNotice"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("NemboPortSettings"));
    auto *text = new QLabel(
        textIn(language, "StartupNotice", QT_TRANSLATE_NOOP("StartupNotice", "Looking for printers...")), this);
    text->setObjectName(QStringLiteral("startupNoticeText"));
    text->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->addWidget(text);
    // Shown only when the lists take longer than a moment; the timer belongs
    // to this window and ends with it.
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this] {
        adjustSize();
        show();
    });
    timer->start(kDelayMs);
}
