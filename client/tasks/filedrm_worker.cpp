#include "client/tasks/filedrm_worker.h"

#include "client/shell/message_box.h"
#include "drm/file_protection_run.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kCaption = QStringLiteral("提示");                               // 123
const QString kAnalysing = QStringLiteral("正在分析目录：");
const QString kProcessing = QStringLiteral("正在处理第%1/%2个文件！");       // 159
const QString kProtecting = QStringLiteral("正在加密文件：");                 // 161
const QString kProtectFailed = QStringLiteral("加密文件%1失败！");            // 140
const QString kReportFailed = QStringLiteral("文件%1信息入库失败！");         // 165

}  // namespace

bool IsProtectableMediaFile(const QFileInfo& file) {
    const QString suffix = file.suffix().toLower();
    return file.isFile() && (suffix == "wmv" || suffix == "wma" || suffix == "asf");
}

CFileDrmWorker::CFileDrmWorker(FileDrmRun run, const std::atomic<int>* stopRequested, QObject* parent)
    : QThread(parent), run_(std::move(run)), stopRequested_(stopRequested) {}

void CFileDrmWorker::run() {
    emit progressChanged(0);
    emit statusChanged(kAnalysing + run_.inputFolder);
    QList<QFileInfo> files;
    for (const QFileInfo& entry : QDir(run_.inputFolder).entryInfoList(QDir::Files, QDir::Name))
        if (IsProtectableMediaFile(entry)) files << entry;
    fileCount_ = static_cast<int>(files.size());
    emit progressRangeChanged(fileCount_);
    const FileProtectionRun protection(run_.seed, run_.privateKey, run_.licenceUrl);
    for (int i = 0; i < files.size() && !*stopRequested_; ++i) {
        emit statusChanged(kProcessing.arg(i + 1).arg(files.size()));
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
                                kCaption);
        } else {
            emit fileProtected(copy.path, copy.keyId);
            if (FileProtectionRun::Report(copy, file)) {
                ++successCount_;
                return true;
            }
            answer = AskMessage(kReportFailed.arg(file.fileName()), MsgButtons::AbortRetryIgnore, MsgIcon::Warning,
                                kCaption);
        }
        if (answer == IDABORT) return false;
        if (answer != IDRETRY) return true;
    }
}
