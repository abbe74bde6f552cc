#pragma once
// CEditListCtrl: the report list of shows with check boxes, grid lines and full-row
// selection, whose cells are edited in place (CItemEdit: a time editor for the two time
// columns, a line editor for the other editable ones).

#include <QTableView>

#include <vector>

class ShowListModel;
class ShowListStore;

class CEditListCtrl : public QTableView {
public:
    CEditListCtrl(ShowListModel* model, QWidget* parent);

    // Store indices of the rows that are selected or checked, in ascending order.
    std::vector<int> SelectedOrCheckedRows(const ShowListStore& store) const;
};
