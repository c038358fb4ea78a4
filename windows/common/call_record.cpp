#include "call_record.h"

namespace {
constexpr const char *kContext = "CallRecord";
const char *const kHeaders[CallRecord::ColumnCount] = {
    QT_TRANSLATE_NOOP("CallRecord", "Time"),     QT_TRANSLATE_NOOP("CallRecord", "Target"),
    QT_TRANSLATE_NOOP("CallRecord", "Document"), QT_TRANSLATE_NOOP("CallRecord", "Length"),
    QT_TRANSLATE_NOOP("CallRecord", "Outcome"),  QT_TRANSLATE_NOOP("CallRecord", "Reason"),
};

const char *outcomeText(CallEntry::Outcome outcome)
{
    switch (outcome) {
    case CallEntry::Outcome::Queued:
        return QT_TRANSLATE_NOOP("CallRecord", "queued by the print server");
    case CallEntry::Outcome::Written:
        return QT_TRANSLATE_NOOP("CallRecord", "written to the port");
    case CallEntry::Outcome::Opened:
        return QT_TRANSLATE_NOOP("CallRecord", "opened");
    case CallEntry::Outcome::Closed:
        return QT_TRANSLATE_NOOP("CallRecord", "closed");
    case CallEntry::Outcome::Printed:
        return QT_TRANSLATE_NOOP("CallRecord", "taken by the printer");
    case CallEntry::Outcome::Withdrawn:
        return QT_TRANSLATE_NOOP("CallRecord", "not taken by the printer; withdrawn");
    case CallEntry::Outcome::LeftQueued:
        return QT_TRANSLATE_NOOP("CallRecord", "not taken by the printer; left queued");
    case CallEntry::Outcome::Asked:
        return QT_TRANSLATE_NOOP("CallRecord", "status asked");
    case CallEntry::Outcome::NotReady:
        return QT_TRANSLATE_NOOP("CallRecord", "taken by the printer, which cannot print: nothing printed");
    case CallEntry::Outcome::StoppedWhilePrinting:
        return QT_TRANSLATE_NOOP("CallRecord",
                                 "stopped while printing: the printer may have received part or all of it");
    case CallEntry::Outcome::Failed:
        break;
    }
    return QT_TRANSLATE_NOOP("CallRecord", "failed");
}
} // namespace

CallRecord &CallRecord::shared()
{
    // Kept for the whole run; never destroyed after the application object.
    static CallRecord *record = new CallRecord;
    return *record;
}

void CallRecord::add(CallEntry entry)
{
    if (entries_.size() >= kLimit) {
        beginRemoveRows({}, 0, 0);
        entries_.removeFirst();
        endRemoveRows();
    }
    beginInsertRows({}, int(entries_.size()), int(entries_.size()));
    entries_.append(std::move(entry));
    endInsertRows();
}

void CallRecord::clear()
{
    beginResetModel();
    entries_.clear();
    endResetModel();
}

void CallRecord::setLanguage(Language language)
{
    if (language == language_)
        return;
    language_ = language;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!entries_.isEmpty())
        emit dataChanged(index(0, 0), index(int(entries_.size()) - 1, ColumnCount - 1));
}

int CallRecord::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int CallRecord::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString CallRecord::text(int row, int column) const
{
    const CallEntry &e = entries_.at(row);
    switch (column) {
    case Time:
        return e.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    case Target:
        return e.target;
    case Name:
        return e.name;
    case Length:
        return QString::number(qulonglong(e.bytes.size()));
    case Result:
        return textIn(language_, kContext, outcomeText(e.outcome));
    case Reason:
        return e.reason;
    default:
        return {};
    }
}

QVariant CallRecord::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(entries_.size()))
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() == Length)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CallRecord::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return textIn(language_, kContext, kHeaders[section]);
}

QString CallRecord::rowText(int row) const
{
    QStringList cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells << text(row, c);
    return cells.join(QLatin1Char('\t'));
}
