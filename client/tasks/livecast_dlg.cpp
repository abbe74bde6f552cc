#include "client/tasks/livecast_dlg.h"

#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/encoder_choices.h"
#include "client/tasks/media_server_combo.h"
#include "client/tasks/live_code.h"
#include "client/tasks/live_target.h"
#include "client/tasks/page_controls.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"
#include "client/tasks/task_settings.h"
#include "client/tasks/watch_address.h"
#include "client/widgets/find_control.h"
#include "client/widgets/group_box.h"
#include "client/widgets/status_text.h"
#include "wavetap/devices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>

const QString CLivecastDlg::kStatusStarting = QStringLiteral("正在启动（启动时间与您的网速有关，大约需要15-40秒）");
const QString CLivecastDlg::kStatusLocalOnly = QStringLiteral("您没有直播点数,正在本机直播");
const QString CLivecastDlg::kServerInfoFailed = QStringLiteral("获得媒体服务器信息出错！");
const QString CLivecastDlg::kAllPointsTaken = QStringLiteral("该媒体服务器上有发布点都被占用！请更换媒体服务器或等待！");
const QString CLivecastDlg::kDrmParamsFailed = QStringLiteral("获得直播加密相关参数出错！");

namespace {

const QString kNoDrmRight = QStringLiteral("无加密权限");
const QString kDrmCaption = QStringLiteral("直播加密");
constexpr QSize kDesignSize(800, 556);


QString SettingsPath() { return Globals().programFolder + QStringLiteral("configure.ini"); }

}  // namespace

CLivecastDlg::CLivecastDlg(QWidget* parent) : CEncoderTaskDlg(TASK_LIVECAST, kDesignSize, parent) {
    BuildControls();
    SetButtons(startStop_, close_);
    // The live code: random hex groups with the company id set into them.
    code_->setText(BuildLiveCode(Globals().companyId, Globals().codeBaseUrl,
                                 [] { return static_cast<int>(QRandomGenerator::global()->bounded(32768)); }));
}

CLivecastDlg::~CLivecastDlg() { Stop(); }

