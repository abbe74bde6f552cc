#pragma once
// The rows of the show page's list, shared by the user-interface thread and the recording
// worker under listLock. Widgets never see this directly: a model on the user-interface
// thread follows it through the change listener.

#include "recorder/show_entry.h"

#include <QString>

#include <array>
#include <functional>
#include <mutex>
#include <vector>

// Columns in display order.
enum ShowColumn {
    kColSelect = 0,  // "选择", the row's check box
    kColNumber,      // "序号", 1-based position
    kColName,        // "节目名称"
    kColStart,       // "开始时间"
    kColEnd,         // "结束时间"
    kColCycle,       // "录制周期"
    kColFormat,      // "格式"
    kColType,        // "节目类别"
    kColStatus,      // "状态", never stored
    kColPgid,        // "栏目ID"
    kColShowId,      // "节目ID"
    kShowColumnCount
};

// Run-time statuses of column 8.
inline const QString kStatusWaiting = QStringLiteral("等待");
inline const QString kStatusReady = QStringLiteral("准备录制");
inline const QString kStatusRecording = QStringLiteral("正在录制");
inline const QString kStatusAired = QStringLiteral("已播出");
inline const QString kStatusFailed = QStringLiteral("录制失败");
inline const QString kStatusStopped = QStringLiteral("停止");
inline const QString kStatusSucceeded = QStringLiteral("已成功");

struct ShowRow {
    unsigned long long key = 0;  // stays with the row while rows move; never shown
    bool checked = false;
    std::array<QString, kShowColumnCount> cells;
};

class ShowListStore {
public:
    explicit ShowListStore(std::recursive_mutex& listLock);

    std::recursive_mutex& Lock() const { return lock_; }

    int Count() const;
    // Empty text outside the list.
    QString Cell(int row, int column) const;
    void SetCell(int row, int column, const QString& text);
    bool IsChecked(int row) const;
    void SetChecked(int row, bool checked);

    unsigned long long KeyOf(int row) const;  // 0 outside the list
    int RowOf(unsigned long long key) const;  // -1 when gone

    // Appends a row for the entry with column 1 = number; returns its index.
    int Append(const ShowEntry& entry, int number);
    void Remove(int row);
    void Clear();
    // SortShowList: with more than one row, an insertion sort by the start text (case
    // ignored, which is time order for these texts) moving whole rows, check included;
    // then column 1 is renumbered 1 ... n.
    void Sort();

    // The row's fields as a show (update key and conflict are not kept in the list).
    ShowEntry EntryOf(int row) const;
    std::vector<ShowRow> Rows() const;

    // Called after every change, on the changing thread, possibly under the lock: it
    // must only note or post the change.
    void SetChangeListener(std::function<void()> listener);

private:
    void Changed();

    std::recursive_mutex& lock_;
    std::vector<ShowRow> rows_;
    unsigned long long nextKey_ = 1;
    std::function<void()> listener_;
};
