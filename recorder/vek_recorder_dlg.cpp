#include "recorder/vek_recorder_dlg.h"

#include "client/shell/message_box.h"
#include "client/widgets/find_control.h"
#include "client/widgets/window_handle.h"
#include "platform/paths.h"
#include "platform/sync.h"
#include "recorder/recorder_devices.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_messages.h"
#include "recorder/recorder_service.h"
#include "recorder/recorder_set_dlg.h"
#include "recorder/recorder_settings.h"
#include "recorder/recorder_show_dlg.h"
#include "recorder/recorder_trace.h"
#include "recorder/recording_thread.h"
#include "recorder/show_list_edit.h"
#include "recorder/upload_thread.h"
#include "recorder/web_settings.h"
#include "recorder/web_sync_thread.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace recorder_settings;

namespace {

const QString kStartCaption = QStringLiteral("准备录制");
const QString kStopCaption = QStringLiteral("停止录制");

// Shows the wait cursor while it lives.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

int AskRecorder(const QString& text) {
    return AskMessage(text, MsgButtons::YesNo, MsgIcon::Question, QString::fromUtf8(kRecorderCaption), nullptr);
}

}  // namespace

CVEKRecorderDlg::CVEKRecorderDlg() {
    setObjectName(QStringLiteral("CVEKRecorderDlg"));
    handle_ = new CWindowHandle(this, [this](unsigned msg, platform::WPARAM w, platform::LPARAM l) {
        return OnMessage(msg, w, l);
    });
}

CVEKRecorderDlg::~CVEKRecorderDlg() {
    if (worker_) {
        // Closed without the exit button: the worker ends the show as a stop does (its file
        // is kept and queued) and ends before its list goes.
        stopRequested_ = 1;
        Recorder().exitRequested = 1;
        WaitForRecordingWorker();
        worker_.reset();
    }
    if (syncWorker_ || uploadWorker_) {
        Recorder().exitRequested = 1;
        StopBackgroundWorkers();
    }
    Recorder().updateEvent.reset();
}

QObject* CVEKRecorderDlg::WindowHandle() const { return handle_; }

bool CVEKRecorderDlg::Create(QWidget* parent) {
    setParent(parent);
    BuildWindow();
    StartUp();
    return true;
}

void CVEKRecorderDlg::BuildWindow() {
    // Steps 1 and 2: the locks live in RecorderGlobals; the files lie in the program folder.
    programFolder_ = platform::GetProgramFolder();
    Recorder().programFolder = programFolder_;
    settings_.SetPath(programFolder_ + kFileName);
    showFile_ = std::make_unique<ShowListFile>(programFolder_ + kShowListFile, Recorder().fileLock);

    auto* layout = new QHBoxLayout(this);
    tabs_ = new QTabWidget(this);
    SetControlId(tabs_, 1000, QStringLiteral("录制"));
    layout->addWidget(tabs_, 1);

    auto* side = new QVBoxLayout;
    preview_ = new QLabel(this);
    SetControlId(preview_, 1085, QStringLiteral("预览"));
    preview_->setFixedSize(240, 180);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setFrameShape(QFrame::Box);
    side->addWidget(preview_);
    startButton_ = new QPushButton(kStartCaption, this);
    SetControlId(startButton_, 1002, kStartCaption);
    liveButton_ = new QPushButton(QStringLiteral("直播"), this);
    SetControlId(liveButton_, 1003, QStringLiteral("直播"));
    liveButton_->setEnabled(false);
    exitButton_ = new QPushButton(QStringLiteral("退出录制"), this);
    SetControlId(exitButton_, 2, QStringLiteral("退出录制"));
    for (QPushButton* button : {startButton_, liveButton_, exitButton_}) side->addWidget(button);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("statusText"));
    status_->setWordWrap(true);
    status_->setMaximumWidth(240);
    channelLabel_ = new QLabel(this);
    channelLabel_->setObjectName(QStringLiteral("channelName"));
    side->addWidget(channelLabel_);
    side->addWidget(status_);
    side->addStretch();
    layout->addLayout(side);
    setMinimumSize(960, 720);

    connect(startButton_, &QPushButton::clicked, this, [this] { OnStartStop(); });
    connect(exitButton_, &QPushButton::clicked, this, [this] { OnExit(); });
}

