#include "client/tasks/encoder_task_dlg.h"

#include "client/shell/client_globals.h"
#include "client/widgets/status_text.h"
#include "client/widgets/window_handle.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QTimer>

const QString CEncoderTaskDlg::kStatusRunning = QStringLiteral("正在运行");        // 124
const QString CEncoderTaskDlg::kStatusStopping = QStringLiteral("正在停止");       // 145
const QString CEncoderTaskDlg::kStatusStopped = QStringLiteral("已停止");          // 125
const QString CEncoderTaskDlg::kStatusStartFail = QStringLiteral("启动失败");      // 143
const QString CEncoderTaskDlg::kStatusNetBroken = QStringLiteral("网络连接中断！");  // 184
const QString CEncoderTaskDlg::kStatusNoLiveBalance =
    QStringLiteral("您没有足够的余额向服务器直播,只能从本机直播！");  // 149

CEncoderTaskDlg::CEncoderTaskDlg(int pageKind, const QSize& designSize, QWidget* parent)
    : CBaseTaskDlg(pageKind, designSize, parent) {
    connect(SecondTimer(), &QTimer::timeout, this, [this] { Tick(); });
    SecondTimer()->start();
}

CEncoderTaskDlg::~CEncoderTaskDlg() {
    // A page destroyed with its run still going (the window closing) ends the run first,
    // so no worker outlives the page that owns its stop event.
    if (stopEvent_) stopEvent_->Set();
    if (worker_) {
        while (!worker_->wait(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        delete worker_.data();
    }
}

QString CEncoderTaskDlg::NowText() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool CEncoderTaskDlg::TimeReached(const QString& now, const QString& target) { return now.compare(target) >= 0; }

void CEncoderTaskDlg::ArmAutoBegin(bool armed, const QString& beginTime) {
    autoBeginArmed_ = armed;
    beginTime_ = beginTime;
}

void CEncoderTaskDlg::ArmAutoStop(bool armed, const QString& endTime) {
    autoStopArmed_ = armed;
    endTime_ = endTime;
}

void CEncoderTaskDlg::SetRunDisplays(CStatusText* status, QLineEdit* elapsed) {
    status_ = status;
    elapsed_ = elapsed;
}

void CEncoderTaskDlg::SetStatus(const QString& text) {
    if (status_) status_->SetText(text);
}

void CEncoderTaskDlg::SetPageState(int state) {
    pageState_ = state;
    ShowPageState();
}

void CEncoderTaskDlg::StartWorker(EncoderRunSpec spec) {
    netBroken_ = false;
    if (runHandle_) runHandle_->deleteLater();
    const int run = ++runNumber_;
    runHandle_ = new CWindowHandle(this, [this, run](unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
        return OnOwnerMessage(run, msg, wParam);
    });
    spec.owner = runHandle_.data();
    SetPageState(kStarting);
    stopEvent_ = std::make_shared<platform::Event>(true, false);
    auto* worker = new CEncoderWorker(std::move(spec), stopEvent_);
    worker_ = worker;
    worker->start();
}

platform::LRESULT CEncoderTaskDlg::OnOwnerMessage(int run, unsigned msg, platform::WPARAM code) {
    if (msg != WM_WAVETAP_NOTIFY || run != runNumber_) return 0;
    switch (code) {
    case WM_WAVETAP_START:
        if (pageState_ != kStarting) break;  // the run is already being stopped
        startTime_ = QDateTime::currentSecsSinceEpoch();
        SetPageState(kRunning);
        OnEncoderStarted();
        break;
    case WM_WAVETAP_STOP: {
        // The run ended by itself (not by Stop, which stops the encoder without this code).
        const bool endedByItself = (pageState_ == kRunning || pageState_ == kStarting) && !stopping_;
        Stop();
        if (endedByItself && netBroken_ && RestartAfterLoss()) Start();
        break;
    }
    case WM_WAVETAP_PREPARE_FAIL:
        if (pageState_ != kStarting && pageState_ != kRunning) break;
        Stop();
        SetStatus(kStatusStartFail);
        OnStartFailed();
        break;
    case WM_WAVETAP_GROUP_ACTIVE: OnGroupActive(); break;
    case WM_WAVETAP_NO_CONNECTION:
        netBroken_ = true;
        SetStatus(kStatusNetBroken);
        OnConnectionLost();
        break;
    default: break;
    }
    return 0;
}

void CEncoderTaskDlg::Stop() {
    stopping_ = 1;
    if (pageState_ == kRunning || pageState_ == kStarting) {
        SetPageState(kStopping);
        SetStatus(kStatusStopping);
        if (stopEvent_) stopEvent_->Set();
        // The encoder's events arrive as messages on both threads: keep dispatching here
        // while the worker stops it.
        while (worker_ && !worker_->wait(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        SetSettingControlsEnabled(true);
        delete worker_.data();
        stopEvent_.reset();
        OnRunEnded();
        SetPageState(kIdle);
        SetStatus(kStatusStopped);
    }
    stopping_ = 0;
}

void CEncoderTaskDlg::Tick() {
    const QString now = NowText();
    if (pageState_ == kRunning) {
        const qint64 seconds = std::max<qint64>(0, QDateTime::currentSecsSinceEpoch() - startTime_);
        if (elapsed_)
            elapsed_->setText(QStringLiteral("%1:%2:%3")
                                  .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                                  .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                  .arg(seconds % 60, 2, 10, QLatin1Char('0')));
        if (autoStopArmed_ && TimeReached(now, endTime_)) {
            autoStopArmed_ = false;
            RequestStop();
        }
    } else if (pageState_ == kIdle && autoBeginArmed_ && TimeReached(now, beginTime_)) {
        autoBeginArmed_ = false;
        Start();
    }
    // A server broadcast ends when the account's live minutes run out.
    if (StopsWhenLiveRunsOut() && Globals().serverBroadcast && Globals().account.liveCount == 0 &&
        pageState_ == kRunning) {
        RequestStop();
        SetStatus(kStatusNoLiveBalance);
    }
    OnTick();
}
