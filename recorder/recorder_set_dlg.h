#pragma once
// CRecorderSetDlg: the settings page (tab "录制设置"): outputs, capture devices, quality
// and the recording folder, each kept in "Recorderconfig.ini" as it changes.

#include "client/shell/ini_config.h"
#include "recorder/recorder_devices.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class CRecorderSetDlg : public QWidget {
public:
    CRecorderSetDlg(const QString& settingsPath, const QString& programFolder, QWidget* parent);

    // The page's initialisation: reads and writes back the settings, fills the combos.
    void Init(const RecorderDeviceLists& devices);

    QComboBox* VideoCombo() const { return video_; }
    QComboBox* AudioCombo() const { return audio_; }
    QComboBox* QualityCombo() const { return quality_; }
    const QString& Folder() const { return folder_; }

    void OnVideoChanged(int index);
    void OnAudioChanged(int index);
    void OnQualityChanged(int index);
    void OnVideoSettings();
    void OnAudioSettings();
    void OnChooseFolder();
    void OnOpenFolder();
    void OnSaveToPc();
    // Makes `folder` the recording folder: edit box, free space and PCPATH.
    void SetFolder(const QString& folder);

private:
    void FillQualities(bool audioOnly, int selected);

    CINIConfig config_;
    QString programFolder_;
    QString folder_;
    QComboBox* video_;
    QComboBox* audio_;
    QComboBox* quality_;
    QPushButton* videoSettings_;
    QCheckBox* savePc_;
    QLineEdit* folderEdit_;
    QPushButton* chooseFolder_;
    QPushButton* openFolder_;
    QLineEdit* freeSpace_;
    QCheckBox* logo_;
    QComboBox* cloud_;
};