void CVEKRecorderDlg::StartUp() {
    // Step 3.
    const QString recorderState = settings_.ReadString(kShowList, kRecorderState);
    (void)recorderState;
    const QString deviceV = settings_.ReadString(kSettingPage, kDeviceV);

    // Step 4: the two pages, each initialised as it opens.
    setPage_ = new CRecorderSetDlg(settings_.path, programFolder_, tabs_);
    setPage_->Init(ListRecorderDevices());
    const QString serverUrl = settings_.ReadString(kServer, kUrl);
    showPage_ = new CRecorderShowDlg(*showFile_, {RecorderService::ServiceEndpoint(serverUrl), settings_.path}, tabs_);
    showPage_->LoadShowList(false);
    tabs_->addTab(setPage_, QStringLiteral("录制设置"));
    tabs_->addTab(showPage_, QStringLiteral("录制内容"));
    tabs_->setCurrentIndex(deviceV.isEmpty() ? 0 : 1);
    ShowIdlePicture();

    // Step 5.
    fileQueuedEvent_ = std::make_shared<platform::Event>(true, false);

    // Step 6.
    if (serverUrl.isEmpty()) {
        ShowMessage(QStringLiteral("服务器配置不能为空！"), QString::fromUtf8(kRecorderCaption), MsgIcon::Warning, this);
        return;
    }
    // Step 7.
    Recorder().serviceEndpoint = RecorderService::ServiceEndpoint(serverUrl);
    // Step 8.
    LoadWebSettings();
    // Step 9.
    for (int day = 0; day < 8; ++day) {
        for (int channel = 0; channel < std::min(Recorder().channelCount.load(), kMaxRecorderChannels); ++channel)
            Recorder().weekRefresh[day][channel] = day == 0 ? 0 : 1;
    }
    // Step 10: "直播" stays disabled (see BuildWindow).
    // Step 11.
    StartWorkers();
}

void CVEKRecorderDlg::LoadWebSettings() { ::LoadWebSettings(programFolder_ + kWebShowListFile, ftp_); }

void CVEKRecorderDlg::StartWorkers() {
    // The events exist before the workers that wait on them. An earlier control of this
    // process may have left them signalled at its exit.
    Recorder().stopEvent = platform::Event::Named(QStringLiteral("stopevent"), true, false);
    Recorder().updateEvent = platform::Event::Named(QStringLiteral("Updateevent"), true, false);
    Recorder().stopEvent->Reset();
    Recorder().updateEvent->Reset();

    auto status = [this](const QString& text) {
        QMetaObject::invokeMethod(this, [this, text] { SetStatusText(text); }, Qt::QueuedConnection);
    };
    WebSyncSetup sync;
    sync.rebuild.showFile = showFile_.get();
    sync.rebuild.webFile = programFolder_ + kWebShowListFile;
    sync.rebuild.ftp = &ftp_;
    sync.rebuild.showChannelName = [this](const QString& name) {
        QMetaObject::invokeMethod(this, [this, name] { channelLabel_->setText(name); }, Qt::QueuedConnection);
    };
    sync.rebuild.clock = clock_;
    sync.endpoint = Recorder().serviceEndpoint;
    sync.updateEvent = Recorder().updateEvent;
    sync.scheduleRebuilt = [this] {
        QMetaObject::invokeMethod(this, [this] { showPage_->ReloadList(); }, Qt::QueuedConnection);
    };
    syncWorker_ = std::make_unique<CWebSyncThread>(std::move(sync));
    syncWorker_->start();

    UploadWorkerSetup upload;
    upload.owner = handle_;
    upload.account = [this] { return ftp_.Get(); };
    upload.uploading = &uploading_;
    upload.uploadDone = &uploadDone_;
    upload.status = status;
    upload.queueFile = programFolder_ + kUploadQueueFile;
    upload.endpoint = Recorder().serviceEndpoint;
    upload.stopEvent = Recorder().stopEvent;
    uploadWorker_ = std::make_unique<CUploadThread>(std::move(upload));
    uploadWorker_->start();
}

