#include "client/tasks/encoder_combos.h"

#include "client/shell/client_globals.h"

#include <QComboBox>
#include <QSet>

QStringList QualityNames(bool audioOnly, bool screen) {
    if (audioOnly)
        return {QStringLiteral("音频低质量（32K）"), QStringLiteral("音频中质量（64K）"), QStringLiteral("音频高质量（128K）")};
    if (screen)
        return {QStringLiteral("低质量屏幕捕获"), QStringLiteral("中质量屏幕捕获"), QStringLiteral("高质量屏幕捕获")};
    return {QStringLiteral("视频低质量（128K）"), QStringLiteral("视频中质量（256K）"), QStringLiteral("视频中质量（384K）"),
            QStringLiteral("视频高质量（512K）")};
}

bool SelectComboText(QComboBox* combo, const QString& text) {
    if (text.isEmpty()) return false;
    const int index = combo->findText(text, Qt::MatchFixedString);  // MatchFixedString ignores case
    if (index < 0) return false;
    combo->setCurrentIndex(index);
    return true;
}

void FillQualityCombo(QComboBox* combo, bool audioOnly, bool screen, const QString& remembered) {
    combo->clear();
    combo->addItems(QualityNames(audioOnly, screen));
    combo->setCurrentIndex(1);
    SelectComboText(combo, remembered);
}

namespace {

void AddFreeDevices(QComboBox* combo, const QList<DeviceEntry>& devices) {
    combo->clear();
    for (const DeviceEntry& entry : devices) {
        if (entry.flag == 0) combo->addItem(entry.name);
    }
}

}  // namespace

void FillVideoDeviceCombo(QComboBox* combo, const QString& remembered) {
    AddFreeDevices(combo, Globals().videoDevices);
    if (!SelectComboText(combo, remembered)) combo->setCurrentIndex(combo->count() > 1 ? 1 : 0);
}

void FillAudioDeviceCombo(QComboBox* combo, const QString& remembered) {
    AddFreeDevices(combo, Globals().audioDevices);
    if (!SelectComboText(combo, remembered)) combo->setCurrentIndex(0);
}

void FillMediaServerCombo(QComboBox* combo, const QString& remembered) {
    combo->clear();
    // Each sign-in appends the list again: one item per name.
    QSet<QString> seen;
    for (const MediaServerEntry& server : Globals().mediaServers) {
        if (seen.contains(server.name)) continue;
        seen.insert(server.name);
        combo->addItem(server.name);
    }
    if (!SelectComboText(combo, remembered) && combo->count() > 0) combo->setCurrentIndex(0);
}

void FillStreamTypeCombo(QComboBox* combo, int streamType) {
    combo->clear();
    combo->addItems({QStringLiteral("视音频"), QStringLiteral("音频")});
    combo->setCurrentIndex(streamType == 1 ? 1 : 0);
}
