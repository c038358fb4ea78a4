// The record of this run's calls into the printer I/O library, shared by
// both windows: one row per send, serial open or close, the last 500 kept.
#pragma once

#include "command.h"
#include "qt_translations.h"

#include <QAbstractTableModel>
#include <QDateTime>

struct CallEntry
{
    // Printed, Withdrawn and LeftQueued: a print-queue job followed to the
    // printer; Asked: the printer's status was asked (the reason column holds
    // what it said).
    enum class Outcome {
        Queued,
        Written,
        Opened,
        Closed,
        Failed,
        Printed,
        Withdrawn,
        LeftQueued,
        Asked,
        NotReady,            // the printer took it but reports it cannot print
        StoppedWhilePrinting // stopped while the print server handed it to the printer: part or all may have printed
    };

    QDateTime time;
    QString target; // the access path and the device, e.g. "DRIVE POS-80"
    QString name;   // the document name, or what was pressed, or the call
    Bytes bytes;    // what was handed to the library (empty for open and close)
    Outcome outcome = Outcome::Failed;
    QString reason; // why it failed, in the interface language, with the library's text
};

class CallRecord : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kLimit = 500;
    enum Column {
        Time,
        Target,
        Name,
        Length,
        Result,
        Reason,
        ColumnCount
    };

    // The one record of this run.
    static CallRecord &shared();

    void add(CallEntry entry);
    const CallEntry &entry(int row) const { return entries_.at(row); }
    void clear();

    // The language of the headers and outcomes.
    void setLanguage(Language language);
    // One row as tab-separated text, as copied to the clipboard.
    QString rowText(int row) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString text(int row, int column) const;

    QList<CallEntry> entries_;
    Language language_ = Language::English;
};
