#include "client/tasks/derecord_dlg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/derecord_worker.h"
#include "client/tasks/encoder_choices.h"
#include "client/tasks/generated_name.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"
#include "client/tasks/task_settings.h"
#include "client/widgets/find_control.h"
#include "client/widgets/status_text.h"
#include "client/widgets/window_handle.h"
#include "platform/paths.h"
#include "platform/sync.h"
#include "wavetap/devices.h"
#include "wavetap/wavetap.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

namespace {

const QString kNoFolder = QStringLiteral("请设置保存路径！");
const QString kStarting = QStringLiteral("正在启动（启动时间与您的网速有关，大约需要15-40秒）");  // 141
const QString kRunning = QStringLiteral("正在运行");      // 124
const QString kStoppingText = QStringLiteral("正在停止");  // 145
const QString kStopped = QStringLiteral("已停止");        // 125
const QString kStartFailed = QStringLiteral("启动失败");  // 143
const QString kTimeText = QStringLiteral("yyyy-MM-dd HH:mm:ss");

constexpr QSize kDesignSize(660, 400);

QString NowText() { return QDateTime::currentDateTime().toString(kTimeText); }

QString ElapsedText(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 0);
    return QString::asprintf("%02lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

}  // namespace

CDerecordDlg::CDerecordDlg(QWidget* parent) : CBaseTaskDlg(TASK_LOCAL_RECORD, kDesignSize, parent) {
    handle_ = new CWindowHandle(this, [this](unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
        return OnMessage(msg, wParam, lParam);
    });
    const auto label = [this](const QString& text, const QRect& rect) {
        auto* l = new QLabel(text, this);
        Place(l, rect, kTopRight, kTopRight);
    };

    preview_ = new QLabel(this);
    preview_->setStyleSheet(QStringLiteral("background: black;"));
    Place(preview_, QRect(16, 16, 320, 240), kTopLeft, kBottomCenter);
    SetControlId(preview_, 1052, QStringLiteral("预览窗口"));

    constexpr int lx = 352, cx = 430, cw = 214;
    label(QStringLiteral("录制类型："), QRect(lx, 16, 78, 24));
    type_ = new QComboBox(this);
    Place(type_, QRect(cx, 16, cw, 24), kTopRight, kTopRight);
    SetControlId(type_, 1182, QStringLiteral("录制类型"));
    label(QStringLiteral("视频设备："), QRect(lx, 48, 78, 24));
    video_ = new QComboBox(this);
    Place(video_, QRect(cx, 48, cw, 24), kTopRight, kTopRight);
    SetControlId(video_, 1163, QStringLiteral("视频设备"));
    label(QStringLiteral("音频设备："), QRect(lx, 80, 78, 24));
    audio_ = new QComboBox(this);
    Place(audio_, QRect(cx, 80, cw, 24), kTopRight, kTopRight);
    SetControlId(audio_, 1164, QStringLiteral("音频设备"));
    label(QStringLiteral("录制质量："), QRect(lx, 112, 78, 24));
    quality_ = new QComboBox(this);
    Place(quality_, QRect(cx, 112, cw, 24), kTopRight, kTopRight);
    SetControlId(quality_, 1161, QStringLiteral("录制质量"));

    videoSetup_ = new QPushButton(QStringLiteral("视频设置"), this);
    Place(videoSetup_, QRect(lx, 144, 90, 26), kTopRight, kTopRight);
    SetControlId(videoSetup_, 1036, QStringLiteral("视频设置"));
    audioSetup_ = new QPushButton(QStringLiteral("音频设置"), this);
    Place(audioSetup_, QRect(lx + 98, 144, 90, 26), kTopRight, kTopRight);
    SetControlId(audioSetup_, 1021, QStringLiteral("音频设置"));
    logo_ = new QCheckBox(QStringLiteral("添加LOGO"), this);
    Place(logo_, QRect(lx + 196, 144, 100, 26), kTopRight, kTopRight);
    SetControlId(logo_, 1167, QStringLiteral("添加LOGO"));

    autoBegin_ = new QCheckBox(QStringLiteral("是否自动开始"), this);
    Place(autoBegin_, QRect(lx, 180, 110, 24), kTopRight, kTopRight);
    SetControlId(autoBegin_, 1030, QStringLiteral("是否自动开始"));
    beginDate_ = new QDateEdit(QDate::currentDate(), this);
    beginDate_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    Place(beginDate_, QRect(lx + 112, 180, 100, 24), kTopRight, kTopRight);
    SetControlId(beginDate_, 1096, QStringLiteral("开始日期"));
    beginClock_ = new QTimeEdit(QTime::currentTime(), this);
    beginClock_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    Place(beginClock_, QRect(lx + 216, 180, 76, 24), kTopRight, kTopRight);
    SetControlId(beginClock_, 1048, QStringLiteral("开始时间"));
    autoStop_ = new QCheckBox(QStringLiteral("是否自动结束"), this);
    Place(autoStop_, QRect(lx, 212, 110, 24), kTopRight, kTopRight);
    SetControlId(autoStop_, 1042, QStringLiteral("是否自动结束"));
    endDate_ = new QDateEdit(QDate::currentDate(), this);
    endDate_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    Place(endDate_, QRect(lx + 112, 212, 100, 24), kTopRight, kTopRight);
    SetControlId(endDate_, 1097, QStringLiteral("结束日期"));
    endClock_ = new QTimeEdit(QTime::currentTime(), this);
    endClock_->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    Place(endClock_, QRect(lx + 216, 212, 76, 24), kTopRight, kTopRight);
    SetControlId(endClock_, 1044, QStringLiteral("结束时间"));

    label(QStringLiteral("保存目录："), QRect(lx, 248, 78, 24));
    folder_ = new QLineEdit(this);
    Place(folder_, QRect(cx, 248, cw, 24), kTopRight, kTopRight);
    SetControlId(folder_, 1022, QStringLiteral("保存目录"));
    browse_ = new QPushButton(QStringLiteral("保存位置"), this);
    Place(browse_, QRect(cx, 280, 90, 26), kTopRight, kTopRight);
    SetControlId(browse_, 1172, QStringLiteral("保存位置"));
    play_ = new QPushButton(QStringLiteral("预览"), this);
    Place(play_, QRect(cx + 98, 280, 90, 26), kTopRight, kTopRight);
    SetControlId(play_, 1135, QStringLiteral("预览"));

    elapsed_ = new QLineEdit(ElapsedText(0), this);
    elapsed_->setReadOnly(true);
    elapsed_->setAlignment(Qt::AlignCenter);
    elapsed_->setFont(QFont(QStringLiteral("Arial"), 18));
    Place(elapsed_, QRect(16, 268, 320, 40), kBottomLeft, kBottomCenter);
    SetControlId(elapsed_, 1028, QStringLiteral("录制时间"));
    status_ = new CStatusText(this);
    Place(status_, QRect(16, 320, 628, 24), kBottomLeft, kBottomRight);
    SetControlId(status_, 1019, QStringLiteral("状态"));

    start_ = new QPushButton(kStartCaption, this);
    exit_ = new QPushButton(QStringLiteral("退出录制"), this);
    Place(start_, QRect(458, 356, 90, 30), kBottomRight, kBottomRight);
    Place(exit_, QRect(554, 356, 90, 30), kBottomRight, kBottomRight);
    SetControlId(start_, 1010, kStartCaption);
    SetControlId(exit_, 1076, QStringLiteral("退出录制"));
    SetButtons(start_, exit_);

    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(exit_, &QPushButton::clicked, this, [this] { Close(); });
    connect(browse_, &QPushButton::clicked, this, [this] { ChooseFolder(); });
    connect(play_, &QPushButton::clicked, this, [this] { PlayArchive(); });
    connect(videoSetup_, &QPushButton::clicked, this, [this] { CallFilter(video_->currentText(), this, 0); });
    connect(audioSetup_, &QPushButton::clicked, this, [this] { CallFilter(audio_->currentText(), this, 1); });
    connect(autoBegin_, &QCheckBox::toggled, this, [this] { StoreBeginTime(); });
    connect(beginDate_, &QDateEdit::dateChanged, this, [this] { StoreBeginTime(); });
    connect(beginClock_, &QTimeEdit::timeChanged, this, [this] { StoreBeginTime(); });
    connect(autoStop_, &QCheckBox::toggled, this, [this] { StoreEndTime(); });
    connect(endDate_, &QDateEdit::dateChanged, this, [this] { StoreEndTime(); });
    connect(endClock_, &QTimeEdit::timeChanged, this, [this] { StoreEndTime(); });
    connect(logo_, &QCheckBox::toggled, this, [this](bool on) {
        if (CLiveCastTask* task = Task()) task->checklogo = on ? 1 : 0;
    });
    connect(type_, &QComboBox::currentIndexChanged, this, [this] { OnTypeChanged(); });
    connect(video_, &QComboBox::currentIndexChanged, this, [this] { OnVideoDeviceChanged(); });
    connect(SecondTimer(), &QTimer::timeout, this, [this] { OnTimer(); });
    SecondTimer()->start();
}

CDerecordDlg::~CDerecordDlg() { Stop(); }

CLiveCastTask* CDerecordDlg::Task() const { return dynamic_cast<CLiveCastTask*>(Record()); }

QObject* CDerecordDlg::WindowHandle() const { return handle_; }

QString CDerecordDlg::ConfigurePath() const { return Globals().programFolder + QStringLiteral("configure.ini"); }

void CDerecordDlg::OnSetUp() {
    const RecordTaskSettings settings = ReadRecordTaskSettings(ConfigurePath());
    CLiveCastTask* task = Task();
    if (task) {
        task->streamType = settings.streamType;
        task->outputFile = settings.outputFile;
        task->checklogo = settings.checklogo;
    }
    folder_->setText(settings.outputFile);
    outputFolder_ = settings.outputFile;
    logo_->setChecked(settings.checklogo != 0);

    const QSignalBlocker typeBlock(type_), videoBlock(video_);
    FillStreamTypes(type_, settings.streamType);
    FillVideoDevices(video_, settings.videoDevice);
    FillAudioDevices(audio_, settings.audioDevice);
    qualityRefill_.Reset();
    RefillQualities();
    const int remembered = quality_->findText(settings.videoProfile, Qt::MatchFixedString);
    if (!settings.videoProfile.isEmpty() && remembered >= 0) quality_->setCurrentIndex(remembered);
    OnVideoDeviceChanged();

    if (task) {
        autoBeginArmed_ = task->autoBegin != 0;
        autoStopArmed_ = task->autoStop != 0;
    }
}

void CDerecordDlg::RefillQualities() {
    const int streamType = StreamTypeOfText(type_->currentText());
    const bool screen = video_->currentText() == kScreenCaptureDevice;
    video_->setEnabled(streamType != 1 && pageState_ == 4);
    videoSetup_->setEnabled(streamType != 1 && !screen);
    qualityRefill_.Refill(quality_, streamType, screen);
}

void CDerecordDlg::OnTypeChanged() {
    const int streamType = StreamTypeOfText(type_->currentText());
    if (CLiveCastTask* task = Task()) task->streamType = streamType;
    audioOnly_ = streamType;
    RefillQualities();
}

void CDerecordDlg::OnVideoDeviceChanged() {
    RefillQualities();
    // The device this page shows is held in use for the other pages.
    const QString device = video_->currentText();
    if (device == markedDevice_) return;
    if (!markedDevice_.isEmpty()) NotifyTaskList(kDeviceFree, markedDevice_);
    markedDevice_ = device;
    if (CLiveCastTask* task = Task()) task->videoDevice = device;
    if (!device.isEmpty()) NotifyTaskList(kDeviceInUse, device);
}

void CDerecordDlg::StoreBeginTime() {
    CLiveCastTask* task = Task();
    const bool on = autoBegin_->isChecked();
    if (on && task) task->beginTime = beginDate_->date().toString("yyyy-MM-dd ") + beginClock_->time().toString("HH:mm:ss");
    if (task) task->autoBegin = on ? 1 : 0;
    autoBeginArmed_ = on;
}

void CDerecordDlg::StoreEndTime() {
    CLiveCastTask* task = Task();
    const bool on = autoStop_->isChecked();
    if (on && task) task->endTime = endDate_->date().toString("yyyy-MM-dd ") + endClock_->time().toString("HH:mm:ss");
    if (task) task->autoStop = on ? 1 : 0;
    autoStopArmed_ = on;
}

void CDerecordDlg::ChooseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Select a directory:"), folder_->text(),
                                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (!folder.isEmpty()) folder_->setText(folder);
}

