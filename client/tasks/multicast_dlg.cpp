#include "client/tasks/multicast_dlg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/page_controls.h"
#include "client/tasks/srcset_dlg.h"
#include "client/tasks/task_file_dialog.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"
#include "client/tasks/task_summary.h"
#include "client/widgets/find_control.h"
#include "client/widgets/report_list.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

const QString kNoSceneChosen = QStringLiteral("您必须选择要切换的场景！");      // 203
const QString kSceneAlreadyLive = QStringLiteral("您不能切换到正在直播的场景！");  // 204
const QString kNoScenes = QStringLiteral("您必需添加至少一个场景！");            // 205
const QColor kLiveColour(0, 255, 0);

// The video and audio texts of a scene: a file scene shows its file name in both.
QString SceneVideoText(const CTSource& scene) {
    return scene.isFile ? QFileInfo(scene.filePath).fileName() : scene.videoDevice;
}
QString SceneAudioText(const CTSource& scene) {
    return scene.isFile ? QFileInfo(scene.filePath).fileName() : scene.audioDevice;
}

}  // namespace

CMulticastDlg::CMulticastDlg(QWidget* parent) : CCastTaskDlg(TASK_MULTICAST, parent) {

    scenes_ = new CReportList(this);
    scenes_->setObjectName(QStringLiteral("sceneList"));
    scenes_->setAccessibleName(QStringLiteral("场景列表"));
    scenes_->InsertColumn(QStringLiteral("场景名称"), 90);
    scenes_->InsertColumn(QStringLiteral("场景视频"), 100);
    scenes_->InsertColumn(QStringLiteral("场景音频"), 100);
    Place(scenes_, QRect(16, 128, 400, 124), kTopLeft, kBottomRight);
    const auto button = [this](int y, const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        Place(b, QRect(424, y, 88, 28), kTopRight, kTopRight);
        return b;
    };
    add_ = button(128, "addScene", QStringLiteral("添加场景"));
    edit_ = button(160, "editScene", QStringLiteral("编辑场景"));
    switch_ = button(192, "switchScene", QStringLiteral("切换场景"));
    preview_ = AddPreviewWindow(this, 1052, QRect(520, 128, 104, 124));

    Place(new QLabel(QStringLiteral("当前场景："), this), QRect(16, 264, 70, 24), kBottomLeft, kBottomLeft);
    const auto liveField = [this](const QRect& rect, int id, const QString& name) {
        auto* field = new QLineEdit(this);
        field->setReadOnly(true);
        Place(field, rect, kBottomLeft, kBottomRight);
        SetControlId(field, id, name);
        return field;
    };
    liveName_ = liveField(QRect(86, 264, 140, 24), 1109, QStringLiteral("当前场景名称"));
    liveVideo_ = liveField(QRect(234, 264, 190, 24), 1123, QStringLiteral("当前场景视频"));
    liveAudio_ = liveField(QRect(432, 264, 192, 24), 1125, QStringLiteral("当前场景音频"));

    connect(add_, &QPushButton::clicked, this, &CMulticastDlg::AddScene);
    connect(edit_, &QPushButton::clicked, this, &CMulticastDlg::EditScene);
    connect(switch_, &QPushButton::clicked, this, &CMulticastDlg::SwitchScene);
}

CMultiCastTask* CMulticastDlg::Task() const { return dynamic_cast<CMultiCastTask*>(Record()); }

TaskServerInfo* CMulticastDlg::Server() const { return &Task()->serverRecord; }
QString CMulticastDlg::VideoProfile() const { return Task()->videoProfile; }
int CMulticastDlg::Reconn() const { return Task()->reconn; }

void CMulticastDlg::OnSetUp() {
    CMultiCastTask* task = Task();
    if (!task) return;
    SetUpCastPage();
    scenes_->DeleteAllItems();
    for (const auto& scene : task->sourceList) FillSceneRow(scenes_->InsertItem(scenes_->GetItemCount(), {}), *scene);
}

void CMulticastDlg::FillSceneRow(int row, const CTSource& scene) {
    scenes_->SetItemText(row, 0, scene.sceneName);
    scenes_->SetItemText(row, 1, SceneVideoText(scene));
    scenes_->SetItemText(row, 2, SceneAudioText(scene));
}

void CMulticastDlg::MarkDevice(const CTSource& scene, bool inUse) {
    if (!scene.isFile) NotifyTaskList(inUse ? kDeviceInUse : kDeviceFree, scene.videoDevice);
}

void CMulticastDlg::AddScene() {
    CMultiCastTask* task = Task();
    if (!task) return;
    CSrcsetDlg dialog(task->streamType, nullptr, this);
    if (dialog.exec() != QDialog::Accepted) return;
    auto scene = dialog.IsFile()
                     ? std::make_unique<CTSource>(dialog.SceneName(), dialog.FilePath(), dialog.RollMode())
                     : std::make_unique<CTSource>(dialog.SceneName(), dialog.VideoDevice(), dialog.AudioDevice(),
                                                  dialog.RollMode());
    // Scenes made within the same second get the same generated group; the encoder needs
    // each group once, so a repeated one gets a counter.
    const QString generated = scene->groupName;
    for (int n = 2; std::any_of(task->sourceList.begin(), task->sourceList.end(),
                                [&](const auto& other) { return other->groupName == scene->groupName; });
         ++n)
        scene->groupName = generated + QStringLiteral("_%1").arg(n);
    MarkDevice(*scene, true);
    const int selected = scenes_->GetSelectedRow();
    const int row = selected >= 0 ? selected + 1 : scenes_->GetItemCount();
    FillSceneRow(scenes_->InsertItem(row, {}), *scene);
    task->sourceList.insert(task->sourceList.begin() + row, std::move(scene));
    if (liveScene_ >= row) ++liveScene_;
    scenes_->SelectRow(row);
}

