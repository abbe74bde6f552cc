#include "client/tasks/filedrm_worker.h"

#include "client/shell/message_box.h"
#include "client/tasks/file_run_texts.h"
#include "drm/file_protection_run.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kProtecting = QStringLiteral("正在加密文件：");                 // 161
const QString kProtectFailed = QStringLiteral("加密文件%1失败！");            // 140

}  // namespace

bool IsProtectableMediaFile(const QFileInfo& file) {
    const QString suffix = file.suffix().toLower();
    return file.isFile() && (suffix == "wmv" || suffix == "wma" || suffix == "asf");
}

CFileDrmWorker::CFileDrmWorker(FileDrmRun run, const std::atomic<int>* stopRequested, QObject* parent)
    : CFileRunWorker(stopRequested, parent), run_(std::move(run)) {}

void CFileDrmWorker::run() {
    emit progressChanged(0);
    emit statusChanged(kFileRunAnalysing + run_.inputFolder);
    QList<QFileInfo> files;
    for (const QFileInfo& entry : QDir(run_.inputFolder).entryInfoList(QDir::Files, QDir::Name))
        if (IsProtectableMediaFile(entry)) files << entry;
    SetFileCount(static_cast<int>(files.size()));
    emit progressRangeChanged(FileCount());
    const FileProtectionRun protection(run_.seed, run_.privateKey, run_.licenceUrl);
    for (int i = 0; i < files.size() && !StopRequested(); ++i) {
        emit statusChanged(kFileRunProcessing.arg(i + 1).arg(files.size()));
        if (!ProcessFile(protection, files[i])) break;
        emit progressChanged(i + 1);
    }
}

bool CFileDrmWorker::ProcessFile(const FileProtectionRun& protection, const QFileInfo& file) {
    for (;;) {
        emit statusChanged(kProtecting + file.fileName());
        ProtectedCopy copy;
        int answer = IDIGNORE;
        if (drm::Failed(protection.Protect(file, run_.outputFolder, &copy))) {
            answer = AskMessage(kProtectFailed.arg(file.fileName()), MsgButtons::AbortRetryIgnore, MsgIcon::Warning,
                                kFileRunCaption);
        } else {
            emit fileProtected(copy.path, copy.keyId);
            if (FileProtectionRun::Report(copy, file)) {
                CountSuccess();
                return true;
            }
            answer = AskMessage(kFileRunReportFailed.arg(file.fileName()), MsgButtons::AbortRetryIgnore, MsgIcon::Warning,
                                kFileRunCaption);
        }
        if (answer == IDABORT) return false;
        if (answer != IDRETRY) return true;
    }
}
