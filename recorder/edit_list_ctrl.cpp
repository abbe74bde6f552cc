#include "recorder/edit_list_ctrl.h"

#include "recorder/show_list_model.h"

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTimeEdit>

#include <algorithm>

namespace {

const QString kTimeFormat = QStringLiteral("HH:mm:ss");

// CItemEdit: edits a cell in place; times can only be entered as times of day.
class CItemEdit : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!IsTimeColumn(index.column())) return QStyledItemDelegate::createEditor(parent, option, index);
        auto* editor = new QTimeEdit(parent);
        editor->setDisplayFormat(kTimeFormat);
        editor->setObjectName(QStringLiteral("CItemEdit"));
        return editor;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* time = qobject_cast<QTimeEdit*>(editor)) {
            const QTime value = QTime::fromString(index.data(Qt::EditRole).toString(), kTimeFormat);
            time->setTime(value.isValid() ? value : QTime(0, 0));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
        if (auto* time = qobject_cast<QTimeEdit*>(editor)) {
            model->setData(index, time->time().toString(kTimeFormat), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

private:
    static bool IsTimeColumn(int column) { return column == kColStart || column == kColEnd; }
};

}  // namespace

CEditListCtrl::CEditListCtrl(ShowListModel* model, QWidget* parent) : QTableView(parent) {
    setModel(model);
    setItemDelegate(new CItemEdit(this));
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    // The described widths, widened where a title would not fit.
    const QList<int>& widths = ShowListModel::ColumnWidths();
    const QFontMetrics metrics(horizontalHeader()->font());
    for (int c = 0; c < widths.size(); ++c) {
        const int titleWidth = metrics.horizontalAdvance(ShowListModel::ColumnTitles()[c]) + 16;
        setColumnWidth(c, std::max(widths[c], titleWidth));
    }
}

std::vector<int> CEditListCtrl::SelectedOrCheckedRows(const ShowListStore& store) const {
    std::vector<int> rows;
    const auto* list = static_cast<const ShowListModel*>(model());
    std::lock_guard guard(store.Lock());
    for (int row = 0; row < store.Count(); ++row) {
        if (store.IsChecked(row)) rows.push_back(row);
    }
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        const int row = store.RowOf(list->KeyAt(index.row()));
        if (row >= 0) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}
