#pragma once
// The home broadcast page (page kind 6, dialog 230, menu 家庭直播): broadcasts capture
// devices or the screen from this PC only (port 9100), always archives into the
// program's "save" folder, and reports the watch address with startLive. It has no task
// record. An end time typed into its end-time box before 开始 stops the run on the first
// tick at or after it.

#include "client/tasks/encoder_choices.h"
#include "client/tasks/encoder_task_dlg.h"

class CStatusText;
class QComboBox;
class QLineEdit;
class QPushButton;

class CMonitorDlg : public CEncoderTaskDlg {
    Q_OBJECT
public:
    explicit CMonitorDlg(QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    void Close() override;
    QString ArchivePath() const { return archivePath_; }

    static const QString kWaitForStop;   // "请等待当前任务停止再关闭"
    static const QString kNoPlayFile;    // "未指定播放文件！"

protected:
    void StartTask() override;
    void OnSetUp() override;

    void SetSettingControlsEnabled(bool enabled) override;
    void ShowPageState() override;
    void OnEncoderStarted() override;
    void OnRunEnded() override;
    bool StopsWhenLiveRunsOut() const override { return false; }

private:
    void BuildControls();
    void RefillQuality();
    EncoderRunSpec RunSpec();

    CQualityRefill qualityRefill_;
    bool audioOnly_ = false;
    QString archivePath_;

    QPushButton* start_;       // 1010
    QPushButton* stop_;        // 1013
    QPushButton* close_;       // 1076
    QComboBox* video_;         // 1143
    QComboBox* audio_;         // 1144
    QPushButton* videoSettings_;  // 1077
    QPushButton* audioSettings_;  // 1135
    QComboBox* streamType_;    // 1137
    QComboBox* quality_;       // 1138
    QLineEdit* startTime_;     // 1147
    QLineEdit* elapsed_;       // 1148
    QLineEdit* endTime_;       // 1149
    QLineEdit* watch_;         // 1150
    QLineEdit* output_;        // 1151
    QWidget* preview_;
};
