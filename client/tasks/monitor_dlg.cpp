#include "client/tasks/monitor_dlg.h"

#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/encoder_choices.h"
#include "client/tasks/media_server_combo.h"
#include "client/tasks/generated_name.h"
#include "client/tasks/livecast_dlg.h"
#include "client/tasks/page_controls.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/watch_address.h"
#include "client/widgets/find_control.h"
#include "client/widgets/group_box.h"
#include "client/widgets/status_text.h"
#include "wavetap/devices.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

const QString CMonitorDlg::kWaitForStop = QStringLiteral("请等待当前任务停止再关闭");
const QString CMonitorDlg::kNoPlayFile = QStringLiteral("未指定播放文件！");

namespace {

constexpr QSize kDesignSize(700, 500);
const QString kHint = QStringLiteral("温馨提示：在地址栏点击鼠标右键，进行复制地址，即可发送给你的好友了！");

QString LocalPlayAddress() { return QStringLiteral("mms://") + Globals().userIp + QStringLiteral(":9100"); }

}  // namespace

CMonitorDlg::CMonitorDlg(QWidget* parent) : CEncoderTaskDlg(TASK_MONITOR, kDesignSize, parent) {
    BuildControls();
    SetButtons(start_, close_);
    ShowPageState();
}

CMonitorDlg::~CMonitorDlg() { Stop(); }

