#include "client/tasks/upload_item.h"

#include "client/tasks/generated_name.h"

#include <QFileInfo>

#include <chrono>
#include <cstdlib>

namespace {

void ReseedFromClock() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    std::srand(static_cast<unsigned>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()));
}

int RandomPart() { return (std::rand() & 0x7FFF) + 10000; }

}  // namespace

QString NewUploadName(const QString& videoName, const QString& previous) {
    ReseedFromClock();
    const QString time = LocalTimeText("%Y%m%d%H%M%S");
    const QString extension = videoName.right(4);
    QString name;
    do {
        name = time + QString::number(RandomPart()) + extension;
    } while (name == previous);
    return name;
}

UploadItem MakeUploadItem(const QString& localPath) {
    UploadItem item;
    item.localPath = localPath;
    item.videoName = localPath.mid(localPath.lastIndexOf('/') + 1);
    const QString lastThree = item.videoName.right(3);
    item.onlyAudio = lastThree.compare(QStringLiteral("wma"), Qt::CaseInsensitive) == 0 ||
                     lastThree.compare(QStringLiteral("mp3"), Qt::CaseInsensitive) == 0;
    const QFileInfo file(localPath);
    item.videoSize = file.isFile() ? file.size() : 0;
    item.uploadFolder = LocalTimeText("%Y%m%d");
    item.uploadName = NewUploadName(item.videoName);
    return item;
}