void CLivecastDlg::BuildControls() {
    const auto label = [this](const QString& text, const QRect& rect, Anchor a = kTopLeft) {
        return AddLabel(this, text, rect, a);
    };
    const auto button = [this](const QString& text, int id, const QRect& rect) {
        return AddButton(this, text, id, rect);
    };
    const auto combo = [this](int id, const QString& name, const QRect& rect) { return AddCombo(this, id, name, rect); };

    preview_ = AddPreviewWindow(this, 1052, QRect(16, 16, 352, 264));
    label(QStringLiteral("运行时间："), QRect(16, 294, 80, 28));
    auto* elapsed = new QLineEdit(this);
    elapsed->setReadOnly(true);
    elapsed->setFont(QFont(QStringLiteral("Arial"), 18));
    Place(elapsed, QRect(100, 290, 180, 36));
    SetControlId(elapsed, 1028, QStringLiteral("运行时间"));
    auto* status = new CStatusText(this);
    Place(status, QRect(16, 334, 352, 24), kTopLeft, kTopRight);
    SetControlId(status, 1019, QStringLiteral("状态"));
    SetRunDisplays(status, elapsed);

    auto* settings = new CDrawnGroupBox(QStringLiteral("直播设置"), this);
    Place(settings, QRect(384, 8, 400, 346), kTopRight, kTopRight);
    label(QStringLiteral("直播类型："), QRect(396, 36, 80, 24), kTopRight);
    streamType_ = combo(1162, QStringLiteral("直播类型"), QRect(480, 36, 190, 24));
    label(QStringLiteral("视频设备："), QRect(396, 70, 80, 24), kTopRight);
    video_ = combo(1163, QStringLiteral("视频设备"), QRect(480, 70, 190, 24));
    videoSettings_ = button(QStringLiteral("视频设置"), 1036, QRect(678, 70, 94, 24));
    label(QStringLiteral("音频设备："), QRect(396, 104, 80, 24), kTopRight);
    audio_ = combo(1164, QStringLiteral("音频设备"), QRect(480, 104, 190, 24));
    audioSettings_ = button(QStringLiteral("音频设置"), 1021, QRect(678, 104, 94, 24));
    label(QStringLiteral("直播质量："), QRect(396, 138, 80, 24), kTopRight);
    quality_ = combo(1161, QStringLiteral("直播质量"), QRect(480, 138, 190, 24));
    label(QStringLiteral("媒体服务器："), QRect(396, 172, 84, 24), kTopRight);
    server_ = combo(1165, QStringLiteral("媒体服务器"), QRect(480, 172, 190, 24));
    const auto check = [this](const QString& text, int id, const QRect& rect) {
        auto* c = new QCheckBox(text, this);
        Place(c, rect, kTopRight, kTopRight);
        SetControlId(c, id, text);
        return c;
    };
    drm_ = check(kDrmCaption, 1166, QRect(396, 210, 120, 24));
    logo_ = check(QStringLiteral("添加LOGO"), 1167, QRect(520, 210, 110, 24));
    save_ = check(QStringLiteral("保存"), 1177, QRect(640, 210, 120, 24));
    folder_ = new QLineEdit(this);
    Place(folder_, QRect(396, 246, 274, 24), kTopRight, kTopRight);
    SetControlId(folder_, 1022, QStringLiteral("保存位置"));
    browse_ = button(QStringLiteral("保存位置"), 1172, QRect(678, 246, 94, 24));
    playArchive_ = button(QStringLiteral("预览"), 1135, QRect(678, 282, 94, 24));

    auto* addresses = new CDrawnGroupBox(QStringLiteral("收看地址"), this);
    Place(addresses, QRect(16, 364, 768, 134), kTopLeft, kTopRight);
    const auto addressRow = [&](const QString& text, int editId, int previewId, int copyId, int y,
                                const QString& emptyMessage) {
        label(text, QRect(28, y, 118, 24));
        auto* edit = new QLineEdit(this);
        edit->setReadOnly(true);
        Place(edit, QRect(150, y, 440, 24), kTopLeft, kTopRight);  // widens with the page
        SetControlId(edit, editId, text);
        QPushButton* play = button(QStringLiteral("预览"), previewId, QRect(600, y, 84, 24));
        QPushButton* copy = button(QStringLiteral("复制"), copyId, QRect(692, y, 84, 24));
        BindWatchAddress(edit, play, copy, emptyMessage);
        return edit;
    };
    internet_ = addressRow(QStringLiteral("互联网收看地址："), 1051, 1077, 1170, 392, kNoWatchAddress);
    lan_ = addressRow(QStringLiteral("局域网收看地址："), 1059, 1134, 1171, 426, kNoWatchAddress);
    code_ = addressRow(QStringLiteral("获取直播代码："), 1159, 1160, 1169, 460, kNoCodeAddress);

    startStop_ = button(kStartCaption, 1010, QRect(600, 512, 88, 30));
    close_ = button(QStringLiteral("退出直播"), 1076, QRect(696, 512, 88, 30));

    connect(startStop_, &QPushButton::clicked, this, [this] { Start(); });
    connect(close_, &QPushButton::clicked, this, [this] { Close(); });
    connect(streamType_, &QComboBox::currentIndexChanged, this, [this] {
        if (CLiveCastTask* task = Task()) task->streamType = streamType_->currentIndex() == 0 ? 0 : 1;
        audioOnly_ = streamType_->currentIndex() == 0 ? 0 : 1;
        RefillQuality();
    });
    connect(video_, &QComboBox::currentIndexChanged, this, [this] { RefillQuality(); });
    connect(drm_, &QCheckBox::toggled, this, [this](bool on) {
        if (CLiveCastTask* task = Task()) task->isLiveDrm = on ? 1 : 0;
    });
    connect(logo_, &QCheckBox::toggled, this, [this](bool on) {
        if (CLiveCastTask* task = Task()) task->checklogo = on ? 1 : 0;
    });
    connect(browse_, &QPushButton::clicked, this, [this] {
        const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select a directory:"),
                                                                 folder_->text(), QFileDialog::ShowDirsOnly |
                                                                 QFileDialog::DontUseNativeDialog);
        if (!folder.isEmpty()) folder_->setText(folder);
    });
    connect(playArchive_, &QPushButton::clicked, this,
            [this] { PlayWatchAddress(archivePath_, kNoWatchAddress, this); });
    connect(videoSettings_, &QPushButton::clicked, this, [this] { CallFilter(video_->currentText(), this, 0); });
    connect(audioSettings_, &QPushButton::clicked, this, [this] { CallFilter(audio_->currentText(), this, 1); });
}

