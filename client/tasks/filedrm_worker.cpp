#include "client/tasks/filedrm_worker.h"

#include "client/service/service_calls.h"
#include "client/shell/message_box.h"
#include "client/tasks/generated_name.h"
#include "drm/protect_routine.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <ctime>

namespace {

const QString kCaption = QStringLiteral("提示");                               // 123
const QString kAnalysing = QStringLiteral("正在分析目录：");
const QString kProcessing = QStringLiteral("正在处理第%1/%2个文件！");       // 159
const QString kProtecting = QStringLiteral("正在加密文件：");                 // 161
const QString kProtectFailed = QStringLiteral("加密文件%1失败！");            // 140
const QString kReportFailed = QStringLiteral("文件%1信息入库失败！");         // 165

int OnlyAudio(const QString& name) {
    const QString last = name.right(3).toLower();
    return last == "wma" || last == "mp3" ? 1 : 0;
}

}  // namespace

bool IsProtectableMediaFile(const QFileInfo& file) {
    const QString suffix = file.suffix().toLower();
    return file.isFile() && (suffix == "wmv" || suffix == "wma" || suffix == "asf");
}

CFileDrmWorker::CFileDrmWorker(FileDrmRun run, const std::atomic<int>* stopRequested, QObject* parent)
    : QThread(parent), run_(std::move(run)), stopRequested_(stopRequested) {}

QString CFileDrmWorker::NewOutputName(const QString& extension) const {
    // Time and rand() + 10000; the generator is seeded once per run, so two files of the
    // same second differ by the random part, and a name a file already has is drawn again.
    const QDir output(run_.outputFolder);
    QString name;
    do
        name = LocalTimeText("%Y%m%d%H%M%S") + QString::number(static_cast<long long>(std::rand()) + 10000) +
               extension;
    while (output.exists(name));
    return name;
}

void CFileDrmWorker::run() {
    emit progressChanged(0);
    emit statusChanged(kAnalysing + run_.inputFolder);
    QList<QFileInfo> files;
    for (const QFileInfo& entry : QDir(run_.inputFolder).entryInfoList(QDir::Files, QDir::Name))
        if (IsProtectableMediaFile(entry)) files << entry;
    fileCount_ = static_cast<int>(files.size());
    emit progressRangeChanged(fileCount_);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    for (int i = 0; i < files.size() && !*stopRequested_; ++i) {
        emit statusChanged(kProcessing.arg(i + 1).arg(files.size()));
        if (!ProcessFile(files[i])) break;
        emit progressChanged(i + 1);
    }
}

bool CFileDrmWorker::ProcessFile(const QFileInfo& file) {
    for (;;) {
        emit statusChanged(kProtecting + file.fileName());
        const QString extension = file.suffix().isEmpty() ? QString() : "." + file.suffix();
        const QString name = NewOutputName(extension);
        const QString output = QDir(run_.outputFolder).filePath(name);
        QString kid;
        int answer = IDIGNORE;
        if (drm::Failed(ProtectMediaFile(run_.seed, run_.privateKey, run_.licenceUrl, file.filePath(), output, &kid))) {
            answer = AskMessage(kProtectFailed.arg(file.fileName()), MsgButtons::AbortRetryIgnore, MsgIcon::Warning,
                                kCaption);
        } else {
            emit fileProtected(output, kid);
            ClientService::TVideo video;
            video.kid = kid;
            video.uploadName = name;
            video.videoName = file.fileName();
            video.videoSize = QFileInfo(output).size();
            video.onlyAudio = OnlyAudio(file.fileName());
            if (SvcUploadVideo(video)) {
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
