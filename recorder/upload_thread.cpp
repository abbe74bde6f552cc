#include "recorder/upload_thread.h"

#include "platform/ini_store.h"
#include "platform/sync.h"
#include "recorder/recorder_ftp_upload.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_service.h"
#include "recorder/upload_queue.h"
#include "recorder/upload_report.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

const QString kQueueSection = QStringLiteral("FTP");
const QString kWaitKey = QStringLiteral("WAITTIME");

bool ExitRequested() { return Recorder().exitRequested != 0; }

}  // namespace

CUploadThread::CUploadThread(UploadWorkerSetup setup) : setup_(std::move(setup)) {}

CUploadThread::~CUploadThread() { wait(); }

void CUploadThread::run() {
    service_ = std::make_unique<RecorderService::CRecorderServiceT>();
    service_->SetUrl(setup_.endpoint);
    platform::WritePrivateProfileString(kQueueSection, kWaitKey, QString::number(kDefaultUploadWaitMs),
                                        setup_.queueFile);
    while (!ExitRequested()) {
        const int count = QueuedCount(setup_.queueFile);
        int pending = 0;
        if (Recorder().uploadEnabled || count > 0) pending = Round(count);
        bool nextRoundNow = false;
        if (pending == 0 && Recorder().newFileQueued) {
            std::lock_guard guard(UploadQueueLock());
            Recorder().newFileQueued = 0;
            if (QueuedCount(setup_.queueFile) > count)
                nextRoundNow = true;
            else
                platform::WritePrivateProfileString(kQueueSection, QStringLiteral("FILECOUNT"), QStringLiteral("0"),
                                                    setup_.queueFile);
        }
        if (nextRoundNow) continue;
        if (setup_.uploading) *setup_.uploading = 0;
        if (!Pause()) break;
    }
    service_.reset();
}

int CUploadThread::Round(int count) {
    int pending = 0;
    for (int i : QueuedItems(setup_.queueFile, count)) {
        if (ExitRequested()) break;
        if (setup_.status) setup_.status(QStringLiteral("正在读取上传文件_") + UploadSection(i));
        if (Advance(i)) ++pending;
    }
    return pending;
}

bool CUploadThread::Advance(int index) {
    if (ReadUploadState(setup_.queueFile, index) == kUploadDone) return false;
    UploadItem item = ReadUploadItem(setup_.queueFile, index);
    if (item.state == kUploadWaiting) {
        if (setup_.uploading) *setup_.uploading = 1;
        // A file that has gone (or cannot be read) waits; the items after it go on.
        QFile file(item.fileName);
        if (item.fileName.isEmpty() || !file.open(QIODevice::ReadOnly)) return !item.fileName.isEmpty();
        file.close();
        FtpUploadContext context;
        context.account = setup_.account ? setup_.account() : FtpAccount{};
        context.owner = setup_.owner;
        context.uploadDone = setup_.uploadDone;
        context.status = setup_.status;
        if (UploadFile(context, item.fileName) != kFtpUploaded) return true;
        WriteUploadState(setup_.queueFile, index, kUploadSent);
        item.state = kUploadSent;
    }
    if (item.state != kUploadSent) return false;
    if (item.showId != 0) {
        const qint64 ftpId = setup_.account ? setup_.account().ftpId : 0;
        if (!ReportUpload(*service_, item, ftpId, Recorder().Channel(0), Recorder().userId)) return true;
    }
    WriteUploadState(setup_.queueFile, index, kUploadDone);
    return false;
}

bool CUploadThread::Pause() {
    // WAITTIME is read again as the pause goes on, so that a shorter pause written
    // meanwhile applies at once.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        int wait = platform::GetPrivateProfileInt(kQueueSection, kWaitKey, kDefaultUploadWaitMs, setup_.queueFile);
        // A negative pause would never end and a zero one would spin; both come only
        // from a broken file.
        if (wait < 0) wait = kDefaultUploadWaitMs;
        wait = std::max(wait, 100);
        const qint64 left = wait - waited.elapsed();
        if (left <= 0) return !ExitRequested();
        // In slices, so that an exit without "stopevent" (the control closed) ends it too.
        const int slice = static_cast<int>(std::min<qint64>(200, left));
        if (ExitRequested()) return false;
        if (!setup_.stopEvent) {
            QThread::msleep(static_cast<unsigned long>(slice));
        } else if (setup_.stopEvent->Wait(slice) == platform::WaitResult::Signalled) {
            return false;
        }
    }
}
