#pragma once
// The task records: what one task of the task list is set to do. Records carry no
// behaviour; each kind is run by its tab page, which holds a pointer to its record.
// The task list creates them on the heap, owns them and deletes one when its tab closes.

#include "client/service/selected_server.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_source.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The task's copy of the GetSelMediaServerList answer. The page presets id and mediaName;
// the DRM material in it comes from the service and is held in memory only.
using TaskServerInfo = SelectedServer;

class CBaseTask {
public:
    // taskId "TASK_" + local "%Y%m%d%H%M%S" + number (10000..42767, seeded with the second).
    explicit CBaseTask(int kind);
    virtual ~CBaseTask() = default;
    CBaseTask(const CBaseTask&) = delete;
    CBaseTask& operator=(const CBaseTask&) = delete;

    QString taskId;
    int runState = 0;    // 1 while running; set by the task list on the page's notifications
    int kind = 0;        // TaskKind
    int streamType = 0;  // 0 audio and video ("视音频"), 1 audio only ("音频")
    int autoBegin = 0;
    QString beginTime;  // "%Y-%m-%d %H:%M:%S" local time
    int autoStop = 0;
    QString endTime;
    QString videoDevice;  // "屏幕捕获" means screen capture
    QString audioDevice;
    int isLiveDrm = 0;
    int checklogo = 0;  // overlay the logo on the video
};

// Live broadcast (kind 1) and the recordings: built with kind 1; the scheduled-recording
// tab sets kind 0 and isRecord 1, the local-recording tab keeps kind 1 with isRecord 1.
class CLiveCastTask : public CBaseTask {
public:
    CLiveCastTask();

    QString videoProfile;  // the quality name chosen in the page
    int reconn = 0;        // restart after a broken connection
    int isRecord = 0;
    QString outputFile;  // folder of the archive copy
    TaskServerInfo serverRecord;
};

// Same fields as a live broadcast; the monitor tab itself runs without a record.
class CMonitorTask : public CLiveCastTask {
public:
    CMonitorTask();
};

// File broadcast (kind 2).
class CFileCastTask : public CBaseTask {
public:
    CFileCastTask();

    QStringList fileList;  // media file paths in broadcast order
    QString videoProfile;
    int reconn = 0;
    int circle = 0;        // start again from the first file after the last
    QString playPathCopy;  // playPath of the last GetSelMediaServerList, copied at creation
    TaskServerInfo serverRecord;  // the wizard fills id (mserverId) and mediaName (mserverName)
};

// Multi-source (scene) broadcast (kind 5).
class CMultiCastTask : public CBaseTask {
public:
    CMultiCastTask();

    QString videoProfile;
    int reconn = 0;
    int isRecord = 0;
    int circle = 0;  // after the last scene go back to the first
    QString playPathCopy;
    QString outputFile;  // empty whenever isRecord is 0
    TaskServerInfo serverRecord;
    // The scenes, owned by the record; the task list frees their devices before it
    // deletes the record.
    std::vector<std::unique_ptr<CTSource>> sourceList;
};

// File upload (kind 3): folders and names the upload page remembers.
class CFileUploadTask : public CBaseTask {
public:
    CFileUploadTask();

    QString fileFolder;    // folder the file chooser opens in
    QString uploadFolder;  // storage folder of the current run ("%Y%m%d")
    QString lastFile;      // name of the last file uploaded
};

// File DRM protection (kind 4): folders and the last result the DRM page remembers.
class CFileDrmTask : public CBaseTask {
public:
    CFileDrmTask();

    QString inputFolder;
    QString outputFolder;
    QString lastFile;  // path of the last protected copy
    QString lastKid;   // its key id (public: it stands in the file's header)
};
