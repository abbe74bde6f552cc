#include "recorder/push_local_changes.h"

#include "client/shell/message_box.h"
#include "recorder/recorder_service.h"
#include "recorder/show_list_edit.h"
#include "recorder/recorder_trace.h"
#include "recorder/show_list_file.h"

#include <QStringList>

namespace {

// A line names its weekday by the character alone (shows from templates) or as a day
// box's caption "每星期一" ... "每星期天".
int LineWeekday(QString line) {
    static const QString kDays = QStringLiteral("一二三四五六日");
    const QString prefix = QStringLiteral("每星期");
    if (line.startsWith(prefix) && line.size() == prefix.size() + 1) line = line.mid(prefix.size());
    if (line == QStringLiteral("天")) return 7;
    if (line.size() != 1) return 0;
    const qsizetype at = kDays.indexOf(line);
    return at < 0 ? 0 : static_cast<int>(at) + 1;
}

}  // namespace

std::vector<int> CycleWeekdays(const QString& cycle) {
    const QStringList lines = cycle.split(u'\n');
    std::vector<int> weeks;
    for (qsizetype i = 0; i < cycle.size(); ++i) weeks.push_back(i < lines.size() ? LineWeekday(lines[i]) : 0);
    return weeks;
}

long long CategoryId(const QString& showType) {
    const qsizetype dash = showType.lastIndexOf(u'-');
    return dash < 0 ? 0 : showType.left(dash).toLongLong();
}

int PushLocalChanges(const ShowListFile& file, RecorderService::CRecorderServiceT& service, const QString& endpoint,
                     int userId) {
    const int count = file.Count();
    if (count == 0) return 0;
    if (endpoint.isEmpty()) {
        ShowMessage(QStringLiteral("服务器配置不能为空！"), QString::fromUtf8(kRecorderCaption),
                    MsgIcon::Warning);
        return -1;
    }
    const int last = std::min(count, file.LastSectionNumber());
    for (int n = 1; n <= last; ++n) {
        const ShowEntry show = file.Read(n);
        if (show.updateKey == 0) continue;
        RecorderService::InsertChannelArgs args;
        args.userId = userId;
        const qsizetype dash = show.pgid.indexOf(u'-');
        args.columnId = show.pgid.left(dash < 0 ? show.pgid.size() : dash).toLongLong();
        args.channelId = dash < 0 ? 0 : show.pgid.mid(dash + 1).toLongLong();
        args.columnName = show.name;
        args.beginTime = show.start;
        args.endTime = show.end;
        args.weeks = CycleWeekdays(show.cycle);
        args.columnTypeId = CategoryId(show.type);
        args.tcId = show.showId.toLongLong();
        args.type = show.updateKey;
        args.isfor = 0;
        RecorderService::ENCResult result;
        // A failed call counts as a refusal: the show keeps its key and is sent again.
        if (service.insertChannel(args, &result) < 0) result.flag = false;
        if (result.flag) {
            file.MarkPushed(n, QStringLiteral("%1-%2").arg(result.columnId).arg(result.channelId),
                            QString::number(result.tcId));
        } else if (show.showId.isEmpty() && show.updateKey == 3) {
            RecorderTrace(QStringLiteral("自定义节目添加后删除，不入库"));
        } else {
            RecorderTrace(QStringLiteral("节目更新到web失败,ret.flag = FALSE"));
        }
    }
    return 0;
}