void CMulticastDlg::EditScene() {
    CMultiCastTask* task = Task();
    const int row = scenes_->GetSelectedRow();
    if (!task || row < 0 || row >= static_cast<int>(task->sourceList.size())) {
        ShowMessage(kNoSceneChosen, this);
        return;
    }
    CTSource& scene = *task->sourceList[row];
    // The scene's own device is offered again while it is edited.
    MarkDevice(scene, false);
    CSrcsetDlg dialog(task->streamType, &scene, this);
    if (dialog.exec() == QDialog::Accepted) {
        // The scene keeps its group: a running show knows it by that name.
        scene.sceneName = dialog.SceneName();
        scene.isFile = dialog.IsFile();
        scene.filePath = scene.isFile ? dialog.FilePath() : QString();
        scene.videoDevice = scene.isFile ? QString() : dialog.VideoDevice();
        scene.audioDevice = scene.isFile ? QString() : dialog.AudioDevice();
        scene.rollMode = dialog.RollMode();
        FillSceneRow(row, scene);
    }
    MarkDevice(scene, true);
}

void CMulticastDlg::SwitchScene() {
    const int row = scenes_->GetSelectedRow();
    if (row < 0) {
        ShowMessage(kNoSceneChosen, this);
        return;
    }
    if (row == liveScene_) {
        ShowMessage(kSceneAlreadyLive, this);
        return;
    }
    // Only a running encoder switches; the call runs on the encoder's own thread.
    CEncoderWorker* worker = Worker();
    CMultiCastTask* task = Task();
    if (!worker || !task || row >= static_cast<int>(task->sourceList.size())) return;
    const QString group = task->sourceList[row]->groupName;
    worker->Post([group](CWavetap& encoder) {
        if (encoder.GetState() == WAVETAP_RUNNING) encoder.SwitchSource(group);
    });
}


void CMulticastDlg::Highlight(int row, bool on) {
    QTreeWidgetItem* item = scenes_->topLevelItem(row);
    if (!item) return;
    for (int column = 0; column < scenes_->columnCount(); ++column)
        item->setBackground(column, on ? QBrush(kLiveColour) : QBrush());
}

void CMulticastDlg::ShowLiveScene(const QString& groupName) {
    CMultiCastTask* task = Task();
    if (!task) return;
    for (int row = 0; row < static_cast<int>(task->sourceList.size()); ++row) {
        const CTSource& scene = *task->sourceList[row];
        if (scene.groupName != groupName) continue;
        Highlight(liveScene_, false);
        liveScene_ = row;
        Highlight(row, true);
        liveName_->setText(scene.sceneName);
        liveVideo_->setText(SceneVideoText(scene));
        liveAudio_->setText(SceneAudioText(scene));
        return;
    }
}

bool CMulticastDlg::SaveTask() { return Task() && SaveTaskFile(this, *Task()); }

bool CMulticastDlg::ReadyToStart() {
    CMultiCastTask* task = Task();
    if (task && !task->sourceList.empty()) return true;
    ShowMessage(kNoScenes, this);
    return false;
}

EncoderRunSpec CMulticastDlg::RunSpec() {
    const CMultiCastTask& task = *Task();
    EncoderRunSpec spec;
    const auto& scenes = task.sourceList;
    const int count = static_cast<int>(scenes.size());
    for (int i = 0; i < count; ++i) {
        const CTSource& scene = *scenes[i];
        if (!scene.isFile) {
            // A device scene plays until it is switched away from.
            EncoderSource source = DeviceSource(scene.videoDevice, scene.audioDevice, task.videoProfile,
                                                task.streamType == 1, task.checklogo);
            source.groupName = scene.groupName;
            spec.sources.push_back(source);
            continue;
        }
        EncoderSource source;
        source.groupName = scene.groupName;
        source.videoInput = scene.filePath;
        source.audioInput = scene.filePath;
        source.profileName = FileProfileName();
        source.streamType = FileStreamType();
        source.logo = task.checklogo;
        source.noPreview = 1;
        switch (scene.rollMode) {
        case ROLL_REPEAT_SCENE: source.rolloverGroup = scene.groupName; break;
        case ROLL_NEXT_SCENE:
            if (i + 1 < count)
                source.rolloverGroup = scenes[i + 1]->groupName;
            else if (task.circle)
                source.rolloverGroup = scenes[0]->groupName;
            break;
        case ROLL_FIRST_SCENE: source.rolloverGroup = scenes[0]->groupName; break;
        default: break;
        }
        spec.sources.push_back(source);
    }
    if (task.isRecord) {
        spec.archivePath = task.outputFile;
        spec.title = QFileInfo(task.outputFile).fileName();
    }
    return spec;
}
