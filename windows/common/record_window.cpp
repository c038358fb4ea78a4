#include "record_window.h"

#include "call_record.h"
#include "command_decoder.h"
#include "file_writer.h"
#include "notifier.h"

#include <QApplication>

#include <QClipboard>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
// Bytes shown per command; the rest is counted, and the .bin file holds all.
constexpr int kHexShown = 48;

QString hexPreview(const Bytes &bytes, std::size_t offset, std::size_t length)
{
    const std::size_t shown = std::min<std::size_t>(length, kHexShown);
    QByteArray raw(reinterpret_cast<const char *>(bytes.data() + offset), qsizetype(shown));
    QString text = QString::fromLatin1(raw.toHex(' ').toUpper());
    if (length > shown)
        text += QStringLiteral(" ... (+%1)").arg(qulonglong(length - shown));
    return text;
}

// A text marked with QT_TRANSLATE_NOOP("RecordWindow", ...) in language.
QString in(Language language, const char *source)
{
    return textIn(language, "RecordWindow", source);
}
} // namespace

RecordWindow::RecordWindow(Language language, QWidget *parent)
    : QDialog(parent)
    , language_(language)
{
    setObjectName(QStringLiteral("RecordWindow"));
    resize(760, 420);

    calls = new QTableView(this);
    calls->setObjectName(QStringLiteral("calls"));
    calls->setModel(&CallRecord::shared());
    calls->setSelectionBehavior(QAbstractItemView::SelectRows);
    calls->setSelectionMode(QAbstractItemView::ExtendedSelection);
    calls->setEditTriggers(QAbstractItemView::NoEditTriggers);
    calls->verticalHeader()->hide();
    calls->horizontalHeader()->setStretchLastSection(true);
    calls->setColumnWidth(CallRecord::Time, 90);
    calls->setColumnWidth(CallRecord::Target, 150);
    calls->setColumnWidth(CallRecord::Name, 170);
    calls->setColumnWidth(CallRecord::Length, 50);
    calls->setColumnWidth(CallRecord::Result, 150);

    commands = new QTableWidget(0, 2, this);
    commands->setObjectName(QStringLiteral("commands"));
    commands->setEditTriggers(QAbstractItemView::NoEditTriggers);
    commands->verticalHeader()->hide();
    commands->horizontalHeader()->setStretchLastSection(true);
    commands->setColumnWidth(0, 360);

    copyButton = new QPushButton(this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    saveButton = new QPushButton(this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setEnabled(false);

    auto *splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(calls);
    splitter->addWidget(commands);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(copyButton);
    buttons->addWidget(saveButton);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    layout->addLayout(buttons);

    chooseSaveFile = [this] {
        return QFileDialog::getSaveFileName(this, saveButton->text(), QStringLiteral("command.bin"),
                                            QStringLiteral("*.bin"));
    };
    connect(calls->selectionModel(), &QItemSelectionModel::selectionChanged, this, &RecordWindow::showCommands);
    connect(copyButton, &QPushButton::clicked, this, &RecordWindow::copySelectedRows);
    connect(saveButton, &QPushButton::clicked, this, &RecordWindow::saveSelectedBytes);
    auto *copy = new QShortcut(QKeySequence::Copy, calls);
    connect(copy, &QShortcut::activated, this, &RecordWindow::copySelectedRows);
    calls->scrollToBottom();
    setLanguage(language);
}

void RecordWindow::setLanguage(Language language)
{
    language_ = language;
    setWindowTitle(in(language, QT_TRANSLATE_NOOP("RecordWindow", "Record of sends")));
    CallRecord::shared().setLanguage(language);
    commands->setHorizontalHeaderLabels({in(language, QT_TRANSLATE_NOOP("RecordWindow", "Bytes (hex)")),
                                         in(language, QT_TRANSLATE_NOOP("RecordWindow", "Meaning"))});
    copyButton->setText(in(language, QT_TRANSLATE_NOOP("RecordWindow", "Copy rows")));
    saveButton->setText(in(language, QT_TRANSLATE_NOOP("RecordWindow", "Save bytes as .bin...")));
}

RecordWindow *RecordWindow::showFor(QWidget *parent, Language language)
{
    auto *window = parent->findChild<RecordWindow *>(QString(), Qt::FindDirectChildrenOnly);
    if (window && window->language_ != language)
        window->setLanguage(language); // made before the interface language changed
    if (!window) {
        window = new RecordWindow(language, parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void RecordWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        CallRecord::shared().setLanguage(language_);
    QDialog::changeEvent(event);
}

int RecordWindow::selectedRow() const
{
    const QModelIndexList rows = calls->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constLast().row();
}

void RecordWindow::showCommands()
{
    commands->setRowCount(0);
    bool anyBytes = false;
    for (const QModelIndex &index : calls->selectionModel()->selectedRows())
        anyBytes = anyBytes || !CallRecord::shared().entry(index.row()).bytes.empty();
    saveButton->setEnabled(anyBytes);
    const int row = selectedRow();
    if (row < 0)
        return;
    const Bytes &bytes = CallRecord::shared().entry(row).bytes;
    const decoder::Result decoded = decoder::decode(bytes);
    commands->setRowCount(int(decoded.commands.size()));
    for (int i = 0; i < int(decoded.commands.size()); ++i) {
        const decoder::Decoded &d = decoded.commands[std::size_t(i)];
        const std::size_t length = d.offset < bytes.size() ? std::min(d.length, bytes.size() - d.offset) : 0;
        commands->setItem(i, 0, new QTableWidgetItem(hexPreview(bytes, d.offset, length)));
        commands->setItem(i, 1, new QTableWidgetItem(d.describe()));
    }
}

void RecordWindow::copySelectedRows()
{
    QModelIndexList rows = calls->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QStringList lines;
    for (const QModelIndex &index : rows)
        lines << CallRecord::shared().rowText(index.row());
    if (!lines.isEmpty())
        QApplication::clipboard()->setText(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

bool RecordWindow::saveSelectedBytes()
{
    // Every selected call's bytes, in the record's order.
    QModelIndexList rows = calls->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QByteArray bytes;
    for (const QModelIndex &index : rows) {
        const Bytes &b = CallRecord::shared().entry(index.row()).bytes;
        bytes.append(reinterpret_cast<const char *>(b.data()), qsizetype(b.size()));
    }
    if (bytes.isEmpty())
        return false;
    const QString path = chooseSaveFile ? chooseSaveFile() : QString();
    if (path.isEmpty())
        return false;
    const QString error = filewriter::replaceWith(path, bytes);
    if (!error.isEmpty()) {
        notifier::show(this, in(language_, QT_TRANSLATE_NOOP("RecordWindow", "The file could not be saved.")), error);
        return false;
    }
    return true;
}
