#pragma once
// The model the show lists are shown through: a copy of the store's rows kept on the
// user-interface thread, renewed after each change of the store (changes made on a
// worker arrive as one queued renewal). Edits go back through the owner's handlers.

#include "recorder/show_list_store.h"

#include <QAbstractTableModel>

#include <atomic>
#include <functional>
#include <vector>

class ShowListModel : public QAbstractTableModel {
public:
    // Decides an in-place edit of an editable cell; true when the edit was taken.
    using EditHandler = std::function<bool(int row, int column, const QString& text)>;

    // The model must outlive every worker that changes the store.
    ShowListModel(ShowListStore& store, QObject* parent);
    ~ShowListModel() override;

    void SetEditHandler(EditHandler handler) { editHandler_ = std::move(handler); }
    // Copies the store's rows now.
    void Refresh();
    // The store key of a row of the model (0 outside).
    unsigned long long KeyAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    static bool IsEditable(int column);
    static const QStringList& ColumnTitles();
    static const QList<int>& ColumnWidths();

private:
    void ScheduleRefresh();

    ShowListStore& store_;
    std::vector<ShowRow> rows_;
    std::atomic<bool> refreshPending_{false};
    EditHandler editHandler_;
};
