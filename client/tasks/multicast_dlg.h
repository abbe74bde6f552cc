#pragma once
// The multi-source broadcast page (page kind 5, dialog 219, menu 混排直播): broadcasts a
// show of scenes, each a media file or a pair of capture devices, and switches the live
// scene while it runs. Scenes are added and edited here through the scene dialog.

#include "client/tasks/cast_task_dlg.h"

class CMultiCastTask;
class CReportList;
class CTSource;
class QLineEdit;
class QPushButton;

class CMulticastDlg : public CCastTaskDlg {
    Q_OBJECT
public:
    explicit CMulticastDlg(QWidget* parent = nullptr);
    bool SaveTask() override;

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
    void OnSetUp() override;
    TaskServerInfo* Server() const override;
    QString VideoProfile() const override;
    int Reconn() const override;
    bool ReadyToStart() override;
    EncoderRunSpec RunSpec() override;
    void ShowActiveGroup(const QString& group) override { ShowLiveScene(group); }

private:
    CMultiCastTask* Task() const;
    void FillSceneRow(int row, const CTSource& scene);
    void Highlight(int row, bool on);
    void MarkDevice(const CTSource& scene, bool inUse);

    int liveScene_ = -1;

    CReportList* scenes_;
    QPushButton* add_;
    QPushButton* edit_;
    QPushButton* switch_;
    QLineEdit* liveName_;   // 1109
    QLineEdit* liveVideo_;  // 1123
    QLineEdit* liveAudio_;  // 1125
};
