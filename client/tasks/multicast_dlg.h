#pragma once
// The multi-source broadcast page (page kind 5, dialog 219, menu 混排直播): broadcasts a
// show of scenes, each a media file or a pair of capture devices, and switches the live
// scene while it runs. Scenes are added and edited here through the scene dialog.

#include "client/tasks/base_task_dlg.h"
#include "client/tasks/cast_page_controls.h"

class CMultiCastTask;
class CReportList;
class CTSource;
class CTaskSummary;
class QLineEdit;
class QPushButton;

class CMulticastDlg : public CBaseTaskDlg {
    Q_OBJECT
public:
    explicit CMulticastDlg(QWidget* parent = nullptr);
    ~CMulticastDlg() override;

    void Stop() override;
    bool SaveTask();

    // Opens the scene dialog for a new scene, inserted after the selected row.
    void AddScene();
    // Opens the scene dialog for the selected scene.
    void EditScene();
    // Makes the selected scene the live one (only while the broadcast runs).
    void SwitchScene();
    // The encoder made the scene of `groupName` live: highlight it and show its texts.
    void ShowLiveScene(const QString& groupName);

    int LiveScene() const { return liveScene_; }
    CReportList* SceneList() const { return scenes_; }

protected:
    void StartTask() override;
    void OnSetUp() override;

private:
    CMultiCastTask* Task() const;
    void FillSceneRow(int row, const CTSource& scene);
    void Highlight(int row, bool on);
    void MarkDevice(const CTSource& scene, bool inUse);

    int liveScene_ = -1;

    CTaskSummary* summary_;
    CReportList* scenes_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* switch_;
    QLineEdit* liveName_;   // 1109
    QLineEdit* liveVideo_;  // 1123
    QLineEdit* liveAudio_;  // 1125
    QWidget* preview_;      // 1052
    CastPageControls controls_;
};
