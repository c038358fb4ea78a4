// The record window: the calls of this run, newest last; the selected call's
// bytes as hex beside what each command means; copying rows and saving the
// selected calls' bytes to a .bin file.
#pragma once

#include "qt_translations.h"

#include <QDialog>

#include <functional>

class QPushButton;
class QTableView;
class QTableWidget;

class RecordWindow : public QDialog
{
    Q_OBJECT
public:
    explicit RecordWindow(Language language, QWidget *parent = nullptr);

    // Shows parent's record window, making one when it has none.
    static RecordWindow *showFor(QWidget *parent, Language language);

    // Asks where to save; empty means cancelled. Tests replace it.
    std::function<QString()> chooseSaveFile;

    QTableView *calls;
    QTableWidget *commands; // the selected call: hex | meaning, one row per command
    QPushButton *copyButton;
    QPushButton *saveButton;

    // Shows every text in language (the interface language changed).
    void setLanguage(Language language);

    void copySelectedRows();
    // Writes the selected calls' bytes, in the record's order; false (after
    // telling) when it could not.
    bool saveSelectedBytes();

protected:
    // The record is shared by both windows' record windows: the active one
    // shows it in its own language.
    void changeEvent(QEvent *event) override;

private:
    int selectedRow() const;
    void showCommands();

    Language language_;
};
