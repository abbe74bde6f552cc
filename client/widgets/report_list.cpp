#include "client/widgets/report_list.h"

#include <QHeaderView>

#include <algorithm>

CReportList::CReportList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setColumnCount(0);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (checkBoxes_ && column == 0) emit checkChanged(indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
    });
}

void CReportList::SetCheckBoxes(bool on) {
    checkBoxes_ = on;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (on) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Unchecked);
        } else {
            item->setData(0, Qt::CheckStateRole, QVariant());
        }
    }
}

int CReportList::InsertColumn(const QString& title, int width) {
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, title);
    if (width > 0) setColumnWidth(column, width);
    return column;
}

QTreeWidgetItem* CReportList::Row(int row) const {
    return row >= 0 && row < topLevelItemCount() ? topLevelItem(row) : nullptr;
}

int CReportList::InsertItem(int row, const QString& text) {
    row = std::clamp(row, 0, topLevelItemCount());
    auto* item = new QTreeWidgetItem;
    item->setText(0, text);
    if (checkBoxes_) {
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Unchecked);
    }
    {
        const QSignalBlocker quiet(this);
        insertTopLevelItem(row, item);
    }
    return row;
}

bool CReportList::SetItemText(int row, int column, const QString& text) {
    QTreeWidgetItem* item = Row(row);
    if (!item || column < 0 || column >= columnCount()) return false;
    item->setText(column, text);
    return true;
}

QString CReportList::GetItemText(int row, int column) const {
    QTreeWidgetItem* item = Row(row);
    return item ? item->text(column) : QString();
}

bool CReportList::DeleteItem(int row) {
    QTreeWidgetItem* item = Row(row);
    delete item;
    return item != nullptr;
}

void CReportList::DeleteAllItems() { clear(); }

int CReportList::GetItemCount() const { return topLevelItemCount(); }

bool CReportList::GetCheck(int row) const {
    QTreeWidgetItem* item = Row(row);
    return item && checkBoxes_ && item->checkState(0) == Qt::Checked;
}

bool CReportList::SetCheck(int row, bool checked) {
    QTreeWidgetItem* item = Row(row);
    if (!item || !checkBoxes_) return false;
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    return true;
}

int CReportList::GetSelectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
}

bool CReportList::SelectRow(int row) {
    QTreeWidgetItem* item = Row(row);
    if (!item) return false;
    setCurrentItem(item);
    return true;
}