void CDerecordDlg::PlayArchive() {
    if (!archivePath_.isEmpty()) platform::ShellOpen(archivePath_);
}

void CDerecordDlg::SetCombosEnabled(bool enabled) {
    for (QWidget* combo : {static_cast<QWidget*>(type_), static_cast<QWidget*>(quality_), static_cast<QWidget*>(audio_)})
        combo->setEnabled(enabled);
    video_->setEnabled(enabled && StreamTypeOfText(type_->currentText()) != 1);
}

void CDerecordDlg::StartTask() {
    if (pageState_ != 4) return;
    CLiveCastTask* task = Task();
    if (!task) return;
    audioOnly_ = type_->currentIndex() != 0 ? 1 : 0;
    task->audioDevice = audio_->currentText();
    task->videoProfile = quality_->currentText();
    if (!audioOnly_) task->videoDevice = video_->currentText();
    exit_->setEnabled(false);
    task->outputFile = folder_->text();
    outputFolder_ = task->outputFile;
    if (outputFolder_.isEmpty()) {
        ShowMessage(kNoFolder, this);
        exit_->setEnabled(true);  // nothing started: the page stays closable
        return;
    }
    pageState_ = 0;
    start_->setEnabled(true);
    status_->SetText(kStarting);
    NotifyTaskList(kTaskStarted, TaskId());
    SetCombosEnabled(false);
    const QString name = LocalTimeText("%Y%m%d%H%M%S") + (audioOnly_ ? QStringLiteral(".wma") : QStringLiteral(".wmv"));
    archivePath_ = outputFolder_ + (outputFolder_.endsWith('/') ? QString() : QStringLiteral("/")) + name;
    archiveName_ = name;

    LocalRecording recording;
    recording.videoDevice = task->videoDevice;
    recording.audioDevice = task->audioDevice;
    recording.videoProfile = task->videoProfile;
    recording.streamType = audioOnly_;
    recording.checklogo = task->checklogo;
    recording.archivePath = archivePath_;
    recording.profileDir = Globals().programFolder + QStringLiteral("Profiles/");
    recording.author = Globals().account.comName;
    recording.description = Globals().contentAuthor;
    recording.owner = handle_;
    recording.previewWindow = preview_;
    stopEvent_ = std::make_shared<platform::Event>(true, false);
    worker_ = new CDerecordWorker(std::move(recording), stopEvent_, this);
    worker_->start();
    start_->setText(kStopCaption);
}

