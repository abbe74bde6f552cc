#include "recorder/show_list_edit.h"

#include "client/shell/message_box.h"
#include "recorder/show_list_store.h"

#include <algorithm>

bool DeleteShowRows(ShowListStore& list, const std::function<std::vector<int>()>& chooseRows,
                    const RowRemoval& beforeRemove, QWidget* parent) {
    std::unique_lock guard(list.Lock());
    const std::vector<int> rows = chooseRows();
    if (rows.empty()) return false;
    const bool recording = std::any_of(rows.begin(), rows.end(), [&](int row) {
        return list.Cell(row, kColStatus) == kStatusRecording;
    });
    if (recording) {
        guard.unlock();
        ShowMessage(QString::fromUtf8(kRecordingRowNotDeleted), QString::fromUtf8(kRecorderCaption),
                    MsgIcon::Warning, parent);
        return false;
    }
    std::vector<int> ordered = rows;
    std::sort(ordered.rbegin(), ordered.rend());
    for (int row : ordered) {
        if (beforeRemove) beforeRemove(list.EntryOf(row));
        list.Remove(row);
    }
    return true;
}

bool ClearShowRows(ShowListStore& list, const RowRemoval& beforeRemove, QWidget* parent) {
    if (list.Count() == 0) return false;
    if (AskMessage(QString::fromUtf8(kClearListQuestion), MsgButtons::YesNo, MsgIcon::Question,
                   QString::fromUtf8(kRecorderCaption), parent) != IDYES)
        return false;
    std::lock_guard guard(list.Lock());
    for (int row = 0; row < list.Count(); ++row) {
        if (beforeRemove) beforeRemove(list.EntryOf(row));
    }
    list.Clear();
    return true;
}
