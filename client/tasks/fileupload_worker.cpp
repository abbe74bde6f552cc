#include "client/tasks/fileupload_worker.h"

#include "client/service/service_calls.h"
#include "client/shell/message_box.h"
#include "client/shell/trace_file.h"
#include "client/tasks/file_run_texts.h"
#include "ftp/blocking_socket.h"
#include "ftp/ftp_client.h"

#include <memory>

namespace {

const QString kUploading = QStringLiteral("正在上传文件：");               // 162
const QString kLoginFailed = QStringLiteral("FTP登录失败！");              // 174
const QString kUploadFailed = QStringLiteral("上传文件%1失败！");          // 164

constexpr int kFtpTimeoutSeconds = 10;

ClientService::TVideo VideoOf(const UploadItem& item) {
    ClientService::TVideo video;
    video.isUpload = item.isUpload;
    video.kid = item.kid;
    video.onlyAudio = item.onlyAudio;
    video.uploadFolder = item.uploadFolder;
    video.uploadName = item.uploadName;
    video.videoName = item.videoName;
    video.videoSize = item.videoSize;
    return video;
}

}  // namespace

CFileUploadWorker::CFileUploadWorker(FileUploadRun run, const std::atomic<int>* stopRequested, QObject* parent)
    : CFileRunWorker(stopRequested, parent), run_(std::move(run)) {}

void CFileUploadWorker::Wake() const {
    if (const platform::ThreadId id = threadId_.load()) platform::PostThreadMessage(id, kUploadWakeMessage, 0, 0);
}

void CFileUploadWorker::run() {
    threadId_ = platform::CurrentThreadId();
    emit progressChanged(0);
    emit statusChanged(kFileRunAnalysing);
    std::vector<UploadItem> items;
    items.reserve(static_cast<std::size_t>(run_.files.size()));
    for (int row = 0; row < run_.files.size(); ++row) {
        emit fileSelected(row);
        items.push_back(MakeUploadItem(run_.files[row]));
    }
    SetFileCount(static_cast<int>(items.size()));
    emit progressRangeChanged(FileCount());
    QString previousName;
    for (int i = 0; i < FileCount() && !StopRequested(); ++i) {
        UploadItem& item = items[static_cast<std::size_t>(i)];
        emit fileSelected(i);
        emit statusChanged(kFileRunProcessing.arg(i + 1).arg(FileCount()));
        emit statusChanged(kUploading + item.videoName);
        item.uploadName = NewUploadName(item.videoName, previousName);
        previousName = item.uploadName;
        if (!ProcessItem(item)) break;
        emit progressChanged(i + 1);
    }
    threadId_ = 0;
}

bool CFileUploadWorker::ProcessItem(UploadItem& item) {
    for (;;) {
        QString question;
        const Outcome outcome = Attempt(item, &question);
        if (outcome == Outcome::Done) {
            CountSuccess();
            emit fileUploaded(item.uploadFolder, item.videoName);
            return true;
        }
        // A failure caused by the stop request ends the run without a question.
        if (outcome == Outcome::Stopped || StopRequested()) return false;
        const int answer = AskMessage(question, MsgButtons::AbortRetryIgnore, MsgIcon::Warning, kFileRunCaption);
        if (answer == IDABORT) return false;
        if (answer != IDRETRY) return true;
    }
}

CFileUploadWorker::Outcome CFileUploadWorker::Attempt(const UploadItem& item, QString* question) {
    nsFTP::CFTPClient client(std::make_unique<nsSocket::CBlockingSocket>(), kFtpTimeoutSeconds, run_.bufferSize, 0,
                             nsFTP::FtpTrace{AppendFtpTrace});
    if (!client.Login(run_.logon, run_.progressWindow, StopFlag())) {
        *question = kLoginFailed;
        return Outcome::Failed;
    }
    // The day's folder, made on its first upload.
    if (client.ChangeWorkingDirectory(item.uploadFolder) != 0) {
        client.MakeDirectory(item.uploadFolder);
        if (client.ChangeWorkingDirectory(item.uploadFolder) != 0) {
            client.Logout();
            *question = kUploadFailed.arg(item.videoName);
            return Outcome::Failed;
        }
    }
    const QString remotePath = QStringLiteral("/%1/%2").arg(item.uploadFolder, item.uploadName);
    if (!client.UploadFile(item.localPath, remotePath, run_.passive)) {
        client.Logout();
        if (StopRequested()) return Outcome::Stopped;
        *question = kUploadFailed.arg(item.videoName);
        return Outcome::Failed;
    }
    client.Logout();
    if (!SvcUploadVideo(VideoOf(item))) {
        *question = kFileRunReportFailed.arg(item.videoName);
        return Outcome::Failed;
    }
    return Outcome::Done;
}
