#pragma once
// The live broadcast page (page kind 1, dialog 145, menu 现场直播): broadcasts capture
// devices or the screen to a media server of the platform and from this PC on port 9100,
// optionally archives and protects it, and registers it with startLive / stopLive.

#include "client/tasks/encoder_choices.h"
#include "client/tasks/encoder_task_dlg.h"

class CLiveCastTask;
class CStatusText;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

class CLivecastDlg : public CEncoderTaskDlg {
    Q_OBJECT
public:
    explicit CLivecastDlg(QWidget* parent = nullptr);
    ~CLivecastDlg() override;

    bool AudioOnly() const { return audioOnly_; }
    QString ArchivePath() const { return archivePath_; }
    QString LiveCode() const;

    static const QString kStatusStarting;    // 141
    static const QString kStatusLocalOnly;   // 225 "您没有直播点数,正在本机直播"
    static const QString kServerInfoFailed;  // 182
    static const QString kAllPointsTaken;    // 181
    static const QString kDrmParamsFailed;   // 180 (a message box)

protected:
    void StartTask() override;
    void OnSetUp() override;

    void SetSettingControlsEnabled(bool enabled) override;
    void ShowPageState() override;
    void OnEncoderStarted() override;
    void OnStartFailed() override;
    void OnConnectionLost() override;
    void OnRunEnded() override;
    bool RestartAfterLoss() const override;

private:
    CLiveCastTask* Task() const;
    void BuildControls();
    void RefillQuality();
    // Asks the chosen server for a publishing point; false (with the status or message
    // shown) when the run must not start.
    bool RequestServer(CLiveCastTask& task);
    EncoderRunSpec RunSpec(CLiveCastTask& task);
    void MarkVideoDeviceInUse(const QString& device);

    int audioOnly_ = 0;
    CQualityRefill qualityRefill_;
    QString outputFolder_;
    QString archivePath_;
    QString archiveName_;
    QString deviceInUse_;  // the video device this page marked in use

    QPushButton* startStop_;   // 1010
    QPushButton* close_;       // 1076
    QComboBox* streamType_;    // 1162
    QComboBox* video_;         // 1163
    QComboBox* audio_;         // 1164
    QComboBox* quality_;       // 1161
    QComboBox* server_;        // 1165
    QCheckBox* drm_;           // 1166
    QCheckBox* logo_;          // 1167
    QCheckBox* save_;          // 1177
    QLineEdit* folder_;        // 1022
    QPushButton* browse_;      // 1172
    QLineEdit* internet_;      // 1051
    QLineEdit* lan_;           // 1059
    QLineEdit* code_;          // 1159
    QPushButton* playArchive_; // 1135
    QPushButton* videoSettings_;  // 1036
    QPushButton* audioSettings_;  // 1021
    QWidget* preview_;         // 1052
};
