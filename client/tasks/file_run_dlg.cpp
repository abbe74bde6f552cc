#include "client/tasks/file_run_dlg.h"

#include "client/shell/message_box.h"
#include "client/tasks/file_run_texts.h"
#include "client/tasks/file_run_worker.h"
#include "client/tasks/task_list_message.h"
#include "client/widgets/find_control.h"
#include "client/widgets/status_text.h"

#include <QApplication>
#include <QCoreApplication>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString kTotalProgress = QStringLiteral("总进度：");
const QString kSingleProgress = QStringLiteral("单进度：");
const QString kStopText = QStringLiteral("停止");
const QString kCloseText = QStringLiteral("关闭");

// Waits for `worker` to end while this thread's events run: the worker may be waiting for a
// question shown on this thread, and events run here may end the run and delete the worker.
void WaitForWorker(QThread* worker) {
    const QPointer<QThread> guarded(worker);
    while (guarded && !guarded->wait(20)) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

CFileRunDlg::CFileRunDlg(int pageKind, const QSize& designSize, MsgButtons stopButtons, QWidget* parent)
    : CBaseTaskDlg(pageKind, designSize, parent), stopButtons_(stopButtons) {}

void CFileRunDlg::AddRunControls(const ProgressRects& rects, Anchor topLeft, Anchor bottomRight, int buttonsTop) {
    totalText_ = new CStatusText(this);
    totalText_->SetText(kTotalProgress);
    Place(totalText_, rects.totalText, topLeft, bottomRight);
    SetControlId(totalText_, 1085, kTotalProgress);
    total_ = new QProgressBar(this);
    total_->setTextVisible(false);
    Place(total_, rects.total, topLeft, bottomRight);
    SetControlId(total_, 1079, QStringLiteral("总进度"));
    singleText_ = new CStatusText(this);
    singleText_->SetText(kSingleProgress);
    Place(singleText_, rects.singleText, topLeft, bottomRight);
    SetControlId(singleText_, 1086, kSingleProgress);
    single_ = new QProgressBar(this);
    Place(single_, rects.single, topLeft, bottomRight);
    SetControlId(single_, 1080, QStringLiteral("单进度"));

    start_ = new QPushButton(kStartCaption, this);
    stop_ = new QPushButton(kStopText, this);
    close_ = new QPushButton(kCloseText, this);
    Place(start_, QRect(264, buttonsTop, 88, 28), kBottomRight, kBottomRight);
    Place(stop_, QRect(360, buttonsTop, 88, 28), kBottomRight, kBottomRight);
    Place(close_, QRect(456, buttonsTop, 88, 28), kBottomRight, kBottomRight);
    SetControlId(start_, 1010, kStartCaption);
    SetControlId(stop_, 1013, kStopText);
    SetControlId(close_, 1017, kCloseText);
    stop_->setEnabled(false);
    SetButtons(start_, close_);
    lockedWhileRunning_ = {start_, close_};

    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(stop_, &QPushButton::clicked, this, [this] { RequestStop(); });
    connect(close_, &QPushButton::clicked, this, [this] { Close(); });
}

void CFileRunDlg::LockWhileRunning(std::vector<QWidget*> controls) {
    lockedWhileRunning_.insert(lockedWhileRunning_.end(), controls.begin(), controls.end());
}

void CFileRunDlg::EnableRunControls(bool running) {
    for (QWidget* control : lockedWhileRunning_) control->setEnabled(!running);
    stop_->setEnabled(running);
}

void CFileRunDlg::RunWorker(CFileRunWorker* worker) {
    NotifyTaskList(kTaskStarted, TaskId());
    EnableRunControls(true);
    stopRequested_ = 0;
    pageState_ = 2;
    worker_ = worker;
    connect(worker, &QThread::finished, this, [this] { RunEnded(); });
    worker->start();
}

void CFileRunDlg::RunEnded() {
    if (!worker_) return;
    const int files = worker_->FileCount();
    const int successes = worker_->SuccessCount();
    worker_->deleteLater();
    worker_ = nullptr;
    const QString summary = FileRunSummary(stopRequested_ != 0, files, successes);
    totalText_->SetText(summary);
    singleText_->SetText(summary);
    total_->reset();
    single_->reset();
    NotifyTaskList(kTaskStopped, TaskId());
    EnableRunControls(false);
    pageState_ = 4;
}

void CFileRunDlg::RequestStop() {
    const int confirm = stopButtons_ == MsgButtons::YesNo ? IDYES : IDOK;
    if (AskMessage(kFileRunStopQuestion, stopButtons_, MsgIcon::Question, QString(), this) != confirm) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Stop();
    QApplication::restoreOverrideCursor();
}

void CFileRunDlg::Stop() {
    if (!worker_) return;
    stopRequested_ = 1;
    worker_->Wake();
    WaitForWorker(worker_);
    if (worker_) RunEnded();
}