CLiveCastTask* CLivecastDlg::Task() const { return dynamic_cast<CLiveCastTask*>(Record()); }

QString CLivecastDlg::LiveCode() const { return code_->text(); }

void CLivecastDlg::OnSetUp() {
    internet_->clear();
    lan_->setText(ThisPcPlayAddress());
    const LiveTaskSettings remembered = ReadLiveTaskSettings(SettingsPath());
    CLiveCastTask* task = Task();
    if (task) {
        task->streamType = remembered.streamType;
        task->isLiveDrm = remembered.isLiveDrm;
        task->outputFile = remembered.outputFile;
        task->checklogo = remembered.checklogo;
    }
    folder_->setText(remembered.outputFile);
    outputFolder_ = remembered.outputFile;
    save_->setChecked(!remembered.outputFile.isEmpty());
    if (Globals().account.drmCount < 1) {
        drm_->setEnabled(false);
        drm_->setText(kNoDrmRight);
        drm_->setChecked(false);
    } else {
        drm_->setEnabled(true);
        drm_->setChecked(remembered.isLiveDrm != 0);
    }
    logo_->setChecked(remembered.checklogo != 0);

    {
        const QSignalBlocker blockVideo(video_);
        const QSignalBlocker blockType(streamType_);
        FillVideoDevices(video_, remembered.videoDevice);
        FillStreamTypes(streamType_, remembered.streamType);
    }
    FillAudioDevices(audio_, remembered.audioDevice);
    audioOnly_ = remembered.streamType == 1 ? 1 : 0;
    qualityRefill_.Reset();
    RefillQuality();
    SelectComboText(quality_, remembered.videoProfile);
    FillMediaServerCombo(server_, remembered.mserverName);
    if (task) {
        ArmAutoBegin(task->autoBegin != 0, task->beginTime);
        ArmAutoStop(task->autoStop != 0, task->endTime);
    }
    SetStatus(QString());
}

void CLivecastDlg::RefillQuality() {
    const int type = audioOnly_ ? 1 : 0;
    const bool screen = video_->currentText() == kScreenCaptureDevice;
    video_->setEnabled(type == 0 && PageState() == kIdle);
    videoSettings_->setEnabled(!screen && type == 0);
    qualityRefill_.Refill(quality_, type, screen);
}

void CLivecastDlg::SetSettingControlsEnabled(bool enabled) {
    for (QWidget* c : {static_cast<QWidget*>(streamType_), static_cast<QWidget*>(audio_),
                       static_cast<QWidget*>(quality_), static_cast<QWidget*>(server_)})
        c->setEnabled(enabled);
    video_->setEnabled(enabled && !audioOnly_);
}

void CLivecastDlg::ShowPageState() {
    switch (PageState()) {
    case kIdle:
        startStop_->setText(kStartCaption);
        startStop_->setEnabled(true);
        break;
    case kStarting:
    case kRunning:
        startStop_->setText(kStopCaption);
        startStop_->setEnabled(true);
        break;
    default: startStop_->setEnabled(true); break;
    }
}

bool CLivecastDlg::RequestServer(CLiveCastTask& task) {
    SelMediaServerRequest request;
    request.type = task.streamType;
    request.profile = task.videoProfile;
    request.videoDevice = task.videoDevice;
    request.audioDevice = task.audioDevice;
    request.isDrm = task.isLiveDrm;
    return RequestLiveServer(request, task.serverRecord, [this](const QString& text) { SetStatus(text); }, this);
}

