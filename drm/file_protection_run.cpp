#include "drm/file_protection_run.h"

#include "client/service/service_calls.h"
#include "drm/protect_routine.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <ctime>

namespace {

// 1 for the audio-only extensions, as the upload task sends it.
int OnlyAudio(const QString& name) {
    const QString last = name.right(3).toLower();
    return last == "wma" || last == "mp3" ? 1 : 0;
}

}  // namespace

FileProtectionRun::FileProtectionRun(QString seed, QString privateKey, QString licenceUrl)
    : seed_(std::move(seed)), privateKey_(std::move(privateKey)), licenceUrl_(std::move(licenceUrl)) {
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

drm::HRESULT FileProtectionRun::Protect(const QFileInfo& input, const QString& outputFolder,
                                        ProtectedCopy* copy) const {
    const QDir folder(outputFolder);
    const QString extension = input.suffix().isEmpty() ? QString() : "." + input.suffix();
    // Widened first: rand() near RAND_MAX plus 10000 would overflow an int.
    do
        copy->name = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss")) +
                     QString::number(static_cast<long long>(std::rand()) + 10000) + extension;
    while (folder.exists(copy->name));
    copy->path = folder.filePath(copy->name);
    copy->keyId.clear();
    return ProtectMediaFile(seed_, privateKey_, licenceUrl_, input.filePath(), copy->path, &copy->keyId);
}

bool FileProtectionRun::Report(const ProtectedCopy& copy, const QFileInfo& input) {
    ClientService::TVideo video;
    video.kid = copy.keyId;
    video.uploadName = copy.name;
    video.videoName = input.fileName();
    video.videoSize = QFileInfo(copy.path).size();
    video.onlyAudio = OnlyAudio(input.fileName());
    return SvcUploadVideo(video);
}