void CDerecordDlg::WriteRecordSettings() {
    CLiveCastTask* task = Task();
    if (!task) return;
    RecordTaskSettings settings;
    settings.streamType = task->streamType;
    settings.checklogo = task->checklogo;
    settings.videoDevice = video_->currentText();
    settings.audioDevice = audio_->currentText();
    settings.videoProfile = quality_->currentText();
    settings.autoBegin = task->autoBegin;
    settings.beginTime = task->beginTime;
    settings.autoStop = task->autoStop;
    settings.endTime = task->endTime;
    settings.isRecord = task->isRecord;
    settings.outputFile = task->outputFile;
    WriteRecordTaskSettings(ConfigurePath(), settings);
}

platform::LRESULT CDerecordDlg::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
    if (msg != WM_WAVETAP_NOTIFY) return 0;
    switch (wParam) {
    case WM_WAVETAP_START:
        if (pageState_ != 0) break;  // a stop is already under way
        WriteRecordSettings();
        startTime_ = QDateTime::currentSecsSinceEpoch();
        pageState_ = 2;
        start_->setEnabled(true);
        status_->SetText(kRunning);
        break;
    case WM_WAVETAP_STOP:
        exit_->setEnabled(true);
        Stop();
        break;
    case WM_WAVETAP_PREPARE_FAIL:
        Stop();
        status_->SetText(kStartFailed);
        exit_->setEnabled(true);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        Stop();
        QApplication::restoreOverrideCursor();
        break;
    default: break;
    }
    return 0;
}

