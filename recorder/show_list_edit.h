#pragma once
// Deleting and clearing rows of a show list, as the show page and the add dialog's
// pending list both do: a row being recorded is never deleted.

#include <functional>
#include <vector>

class QWidget;
class ShowListStore;
struct ShowEntry;

inline constexpr const char kRecordingRowNotDeleted[] = "正在采集的节目不能被删除";
inline constexpr const char kClearListQuestion[] = "确定要把所有节目从列表中清除吗?";
inline constexpr const char kRecorderCaption[] = "VEKRecorder";

using RowRemoval = std::function<void(const ShowEntry& row)>;

// "删除节目" on the rows `chooseRows` names (asked under the list's lock): when one of
// them has status "正在录制", says so and deletes nothing; otherwise removes them from
// the last to the first, handing each to `beforeRemove` first. False when nothing was
// deleted.
bool DeleteShowRows(ShowListStore& list, const std::function<std::vector<int>()>& chooseRows,
                    const RowRemoval& beforeRemove, QWidget* parent);

// "清空节目": with rows in the list, asks first; on Yes hands every row to `beforeRemove`
// and empties the list. False when the list stays.
bool ClearShowRows(ShowListStore& list, const RowRemoval& beforeRemove, QWidget* parent);
