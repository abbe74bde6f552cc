#pragma once
// The insertVideo report of an uploaded recording.

#include "recorder/recorder_globals.h"
#include "recorder/upload_queue.h"

namespace RecorderService {
class CRecorderServiceT;
}

// Reports `item` for the recorder's channel 0 with the FTP account `ftpId`; true when
// the service answered (the returned id is not used).
bool ReportUpload(RecorderService::CRecorderServiceT& service, const UploadItem& item, qint64 ftpId,
                  const ChannelRecord& channel, int userId);
