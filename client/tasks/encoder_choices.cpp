#include "client/tasks/encoder_choices.h"

#include "client/shell/client_globals.h"

#include <QComboBox>

namespace {

void FillFreeDevices(QComboBox* combo, const QList<DeviceEntry>& devices) {
    combo->clear();
    for (const DeviceEntry& device : devices)
        if (device.flag == 0) combo->addItem(device.name);
}

int IndexOfName(const QComboBox* combo, const QString& name) {
    if (name.isEmpty()) return -1;
    return combo->findText(name, Qt::MatchFixedString);  // fixed string: case-insensitive
}

}  // namespace

int StreamTypeOfText(const QString& typeText) { return typeText == kStreamTypeAudioVideo ? 0 : 1; }

void FillStreamTypes(QComboBox* types, int streamType) {
    types->clear();
    types->addItems({kStreamTypeAudioVideo, kStreamTypeAudio});
    types->setCurrentIndex(streamType == 1 ? 1 : 0);
}

void FillVideoDevices(QComboBox* videos, const QString& remembered) {
    FillFreeDevices(videos, Globals().videoDevices);
    const int index = IndexOfName(videos, remembered);
    videos->setCurrentIndex(index >= 0 ? index : (videos->count() > 1 ? 1 : 0));
}

void FillAudioDevices(QComboBox* audios, const QString& remembered) {
    FillFreeDevices(audios, Globals().audioDevices);
    const int index = IndexOfName(audios, remembered);
    audios->setCurrentIndex(index >= 0 ? index : 0);
}

QStringList QualityChoices(int streamType, bool screenCapture) {
    if (streamType == 1)
        return {QStringLiteral("音频低质量（32K）"), QStringLiteral("音频中质量（64K）"), QStringLiteral("音频高质量（128K）")};
    if (screenCapture)
        return {QStringLiteral("低质量屏幕捕获"), QStringLiteral("中质量屏幕捕获"), QStringLiteral("高质量屏幕捕获")};
    return {QStringLiteral("视频低质量（128K）"), QStringLiteral("视频中质量（256K）"), QStringLiteral("视频中质量（384K）"),
            QStringLiteral("视频高质量（512K）")};
}

void FillQualities(QComboBox* qualities, int streamType, bool screenCapture, const QString& remembered) {
    qualities->clear();
    qualities->addItems(QualityChoices(streamType, screenCapture));
    qualities->setCurrentIndex(1);
    const int index = IndexOfName(qualities, remembered);
    if (index >= 0) qualities->setCurrentIndex(index);
}

void CQualityRefill::Refill(QComboBox* qualities, int streamType, bool screenCapture) {
    if (streamType == lastStreamType_ && (streamType == 1 || screenCapture == lastScreen_)) return;
    lastStreamType_ = streamType;
    lastScreen_ = screenCapture;
    FillQualities(qualities, streamType, screenCapture, QString());
}