void CDerecordDlg::Stop() {
    stopping_ = 1;
    if (pageState_ == 2 || pageState_ == 0) {
        pageState_ = 3;
        start_->setEnabled(true);
        status_->SetText(kStoppingText);
        if (stopEvent_) stopEvent_->Set();
        // The encoder's notifications arrive as messages: keep them flowing while waiting.
        while (worker_ && !worker_->wait(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        SetCombosEnabled(true);
        start_->setText(kStartCaption);
        stopEvent_.reset();
        delete worker_.data();
        NotifyTaskList(kTaskStopped, TaskId());
        pageState_ = 4;
        start_->setEnabled(true);
        exit_->setEnabled(true);
        status_->SetText(kStopped);
    }
    stopping_ = 0;
}

void CDerecordDlg::OnTimer() {
    const CLiveCastTask* task = Task();
    if (!task) return;
    if (pageState_ == 2) {
        elapsed_->setText(ElapsedText(QDateTime::currentSecsSinceEpoch() - startTime_));
        if (autoStopArmed_ && NowText() >= task->endTime) {
            Stop();
            autoStopArmed_ = false;
        }
    } else if (pageState_ == 4 && autoBeginArmed_ && NowText() >= task->beginTime) {
        autoBeginArmed_ = false;
        Start();
    }
}
