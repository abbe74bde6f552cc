#pragma once
// A list in report view: columns with headers, one row per item, whole rows selected,
// and optionally a check box at the start of every row. Rows are addressed by index.

#include <QTreeWidget>

class CReportList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CReportList(QWidget* parent = nullptr);

    void SetCheckBoxes(bool on);
    // Appends a column; width in pixels, 0 leaves it to the header.
    int InsertColumn(const QString& title, int width = 0);

    // Inserts a row at `row` (clamped to the end) with the first column's text; returns its index.
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    bool DeleteItem(int row);
    void DeleteAllItems();
    int GetItemCount() const;

    bool GetCheck(int row) const;
    bool SetCheck(int row, bool checked);

    // The first selected row, or -1.
    int GetSelectedRow() const;
    bool SelectRow(int row);

signals:
    // The operator or the program changed the check box of a row.
    void checkChanged(int row, bool checked);

private:
    QTreeWidgetItem* Row(int row) const;

    bool checkBoxes_ = false;
};
