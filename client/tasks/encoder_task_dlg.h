#pragma once
// The base of the pages that run a live encoder (live broadcast, monitor, file and
// multi-source broadcasts): the page state, the worker thread that owns the encoder and
// its stop event, the encoder's owner codes, Stop, and the one-second timer with the
// elapsed time and the automatic start and stop.
//
//   idle (4) --Start--> starting (0) --code 6--> running (2) --Stop--> stopping (3) --> idle
//   code 7 (start failed): Stop, "启动失败"
//   code 8 (connection lost): "网络连接中断！"; the code 0 that follows stops the page and,
//   when RestartAfterLoss() holds, starts it again.

#include "client/tasks/base_task_dlg.h"
#include "client/tasks/encoder_worker.h"
#include "platform/messages.h"

#include <QPointer>
#include <QString>

#include <memory>

class CStatusText;
class CWindowHandle;
class QLineEdit;

class CEncoderTaskDlg : public CBaseTaskDlg {
    Q_OBJECT
public:
    enum PageStateValue : int { kStarting = 0, kRunning = 2, kStopping = 3, kIdle = 4 };

    ~CEncoderTaskDlg() override;

    int PageState() const { return pageState_; }
    bool NetBroken() const { return netBroken_; }
    bool WorkerRunning() const { return worker_ != nullptr; }
    void Stop() override;

    // The local time as the schedule compares it: "%Y-%m-%d %H:%M:%S".
    static QString NowText();
    // True when `now` is at or after `target` (both in that form; compared as text).
    static bool TimeReached(const QString& now, const QString& target);

    static const QString kStatusRunning;    // "正在运行"
    static const QString kStatusStopping;   // "正在停止"
    static const QString kStatusStopped;    // "已停止"
    static const QString kStatusStartFail;  // "启动失败"
    static const QString kStatusNetBroken;  // "网络连接中断！"
    static const QString kStatusNoLiveBalance;  // 149

protected:
    CEncoderTaskDlg(int pageKind, const QSize& designSize, QWidget* parent);

    // Starts the run: pageState 0, a fresh stop event and the worker with `spec` (its
    // owner is set here).
    void StartWorker(EncoderRunSpec spec);
    void SetPageState(int state);

    // The schedule the timer follows (from the record, or the page's own boxes).
    void ArmAutoBegin(bool armed, const QString& beginTime);
    void ArmAutoStop(bool armed, const QString& endTime);
    qint64 StartTime() const { return startTime_; }
    // The page's status text and running-time box, which the run writes to.
    void SetRunDisplays(CStatusText* status, QLineEdit* elapsed);
    void SetStatus(const QString& text);

    // ---- what each page adds ----
    // Enables or disables the controls that choose what is encoded.
    virtual void SetSettingControlsEnabled(bool enabled) = 0;
    // The buttons for the current PageState().
    virtual void ShowPageState() = 0;
    // Code 6, after pageState 2 and the start time were set.
    virtual void OnEncoderStarted() = 0;
    // Code 7 and code 8, after the described handling (live pages enable their close button).
    virtual void OnStartFailed() {}
    virtual void OnConnectionLost() {}
    // Stop, after the worker ended and before the page goes idle.
    virtual void OnRunEnded() {}
    // Whether a run that lost its connection starts again (the record's reconn).
    virtual bool RestartAfterLoss() const { return false; }
    // Whether a running server broadcast stops when the account's liveCount reaches 0.
    virtual bool StopsWhenLiveRunsOut() const { return true; }
    // Code 1: a source group became active.
    virtual void OnGroupActive() {}
    // The current run's worker (null while idle), to run calls on its encoder.
    CEncoderWorker* Worker() const { return worker_; }
    // Extra work of each tick (after the described steps); nothing by default.
    virtual void OnTick() {}

private:
    platform::LRESULT OnOwnerMessage(int run, unsigned msg, platform::WPARAM code);
    void Tick();

    int pageState_ = kIdle;
    int stopping_ = 0;
    bool netBroken_ = false;
    qint64 startTime_ = 0;
    bool autoBeginArmed_ = false;
    bool autoStopArmed_ = false;
    QString beginTime_;
    QString endTime_;
    QPointer<CStatusText> status_;
    QPointer<QLineEdit> elapsed_;
    std::shared_ptr<platform::Event> stopEvent_;
    QPointer<CEncoderWorker> worker_;
    // The encoder's owner for the current run: a fresh one per run, so that a late code of
    // an ended run is never taken for one of the next.
    QPointer<CWindowHandle> runHandle_;
    int runNumber_ = 0;
};