void CLivecastDlg::StartTask() {
    CLiveCastTask* task = Task();
    if (!task || PageState() != kIdle) return;
    outputFolder_ = folder_->text().trimmed();
    task->outputFile = outputFolder_;
    task->audioDevice = audio_->currentText();
    task->videoProfile = quality_->currentText();
    task->streamType = streamType_->currentIndex() == 0 ? 0 : 1;
    audioOnly_ = task->streamType;
    if (!audioOnly_) task->videoDevice = video_->currentText();
    task->isLiveDrm = drm_->isEnabled() && drm_->isChecked() ? 1 : 0;
    task->checklogo = logo_->isChecked() ? 1 : 0;
    task->serverRecord = TaskServerInfo();
    for (const MediaServerEntry& server : Globals().mediaServers) {
        if (server.name == server_->currentText()) {
            task->serverRecord.id = server.id;
            task->serverRecord.mediaName = server.name;
            break;
        }
    }

    QApplication::setOverrideCursor(Qt::WaitCursor);
    close_->setEnabled(false);
    if (!RequestServer(*task)) {
        close_->setEnabled(true);
        QApplication::restoreOverrideCursor();
        return;
    }
    SetStatus(kStatusStarting);
    NotifyTaskList(kTaskStarted, TaskId());
    MarkVideoDeviceInUse(audioOnly_ ? QString() : task->videoDevice);
    SetSettingControlsEnabled(false);
    StartWorker(RunSpec(*task));
    internet_->setText(Globals().serverBroadcast ? Globals().playPath : QString());
    QApplication::restoreOverrideCursor();
}

EncoderRunSpec CLivecastDlg::RunSpec(CLiveCastTask& task) {
    const ClientGlobals& g = Globals();
    const QString name = ArchiveFileName(audioOnly_);
    archivePath_ = save_->isChecked() && !outputFolder_.isEmpty() ? outputFolder_ + QLatin1Char('/') + name : QString();
    archiveName_ = name;

    EncoderRunSpec spec;
    spec.previewWindow = preview_;
    spec.profileDir = g.programFolder + QStringLiteral("Profiles/");
    const EncoderSource source = DeviceSource(task.videoDevice, task.audioDevice, task.videoProfile, task.streamType == 1,
                                              task.checklogo);
    spec.sources.push_back(source);
    spec.archivePath = archivePath_;
    SetLiveTarget(spec, task.serverRecord, task.isLiveDrm, archiveName_);
    return spec;
}

void CLivecastDlg::MarkVideoDeviceInUse(const QString& device) {
    if (device == deviceInUse_) return;
    if (!deviceInUse_.isEmpty()) NotifyTaskList(kDeviceFree, deviceInUse_);
    deviceInUse_ = device;
    if (!device.isEmpty()) NotifyTaskList(kDeviceInUse, deviceInUse_);
}

void CLivecastDlg::OnEncoderStarted() {
    CLiveCastTask* task = Task();
    if (task) {
        LiveTaskSettings settings;
        settings.videoDevice = video_->currentText();
        settings.audioDevice = audio_->currentText();
        settings.videoProfile = quality_->currentText();
        settings.mserverName = server_->currentText();
        settings.streamType = task->streamType;
        settings.isLiveDrm = task->isLiveDrm;
        settings.checklogo = task->checklogo;
        settings.outputFile = save_->isChecked() ? task->outputFile : QString();
        WriteLiveTaskSettings(SettingsPath(), settings);
    }
    SetStatus(Globals().serverBroadcast ? kStatusRunning : kStatusLocalOnly);
}

void CLivecastDlg::OnStartFailed() { close_->setEnabled(true); }

void CLivecastDlg::OnConnectionLost() { close_->setEnabled(true); }

void CLivecastDlg::OnRunEnded() {
    if (CLiveCastTask* task = Task()) SvcStopLive(task->serverRecord.liveId);
    NotifyTaskList(kTaskStopped, TaskId());
    close_->setEnabled(true);
}

bool CLivecastDlg::RestartAfterLoss() const {
    const CLiveCastTask* task = Task();
    return task && task->reconn;
}
