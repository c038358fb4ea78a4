#include "profile_actions.h"

#include "connection_panel.h"
#include "file_writer.h"
#include "messages.h"
#include "profile_file.h"
#include "regular_file.h"
#include "settings_panel.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace {
// A profile is a few lines; anything this large is not one.
constexpr qint64 kMaxProfileBytes = 1024 * 1024;

QString filter()
{
    return QCoreApplication::translate("messages", "Profiles (*.ini);;All files (*)");
}
} // namespace

ProfileActions::ProfileActions(QWidget *window, const WindowSender &sender, ConnectionPanel &connection,
                               SettingsPanel &settings)
    : QObject(window)
    , window_(window)
    , sender_(sender)
    , connection_(connection)
    , settings_(settings)
{
    chooseSaveFile = [this] {
        return QFileDialog::getSaveFileName(window_, QString(), QStringLiteral("printer.ini"), filter());
    };
    chooseOpenFile = [this] { return QFileDialog::getOpenFileName(window_, QString(), QString(), filter()); };

    auto *saveKey = new QShortcut(QKeySequence::Save, window);
    connect(saveKey, &QShortcut::activated, this, &ProfileActions::save);
    auto *openKey = new QShortcut(QKeySequence::Open, window);
    connect(openKey, &QShortcut::activated, this, &ProfileActions::open);

    // The settings area's context menu; its layout stays as designed.
    settings.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&settings, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu(window_);
        menu.addAction(QCoreApplication::translate("messages", "Save as profile..."), this, &ProfileActions::save)
            ->setShortcut(QKeySequence::Save);
        menu.addAction(QCoreApplication::translate("messages", "Open profile..."), this, &ProfileActions::open)
            ->setShortcut(QKeySequence::Open);
        menu.exec(settings_.mapToGlobal(at));
    });
}

void ProfileActions::save()
{
    Profile profile;
    profile.settings = settings_.chosenSettings();
    profile.send.set = connection_.instructionSet();
    const PrinterTarget target = sender_.session->target();
    profile.send.target.kind = target.kind();
    if (target.kind() != PathKind::None && !target.printerName.isEmpty())
        profile.send.target.names = QStringList{target.printerName};
    else
        profile.send.target.kind = PathKind::None;
    if (target.isSerial())
        profile.send.target.baud = connection_.cmbBaudRate->currentText().toUInt();

    QByteArray text;
    QString error = writeProfile(profile, text);
    if (!error.isEmpty()) {
        notifier::show(window_, messages::profileNotSaved(QString(), error));
        return;
    }
    const QString path = chooseSaveFile ? chooseSaveFile() : QString();
    if (path.isEmpty())
        return;
    error = filewriter::replaceWith(path, text);
    if (!error.isEmpty()) {
        notifier::show(window_, messages::profileNotSaved(path, error));
        return;
    }
    int count = 0;
    for (const auto &value : profile.settings.values)
        count += value ? 1 : 0;
    sender_.show([path, count] { return messages::profileSaved(path, count); });
}

void ProfileActions::open()
{
    const QString path = chooseOpenFile ? chooseOpenFile() : QString();
    if (path.isEmpty())
        return;
    QByteArray text;
    QString error =
        regularfile::read(path, kMaxProfileBytes, {QStringLiteral("profile"), QStringLiteral("a profile")}, text);
    Profile profile;
    if (error.isEmpty())
        error = parseProfile(text, profile);
    if (error.isEmpty() && profile.settings.empty())
        error = QCoreApplication::translate("messages", "it sets nothing");
    if (!error.isEmpty()) {
        notifier::show(window_, messages::profileNotOpened(path, error));
        return;
    }
    (profile.send.set == InstructionSet::Old ? connection_.rdbCommandOLD : connection_.rdbCommandNew)->setChecked(true);
    settings_.showChoices(profile.settings);
    int count = 0;
    for (const auto &value : profile.settings.values)
        count += value ? 1 : 0;
    sender_.show([path, count] { return messages::profileOpened(path, count); });
}
