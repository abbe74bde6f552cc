#include "client/tasks/base_task_dlg.h"

#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

const QString CBaseTaskDlg::kStartCaption = QStringLiteral("开始");
const QString CBaseTaskDlg::kStopCaption = QStringLiteral("结束");

CBaseTaskDlg::CBaseTaskDlg(int pageKind, const QSize& designSize, QWidget* parent)
    : CResizablePage(designSize, parent), pageKind_(pageKind) {
    secondTimer_ = new QTimer(this);
    secondTimer_->setInterval(1000);
}

CBaseTaskDlg::~CBaseTaskDlg() = default;

void CBaseTaskDlg::SetUp(QObject* viewHandle, CBaseTask* record) {
    viewHandle_ = viewHandle;
    record_ = record;
    OnSetUp();
}

void CBaseTaskDlg::SetButtons(QAbstractButton* startStop, QAbstractButton* close) {
    startStopButton_ = startStop;
    closeButton_ = close;
}

void CBaseTaskDlg::Start() {
    if (startStopButton_ && startStopButton_->text() == kStopCaption) {
        RequestStop();
        return;
    }
    StartTask();
}

void CBaseTaskDlg::RequestStop() {
    if (closeButton_) closeButton_->setEnabled(true);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Stop();
    QApplication::restoreOverrideCursor();
}

void CBaseTaskDlg::Close() {
    Stop();
    secondTimer_->stop();
    NotifyTaskList(kTaskClosed, TaskId());
}

const QString& CBaseTaskDlg::TaskId() const {
    static const QString none;
    return record_ ? record_->taskId : none;
}

void CBaseTaskDlg::NotifyTaskList(int code, const QString& text) {
    platform::SendMessage(viewHandle_.data(), WM_TASKLIST, static_cast<platform::WPARAM>(code), StringParam(&text));
}