void CMonitorDlg::BuildControls() {
    const auto label = [this](const QString& text, const QRect& rect, Anchor a = kTopRight) {
        return AddLabel(this, text, rect, a);
    };
    const auto button = [this](const QString& text, int id, const QRect& rect) {
        return AddButton(this, text, id, rect);
    };
    const auto combo = [this](int id, const QString& name, const QRect& rect) { return AddCombo(this, id, name, rect); };
    const auto edit = [this](int id, const QString& name, const QRect& rect, bool readOnly) {
        return AddEdit(this, id, name, rect, readOnly);
    };

    preview_ = AddPreviewWindow(this, 1052, QRect(16, 16, 320, 240));

    auto* devices = new CDrawnGroupBox(QStringLiteral("选择设备"), this);
    Place(devices, QRect(352, 8, 332, 100), kTopRight, kTopRight);
    label(QStringLiteral("视频："), QRect(364, 36, 50, 24));
    video_ = combo(1143, QStringLiteral("视频设备"), QRect(414, 36, 170, 24));
    videoSettings_ = button(QStringLiteral("视频设置"), 1077, QRect(590, 36, 84, 24));
    label(QStringLiteral("音频："), QRect(364, 70, 50, 24));
    audio_ = combo(1144, QStringLiteral("音频设备"), QRect(414, 70, 170, 24));
    audioSettings_ = button(QStringLiteral("音频设置"), 1135, QRect(590, 70, 84, 24));

    auto* live = new CDrawnGroupBox(QStringLiteral("直播设置"), this);
    Place(live, QRect(352, 116, 332, 196), kTopRight, kTopRight);
    label(QStringLiteral("直播类型："), QRect(364, 144, 80, 24));
    streamType_ = combo(1137, QStringLiteral("直播类型"), QRect(448, 144, 226, 24));
    label(QStringLiteral("配置文件："), QRect(364, 176, 80, 24));
    quality_ = combo(1138, QStringLiteral("配置文件"), QRect(448, 176, 226, 24));
    label(QStringLiteral("开始时间："), QRect(364, 208, 80, 24));
    startTime_ = edit(1147, QStringLiteral("开始时间"), QRect(448, 208, 226, 24), true);
    label(QStringLiteral("结束时间："), QRect(364, 240, 80, 24));
    endTime_ = edit(1149, QStringLiteral("结束时间"), QRect(448, 240, 226, 24), false);
    endTime_->setPlaceholderText(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    label(QStringLiteral("运行时间："), QRect(364, 272, 80, 24));
    elapsed_ = edit(1148, QStringLiteral("运行时间"), QRect(448, 272, 226, 24), true);

    const auto row = [&](const QString& text, int editId, int playId, int y) {
        label(text, QRect(16, y, 80, 24), kTopLeft);
        auto* e = new QLineEdit(this);
        e->setReadOnly(true);
        Place(e, QRect(96, y, 488, 24), kTopLeft, kTopRight);
        SetControlId(e, editId, text);
        button(QStringLiteral("预览"), playId, QRect(590, y, 84, 24));
        return e;
    };
    watch_ = row(QStringLiteral("收看地址："), 1150, 1152, 328);
    output_ = row(QStringLiteral("输出文件："), 1151, 1153, 362);
    auto* hint = label(kHint, QRect(16, 396, 668, 24), kTopLeft);
    hint->setWordWrap(true);
    auto* status = new CStatusText(this);
    Place(status, QRect(16, 426, 668, 24), kTopLeft, kTopRight);
    SetControlId(status, 1155, QStringLiteral("状态"));
    SetRunDisplays(status, elapsed_);

    start_ = button(kStartCaption, 1010, QRect(404, 458, 88, 30));
    stop_ = button(QStringLiteral("停止"), 1013, QRect(500, 458, 88, 30));
    close_ = button(QStringLiteral("关闭"), 1076, QRect(596, 458, 88, 30));

    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(stop_, &QPushButton::clicked, this, [this] { RequestStop(); });
    connect(close_, &QPushButton::clicked, this, [this] { Close(); });
    connect(streamType_, &QComboBox::currentIndexChanged, this, [this] {
        audioOnly_ = streamType_->currentIndex() != 0;
        RefillQuality();
    });
    connect(video_, &QComboBox::currentIndexChanged, this, [this] { RefillQuality(); });
    connect(FindControlAs<QPushButton>(this, 1152), &QPushButton::clicked, this,
            [this] { PlayWatchAddress(watch_->text(), kNoWatchAddress, this); });
    connect(FindControlAs<QPushButton>(this, 1153), &QPushButton::clicked, this,
            [this] { PlayWatchAddress(output_->text(), kNoPlayFile, this); });
    connect(videoSettings_, &QPushButton::clicked, this, [this] { CallFilter(video_->currentText(), this, 0); });
    connect(audioSettings_, &QPushButton::clicked, this, [this] { CallFilter(audio_->currentText(), this, 1); });
}

void CMonitorDlg::OnSetUp() {
    {
        const QSignalBlocker blockVideo(video_);
        const QSignalBlocker blockType(streamType_);
        FillStreamTypes(streamType_, 0);
        FillVideoDevices(video_, QString());
    }
    FillAudioDevices(audio_, QString());
    qualityRefill_.Reset();
    RefillQuality();
    watch_->setText(LocalPlayAddress());
}

void CMonitorDlg::RefillQuality() {
    const bool screen = video_->currentText() == kScreenCaptureDevice;
    video_->setEnabled(!audioOnly_ && PageState() == kIdle);
    videoSettings_->setEnabled(!screen && !audioOnly_);
    const int type = audioOnly_ ? 1 : 0;
    qualityRefill_.Refill(quality_, type, screen);
}

void CMonitorDlg::SetSettingControlsEnabled(bool enabled) {
    for (QWidget* c : {static_cast<QWidget*>(streamType_), static_cast<QWidget*>(quality_),
                       static_cast<QWidget*>(audio_), static_cast<QWidget*>(startTime_),
                       static_cast<QWidget*>(elapsed_), static_cast<QWidget*>(endTime_)})
        c->setEnabled(enabled);
    video_->setEnabled(enabled && !audioOnly_);
}

void CMonitorDlg::ShowPageState() {
    const int state = PageState();
    start_->setEnabled(state == kIdle);
    stop_->setEnabled(state == kRunning);
    if (state == kIdle || state == kRunning) SetSettingControlsEnabled(state == kIdle);
}

void CMonitorDlg::StartTask() {
    if (PageState() != kIdle) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Globals().serverBroadcast = Globals().account.liveCount > 0;
    const QString end = endTime_->text().trimmed();
    const bool endValid = QDateTime::fromString(end, QStringLiteral("yyyy-MM-dd HH:mm:ss")).isValid();
    ArmAutoStop(endValid, end);
    SetSettingControlsEnabled(false);
    StartWorker(RunSpec());
    SetStatus(CLivecastDlg::kStatusStarting);
    QApplication::restoreOverrideCursor();
}

EncoderRunSpec CMonitorDlg::RunSpec() {
    const ClientGlobals& g = Globals();
    const QString folder = g.programFolder + QStringLiteral("save");
    QDir().mkpath(folder);
    archivePath_ = folder + QLatin1Char('/') + ArchiveFileName(audioOnly_);
    output_->setText(archivePath_);

    EncoderRunSpec spec;
    spec.previewWindow = preview_;
    spec.profileDir = g.programFolder + QStringLiteral("Profiles/");
    const EncoderSource source =
        DeviceSource(video_->currentText(), audio_->currentText(), quality_->currentText(), audioOnly_, 0);
    spec.sources.push_back(source);
    spec.archivePath = archivePath_;
    spec.author = g.account.comName;
    spec.copyright = g.account.comName;
    spec.description = g.contentAuthor;
    spec.title = archivePath_.mid(archivePath_.lastIndexOf(QLatin1Char('/')) + 1);
    // Only the local broadcast on port 9100: no server, no publishing point.
    spec.port = 8090;
    spec.registerBroadcast = [](const EncoderDrmKeys&) {
        return SvcStartLive(0, 0, QString(), QString(), QString(), LocalPlayAddress()) == 1;
    };
    return spec;
}

void CMonitorDlg::OnEncoderStarted() {
    startTime_->setText(NowText());
    SetStatus(Globals().serverBroadcast ? kStatusRunning : CLivecastDlg::kStatusLocalOnly);
}

void CMonitorDlg::OnRunEnded() {
    // The platform lists the home broadcast from startLive on; end it there too, so no
    // broadcast stays listed after the page has stopped.
    SvcStopLive(0);
}

void CMonitorDlg::Close() {
    if (WorkerRunning()) {
        ShowMessage(kWaitForStop, this);
        return;
    }
    Stop();
    SecondTimer()->stop();
    // No record: a fresh id, which matches no record, tells the view to drop the empty slot.
    const QString closeId = QStringLiteral("TASK_") + TimeAndNumber("%Y%m%d%H%M%S");
    NotifyTaskList(kTaskClosed, closeId);
}
