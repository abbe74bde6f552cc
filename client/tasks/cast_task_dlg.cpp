#include "client/tasks/cast_task_dlg.h"

#include "client/service/selected_server.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/tasks/live_target.h"
#include "client/tasks/page_controls.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_summary.h"
#include "client/tasks/watch_address.h"
#include "client/widgets/find_control.h"
#include "client/widgets/status_text.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

const QString CCastTaskDlg::kStatusStarting = QStringLiteral("正在启动（启动时间与您的网速有关，大约需要15-40秒）");
const QString CCastTaskDlg::kStatusLocalOnly = QStringLiteral("您没有直播点数,正在本机直播");

namespace {

QLineEdit* AddAddressRow(CResizablePage* page, int y, int id, int previewId, int copyId, const QString& label) {
    AddLabel(page, label, QRect(16, y, 110, 24), kBottomLeft);
    auto* edit = new QLineEdit(page);
    edit->setReadOnly(true);
    page->Place(edit, QRect(126, y, 374, 24), kBottomLeft, kBottomRight);
    SetControlId(edit, id, label);
    QPushButton* play = AddButton(page, QStringLiteral("预览"), previewId, QRect(508, y, 56, 24), kBottomRight);
    QPushButton* copy = AddButton(page, QStringLiteral("复制"), copyId, QRect(568, y, 56, 24), kBottomRight);
    BindWatchAddress(edit, play, copy, kNoWatchAddress);
    return edit;
}

}  // namespace

CCastTaskDlg::CCastTaskDlg(int pageKind, QWidget* parent) : CEncoderTaskDlg(pageKind, kDesignSize, parent) {
    summary_ = new CTaskSummary(this);
    Place(summary_, QRect(16, 8, 608, 112), kTopLeft, kTopRight);
    internet_ = AddAddressRow(this, 312, 1051, 1077, 1170, QStringLiteral("互联网收看地址："));
    lan_ = AddAddressRow(this, 342, 1059, 1134, 1171, QStringLiteral("局域网收看地址："));
    QLineEdit* elapsed = AddEdit(this, 1028, QStringLiteral("直播时间"), QRect(16, 378, 160, 30), true, kBottomLeft);
    auto* status = new CStatusText(this);
    Place(status, QRect(190, 382, 434, 22), kBottomLeft, kBottomRight);
    SetControlId(status, 1019, QStringLiteral("状态"));
    SetRunDisplays(status, elapsed);
    save_ = new QPushButton(QStringLiteral("保存任务"), this);
    save_->setObjectName(QStringLiteral("saveTask"));
    Place(save_, QRect(336, 420, 88, 28), kBottomRight, kBottomRight);
    startStop_ = AddButton(this, kStartCaption, 1010, QRect(436, 420, 88, 28), kBottomRight);
    close_ = AddButton(this, QStringLiteral("退出直播"), 1076, QRect(536, 420, 88, 28), kBottomRight);
    SetButtons(startStop_, close_);
    connect(startStop_, &QPushButton::clicked, this, [this] { Start(); });
    connect(close_, &QPushButton::clicked, this, [this] { Close(); });
    connect(save_, &QPushButton::clicked, this, [this] { SaveTask(); });
}

void CCastTaskDlg::SetUpCastPage() {
    internet_->clear();
    lan_->setText(ThisPcPlayAddress());
    const CBaseTask* task = Record();
    if (!task) return;
    summary_->Show({VideoProfile(), Server()->mediaName, task->streamType, task->autoBegin, task->beginTime,
                    task->autoStop, task->endTime, Reconn(), task->isLiveDrm});
    ArmAutoBegin(task->autoBegin, task->beginTime);
    ArmAutoStop(task->autoStop, task->endTime);
}

QString CCastTaskDlg::FileProfileName() const {
    return Record() && Record()->streamType == 1 ? VideoProfile() : QStringLiteral("pal_") + VideoProfile();
}

WAVETAP_STREAM_TYPE CCastTaskDlg::FileStreamType() const {
    return Record() && Record()->streamType == 1 ? WAVETAP_AUDIO_ONLY : WAVETAP_AUDIO_VIDEO;
}

void CCastTaskDlg::StartTask() {
    CBaseTask* task = Record();
    if (!task || PageState() != kIdle || !ReadyToStart()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    close_->setEnabled(false);
    SelMediaServerRequest request;
    request.type = task->streamType;
    request.profile = VideoProfile();
    request.isDrm = task->isLiveDrm;
    if (!RequestLiveServer(request, *Server(), [this](const QString& text) { SetStatus(text); }, this)) {
        close_->setEnabled(true);
        QApplication::restoreOverrideCursor();
        return;
    }
    SetStatus(kStatusStarting);
    NotifyTaskList(kTaskStarted, TaskId());
    EncoderRunSpec spec = RunSpec();
    spec.previewWindow = preview_;
    spec.profileDir = Globals().programFolder + QStringLiteral("Profiles/");
    SetLiveTarget(spec, *Server(), task->isLiveDrm, spec.title);
    StartWorker(std::move(spec));
    internet_->setText(Globals().serverBroadcast ? Globals().playPath : QString());
    QApplication::restoreOverrideCursor();
}

void CCastTaskDlg::ShowPageState() {
    startStop_->setText(PageState() == kStarting || PageState() == kRunning ? kStopCaption : kStartCaption);
    startStop_->setEnabled(true);
}

void CCastTaskDlg::OnEncoderStarted() { SetStatus(Globals().serverBroadcast ? kStatusRunning : kStatusLocalOnly); }

void CCastTaskDlg::OnStartFailed() { close_->setEnabled(true); }

void CCastTaskDlg::OnConnectionLost() { close_->setEnabled(true); }

void CCastTaskDlg::OnRunEnded() {
    SvcStopLive(Server()->liveId);
    NotifyTaskList(kTaskStopped, TaskId());
    close_->setEnabled(true);
}

void CCastTaskDlg::OnGroupActive() {
    CEncoderWorker* worker = Worker();
    if (!worker) return;
    // The answer comes back to this page's thread; the page outlives its worker.
    QPointer<CCastTaskDlg> page(this);
    worker->Post([page](CWavetap& encoder) {
        QString group;
        if (encoder.GetState() != WAVETAP_RUNNING || !encoder.GetCurGrpName(group)) return;
        QMetaObject::invokeMethod(
            page.data(),
            [page, group] {
                if (!page) return;
                page->activeGroups_ << group;
                page->ShowActiveGroup(group);
            },
            Qt::QueuedConnection);
    });
}
