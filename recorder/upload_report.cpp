#include "recorder/upload_report.h"

#include "recorder/recorder_service.h"

bool ReportUpload(RecorderService::CRecorderServiceT& service, const UploadItem& item, qint64 ftpId,
                  const ChannelRecord& channel, int userId) {
    const QString name = UploadFileName(item.fileName);
    RecorderService::InsertVideoArgs args;
    args.channelId = item.channelId;
    args.encId = channel.encId;
    args.pgId = item.pgid;
    args.ftpId = ftpId;
    args.type = channel.webContent;
    args.videoName = UploadBaseName(name);
    args.path = name;
    args.isDrm = 0;
    args.videoSize = item.fileLength;
    args.beginTime = item.beginTime;
    args.endTime = item.endTime;
    args.encTime = item.recordDate;
    args.userId = userId;
    args.tcId = item.showId;
    args.score = 0;
    args.picPath = QStringLiteral("");
    qint64 id = 0;
    return service.insertVideo(args, &id) >= 0;
}
