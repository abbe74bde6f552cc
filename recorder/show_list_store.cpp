#include "recorder/show_list_store.h"

ShowListStore::ShowListStore(std::recursive_mutex& listLock) : lock_(listLock) {}

int ShowListStore::Count() const {
    std::lock_guard guard(lock_);
    return static_cast<int>(rows_.size());
}

QString ShowListStore::Cell(int row, int column) const {
    std::lock_guard guard(lock_);
    if (row < 0 || row >= Count() || column < 0 || column >= kShowColumnCount) return {};
    return rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(column)];
}

void ShowListStore::SetCell(int row, int column, const QString& text) {
    {
        std::lock_guard guard(lock_);
        if (row < 0 || row >= Count() || column < 0 || column >= kShowColumnCount) return;
        QString& cell = rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(column)];
        if (cell == text) return;
        cell = text;
    }
    Changed();
}

bool ShowListStore::IsChecked(int row) const {
    std::lock_guard guard(lock_);
    return row >= 0 && row < Count() && rows_[static_cast<size_t>(row)].checked;
}

void ShowListStore::SetChecked(int row, bool checked) {
    {
        std::lock_guard guard(lock_);
        if (row < 0 || row >= Count()) return;
        rows_[static_cast<size_t>(row)].checked = checked;
    }
    Changed();
}

unsigned long long ShowListStore::KeyOf(int row) const {
    std::lock_guard guard(lock_);
    return row >= 0 && row < Count() ? rows_[static_cast<size_t>(row)].key : 0;
}

int ShowListStore::RowOf(unsigned long long key) const {
    std::lock_guard guard(lock_);
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].key == key) return static_cast<int>(i);
    }
    return -1;
}

int ShowListStore::Append(const ShowEntry& entry, int number) {
    int index = 0;
    {
        std::lock_guard guard(lock_);
        ShowRow row;
        row.key = nextKey_++;
        row.cells[kColNumber] = QString::number(number);
        row.cells[kColName] = entry.name;
        row.cells[kColStart] = entry.start;
        row.cells[kColEnd] = entry.end;
        row.cells[kColCycle] = entry.cycle;
        row.cells[kColFormat] = entry.format;
        row.cells[kColType] = entry.type;
        row.cells[kColPgid] = entry.pgid;
        row.cells[kColShowId] = entry.showId;
        rows_.push_back(std::move(row));
        index = static_cast<int>(rows_.size()) - 1;
    }
    Changed();
    return index;
}

void ShowListStore::Remove(int row) {
    {
        std::lock_guard guard(lock_);
        if (row < 0 || row >= Count()) return;
        rows_.erase(rows_.begin() + row);
    }
    Changed();
}

void ShowListStore::Clear() {
    {
        std::lock_guard guard(lock_);
        if (rows_.empty()) return;
        rows_.clear();
    }
    Changed();
}

void ShowListStore::Sort() {
    {
        std::lock_guard guard(lock_);
        if (rows_.size() <= 1) return;
        for (size_t i = 1; i < rows_.size(); ++i) {
            ShowRow moving = std::move(rows_[i]);
            size_t j = i;
            while (j > 0 && rows_[j - 1].cells[kColStart].compare(moving.cells[kColStart], Qt::CaseInsensitive) > 0) {
                rows_[j] = std::move(rows_[j - 1]);
                --j;
            }
            rows_[j] = std::move(moving);
        }
        for (size_t i = 0; i < rows_.size(); ++i) rows_[i].cells[kColNumber] = QString::number(i + 1);
    }
    Changed();
}

ShowEntry ShowListStore::EntryOf(int row) const {
    std::lock_guard guard(lock_);
    ShowEntry e;
    if (row < 0 || row >= Count()) return e;
    const auto& c = rows_[static_cast<size_t>(row)].cells;
    e.name = c[kColName];
    e.start = c[kColStart];
    e.end = c[kColEnd];
    e.cycle = c[kColCycle];
    e.format = c[kColFormat];
    e.type = c[kColType];
    e.pgid = c[kColPgid];
    e.showId = c[kColShowId];
    return e;
}

std::vector<ShowRow> ShowListStore::Rows() const {
    std::lock_guard guard(lock_);
    return rows_;
}

void ShowListStore::SetChangeListener(std::function<void()> listener) {
    std::lock_guard guard(lock_);
    listener_ = std::move(listener);
}

void ShowListStore::Changed() {
    std::function<void()> listener;
    {
        std::lock_guard guard(lock_);
        listener = listener_;
    }
    if (listener) listener();
}
