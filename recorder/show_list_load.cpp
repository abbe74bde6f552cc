#include "recorder/show_list_load.h"

#include "recorder/recorder_trace.h"
#include "recorder/show_list_file.h"
#include "recorder/show_list_store.h"
#include "recorder/show_status.h"

void LoadShowList(const ShowListFile& file, ShowListStore& list, bool noSort) {
    const int count = file.Count();
    const int last = std::min(count, file.LastSectionNumber());
    if (count > last) RecorderTrace(QStringLiteral("节目单CURCOUNT=%1，文件中只有%2个节目").arg(count).arg(last));
    for (int n = 1; n <= last; ++n) {
        if (!file.HasSection(n)) {
            RecorderTrace(QStringLiteral("节目单缺少%1").arg(ShowListFile::SectionName(n)));
            continue;
        }
        const ShowEntry entry = file.Read(n);
        if (entry.updateKey == kShowDeleted) continue;
        if (!IsTimeText(entry.start) || !IsTimeText(entry.end))
            RecorderTrace(QStringLiteral("节目%1的时间无效：%2-%3").arg(n).arg(entry.start, entry.end));
        list.Append(entry, n);
    }
    if (!noSort) list.Sort();
}
