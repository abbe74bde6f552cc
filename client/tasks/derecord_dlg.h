#pragma once
// The local recording page (page kind 7, dialog 242, menu 本地录制): records capture
// devices or the screen into a Windows Media file in a chosen folder, optionally
// starting and stopping at set times.

#include "client/tasks/base_task_dlg.h"
#include "client/tasks/encoder_choices.h"
#include "platform/messages.h"

#include <QPointer>

#include <memory>

namespace platform {
class Event;
}
class CDerecordWorker;
class CLiveCastTask;
class CStatusText;
class CWindowHandle;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

class CDerecordDlg : public CBaseTaskDlg {
    Q_OBJECT
public:
    explicit CDerecordDlg(QWidget* parent = nullptr);
    ~CDerecordDlg() override;

    void Stop() override;

    int PageState() const { return pageState_; }
    QString ArchivePath() const { return archivePath_; }
    bool AutoBeginArmed() const { return autoBeginArmed_; }
    bool AutoStopArmed() const { return autoStopArmed_; }
    // The window the encoder reports to.
    QObject* WindowHandle() const;
    // One tick of the one-second timer.
    void OnTimer();

protected:
    void StartTask() override;
    void OnSetUp() override;

private:
    CLiveCastTask* Task() const;
    QString ConfigurePath() const;
    void RefillQualities();
    void OnVideoDeviceChanged();
    void OnTypeChanged();
    void StoreBeginTime();
    void StoreEndTime();
    void ChooseFolder();
    void PlayArchive();
    void SetCombosEnabled(bool enabled);
    void WriteRecordSettings();
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam);

    CWindowHandle* handle_;
    QPointer<CDerecordWorker> worker_;
    std::shared_ptr<platform::Event> stopEvent_;
    int pageState_ = 4;  // 4 idle, 0 starting, 2 running, 3 stopping
    int stopping_ = 0;
    int audioOnly_ = 0;
    QString outputFolder_;
    QString archivePath_;
    QString archiveName_;
    qint64 startTime_ = 0;
    bool autoBeginArmed_ = false;
    bool autoStopArmed_ = false;
    CQualityRefill qualityRefill_;
    QString markedDevice_;  // the video device this page holds in use

    QPushButton* start_;      // 1010
    QPushButton* exit_;       // 1076
    QComboBox* type_;         // 1182
    QComboBox* quality_;      // 1161
    QComboBox* video_;        // 1163
    QComboBox* audio_;        // 1164
    QCheckBox* logo_;         // 1167
    QLineEdit* folder_;       // 1022
    QPushButton* browse_;     // 1172
    QPushButton* play_;       // 1135
    QCheckBox* autoBegin_;    // 1030
    QDateEdit* beginDate_;    // 1096
    QTimeEdit* beginClock_;   // 1048
    QCheckBox* autoStop_;     // 1042
    QDateEdit* endDate_;      // 1097
    QTimeEdit* endClock_;     // 1044
    QPushButton* videoSetup_;  // 1036
    QPushButton* audioSetup_;  // 1021
    QLabel* preview_;         // 1052
    QLineEdit* elapsed_;      // 1028
    CStatusText* status_;     // 1019
};
