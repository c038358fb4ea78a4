#include "call_record.h"

namespace {
const char *const kHeaders[CallRecord::ColumnCount][2] = {
    {"时间", "Time"},   {"目标", "Target"},  {"文档名", "Document"},
    {"长度", "Length"}, {"结果", "Outcome"}, {"原因", "Reason"},
};

QString outcomeText(CallEntry::Outcome outcome, bool chinese)
{
    switch (outcome) {
    case CallEntry::Outcome::Queued:
        return chinese ? QString::fromUtf8("已由打印服务器排队") : QStringLiteral("queued by the print server");
    case CallEntry::Outcome::Written:
        return chinese ? QString::fromUtf8("已写入端口") : QStringLiteral("written to the port");
    case CallEntry::Outcome::Opened:
        return chinese ? QString::fromUtf8("已打开") : QStringLiteral("opened");
    case CallEntry::Outcome::Closed:
        return chinese ? QString::fromUtf8("已关闭") : QStringLiteral("closed");
    case CallEntry::Outcome::Printed:
        return chinese ? QString::fromUtf8("打印机已接收") : QStringLiteral("taken by the printer");
    case CallEntry::Outcome::Withdrawn:
        return chinese ? QString::fromUtf8("打印机未接收，已撤回")
                       : QStringLiteral("not taken by the printer; withdrawn");
    case CallEntry::Outcome::LeftQueued:
        return chinese ? QString::fromUtf8("打印机未接收，留在队列中")
                       : QStringLiteral("not taken by the printer; left queued");
    case CallEntry::Outcome::Asked:
        return chinese ? QString::fromUtf8("已查询状态") : QStringLiteral("status asked");
    case CallEntry::Outcome::Failed:
        break;
    }
    return chinese ? QString::fromUtf8("失败") : QStringLiteral("failed");
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

void CallRecord::setChinese(bool chinese)
{
    if (chinese == chinese_)
        return;
    chinese_ = chinese;
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
        return outcomeText(e.outcome, chinese_);
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
    return QString::fromUtf8(kHeaders[section][chinese_ ? 0 : 1]);
}

QString CallRecord::rowText(int row) const
{
    QStringList cells;
    for (int c = 0; c < ColumnCount; ++c)
        cells << text(row, c);
    return cells.join(QLatin1Char('\t'));
}
