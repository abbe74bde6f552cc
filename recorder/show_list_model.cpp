#include "recorder/show_list_model.h"

#include <QThread>

ShowListModel::ShowListModel(ShowListStore& store, QObject* parent) : QAbstractTableModel(parent), store_(store) {
    store_.SetChangeListener([this] { ScheduleRefresh(); });
    rows_ = store_.Rows();
}

ShowListModel::~ShowListModel() { store_.SetChangeListener(nullptr); }

const QStringList& ShowListModel::ColumnTitles() {
    static const QStringList titles{QStringLiteral("选择"),     QStringLiteral("序号"),     QStringLiteral("节目名称"),
                                    QStringLiteral("开始时间"), QStringLiteral("结束时间"), QStringLiteral("录制周期"),
                                    QStringLiteral("格式"),     QStringLiteral("节目类别"), QStringLiteral("状态"),
                                    QStringLiteral("栏目ID"),   QStringLiteral("节目ID")};
    return titles;
}

const QList<int>& ShowListModel::ColumnWidths() {
    static const QList<int> widths{40, 40, 60, 60, 60, 70, 40, 60, 100, 20, 20};
    return widths;
}

bool ShowListModel::IsEditable(int column) {
    return column == kColName || column == kColStart || column == kColEnd || column == kColCycle ||
           column == kColType;
}

void ShowListModel::ScheduleRefresh() {
    if (refreshPending_.exchange(true)) return;
    QMetaObject::invokeMethod(this, [this] { Refresh(); }, Qt::QueuedConnection);
}

void ShowListModel::Refresh() {
    refreshPending_ = false;
    std::vector<ShowRow> rows = store_.Rows();
    bool sameRows = rows.size() == rows_.size();
    for (size_t i = 0; sameRows && i < rows.size(); ++i) sameRows = rows[i].key == rows_[i].key;
    if (sameRows) {
        rows_ = std::move(rows);
        if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, kShowColumnCount - 1));
        return;
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

unsigned long long ShowListModel::KeyAt(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<size_t>(row)].key : 0;
}

int ShowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ShowListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kShowColumnCount; }

QVariant ShowListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ShowRow& row = rows_[static_cast<size_t>(index.row())];
    if (role == Qt::CheckStateRole && index.column() == kColSelect) return row.checked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::DisplayRole || role == Qt::EditRole) return row.cells[static_cast<size_t>(index.column())];
    return {};
}

QVariant ShowListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kShowColumnCount)
        return ColumnTitles()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ShowListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == kColSelect) f |= Qt::ItemIsUserCheckable;
    if (IsEditable(index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool ShowListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) return false;
    const int row = store_.RowOf(rows_[static_cast<size_t>(index.row())].key);
    if (row < 0) return false;
    if (role == Qt::CheckStateRole && index.column() == kColSelect) {
        store_.SetChecked(row, value.toInt() == Qt::Checked);
        Refresh();
        return true;
    }
    if (role != Qt::EditRole || !IsEditable(index.column())) return false;
    const QString text = value.toString();
    if (text == rows_[static_cast<size_t>(index.row())].cells[static_cast<size_t>(index.column())]) return false;
    const bool taken = editHandler_ && editHandler_(row, index.column(), text);
    Refresh();
    return taken;
}
