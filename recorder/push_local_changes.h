#pragma once
// PushLocalChanges: every show added, edited or deleted here (SHOWUPDATEKEY 1, 2, 3) is
// sent to the service with insertChannel; a show the service stored takes the service's
// ids and key 0.

#include <QString>

#include <vector>

class ShowListFile;
namespace RecorderService {
class CRecorderServiceT;
}

// 0 on success; -1 when the endpoint is empty (after the box "服务器配置不能为空！").
int PushLocalChanges(const ShowListFile& file, RecorderService::CRecorderServiceT& service, const QString& endpoint,
                     int userId);

// The weekdays sent for a SHOWCYCLE text: one number per character of the text, number i
// being the weekday (1 Monday .. 7 Sunday, else 0) of the text's i-th line.
std::vector<int> CycleWeekdays(const QString& cycle);
// The category id of a SHOWTYPE text "%d-%s": the number before its last "-".
long long CategoryId(const QString& showType);