void CVEKRecorderDlg::StopBackgroundWorkers() {
    for (QThread* thread : {static_cast<QThread*>(syncWorker_.get()), static_cast<QThread*>(uploadWorker_.get())}) {
        if (!thread) continue;
        while (!thread->wait(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
    }
    syncWorker_.reset();
    uploadWorker_.reset();
}

void CVEKRecorderDlg::SetStatusText(const QString& text) {
    statusText_ = text;
    status_->setText(text);
}

QString CVEKRecorderDlg::ChannelName() const { return channelLabel_->text(); }

void CVEKRecorderDlg::ShowIdlePicture() {
    if (Recorder().recordingArmed) return;
    // The picture lies beside the program, whatever the current directory is.
    const QPixmap picture(programFolder_ + kIdlePicture);
    if (!picture.isNull()) preview_->setPixmap(picture.scaled(preview_->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    preview_->update();
}

void CVEKRecorderDlg::LockRecordingControls(bool locked) {
    showPage_->ClearButton()->setEnabled(!locked);
    setPage_->VideoCombo()->setEnabled(!locked);
    setPage_->AudioCombo()->setEnabled(!locked);
}

platform::LRESULT CVEKRecorderDlg::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
    switch (msg) {
    case WM_RECORDER_ENCODER:
        if (wParam == 0) {
            exitButton_->setEnabled(true);
            RecorderTrace(QStringLiteral("WM_WAVETAP_STOP"));
        } else if (wParam == 6) {
            recorderState_ = kEncoderRunning;
            startButton_->setEnabled(true);
        } else if (wParam == 7) {
            RecorderTrace(QStringLiteral("WM_WAVETAP_PREPARE_FAIL"));
            exitButton_->setEnabled(true);
        }
        return 0;
    case WM_RECORDER_FTP_PROGRESS:
        if (lParam == 100) uploadDone_ = 100;
        return 0;
    case WM_RECORDER_LOCK_CONTROLS:
        LockRecordingControls(wParam != 0);
        return 0;
    case WM_RECORDER_ENABLE_EXIT:
        exitButton_->setEnabled(true);
        return 0;
    default:
        return 0;
    }
}

void CVEKRecorderDlg::OnStartStop() {
    if (stopping_) return;
    if (startButton_->text() == kStartCaption)
        StartRecording();
    else
        StopRecording();
}

void CVEKRecorderDlg::StartRecording() {
    recorderState_ = kArmed;
    stopRequested_ = 0;
    Recorder().recordingArmed = 1;
    if (!fileQueuedEvent_) fileQueuedEvent_ = std::make_shared<platform::Event>(true, false);
    RecordingWorkerSetup setup;
    setup.owner = handle_;
    setup.preview = preview_;
    setup.list = &showPage_->Store();
    setup.file = showFile_.get();
    setup.settingsPath = settings_.path;
    setup.programFolder = programFolder_;
    setup.queueFile = programFolder_ + kUploadQueueFile;
    setup.fileQueued = fileQueuedEvent_;
    setup.stopRequested = &stopRequested_;
    setup.clock = clock_;
    worker_ = std::make_unique<CRecordingThread>(std::move(setup));
    worker_->start();
    exitButton_->setEnabled(false);
    startButton_->setText(kStopCaption);
    startButton_->setAccessibleName(kStopCaption);
    settings_.WriteString(kShowList, kRecorderState, kStartCaption);
}

void CVEKRecorderDlg::StopRecording() {
    const bool active = recorderState_ == kArmed || recorderState_ == kEncoderRunning;
    int answer = IDNO;
    {
        WaitCursor busy;
        answer = AskRecorder(active ? QStringLiteral("正在录制中!确定要停止吗?") : QStringLiteral("确定要停止吗?"));
    }
    if (answer == IDYES) {
        Recorder().recordingArmed = 0;
        stopRequested_ = 1;
        if (active) {
            // The buttons come back when the worker has ended, so that no second stop or
            // exit runs inside this wait.
            stopping_ = true;
            recorderState_ = kStopping;
            startButton_->setEnabled(false);
            exitButton_->setEnabled(false);
            if (fileQueuedEvent_) fileQueuedEvent_->Set();
            {
                WaitCursor busy;
                WaitForRecordingWorker();
            }
            startButton_->setText(kStartCaption);
            startButton_->setAccessibleName(kStartCaption);
            LockRecordingControls(false);
            fileQueuedEvent_.reset();
            worker_.reset();
            recorderState_ = kStopped;
            startButton_->setEnabled(true);
            stopping_ = false;
        }
        exitButton_->setEnabled(true);
        ShowIdlePicture();
    }
    stopRequested_ = 0;
}

void CVEKRecorderDlg::WaitForRecordingWorker() {
    if (!worker_) return;
    while (!worker_->wait(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 30);
    QCoreApplication::processEvents();
}

void CVEKRecorderDlg::OnExit() {
    if (stopping_) return;
    const QString question = uploading_ ? QStringLiteral("正在上传文件中!确定要退出吗?") : QStringLiteral("确定要退出吗?");
    if (AskRecorder(question) != IDYES) return;
    if (Recorder().stopEvent) {
        Recorder().stopEvent->Set();
        if (Recorder().updateEvent) Recorder().updateEvent->Set();
        fileQueuedEvent_.reset();
        Recorder().updateEvent.reset();
    }
    Recorder().exitRequested = 1;
    // Every worker ends before the host hears of the exit and before anything they use
    // goes away.
    {
        WaitCursor busy;
        WaitForRecordingWorker();
        StopBackgroundWorkers();
    }
    worker_.reset();
    // The host may destroy the control while it handles the message: nothing after it.
    platform::SendMessage(hostWindow_.data(), WM_TASKLIST, 1, 0);
}
