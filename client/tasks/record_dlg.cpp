#include "client/tasks/record_dlg.h"

#include "client/shell/client_globals.h"
#include "client/tasks/castora_record_ctrl_wrapper.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_list_message.h"
#include "client/widgets/find_control.h"
#include "client/widgets/window_handle.h"
#include "platform/code_page.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kSetUserId = 1;
constexpr int kSetFtpInfo = 2;
constexpr int kSetRecvMsgHWnd = 3;
constexpr int kAnsiFieldBytes = 100;

QByteArray AnsiField(const QString& text) { return platform::ToAnsi(text).left(kAnsiFieldBytes); }

}  // namespace

CRecordDlg::CRecordDlg(QWidget* parent) : CBaseTaskDlg(TASK_SCHEDULED_RECORD, QSize(980, 760), parent) {
    setObjectName(QStringLiteral("CRecordDlg"));
    auto* handle = new CWindowHandle(this, [this](unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
        // The operator left the recorder. The task list closes this page, so the message
        // goes out once the control's own handler has returned.
        if (msg == WM_TASKLIST && wParam == kTaskClosed)
            QMetaObject::invokeMethod(this, [this] { NotifyTaskList(kTaskClosed, TaskId()); }, Qt::QueuedConnection);
        return platform::LRESULT(0);
    });
    control_ = new CCastoraRecordoctrl1(this);
    Place(control_, QRect(0, 0, 980, 720), kTopLeft, kBottomRight);
    failure_ = new QLabel(this);
    failure_->setObjectName(QStringLiteral("recorderMissing"));
    failure_->setWordWrap(true);
    Place(failure_, QRect(10, 728, 860, 26), kBottomLeft, kBottomRight);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    SetControlId(close, 1076, QStringLiteral("关闭"));
    Place(close, QRect(880, 728, 90, 26), kBottomRight, kBottomRight);
    SetButtons(nullptr, close);
    connect(close, &QPushButton::clicked, this, [this] { Close(); });

    createResult_ = control_->Create(kCastoraRecordOcxClassId);
    if (!platform::Succeeded(createResult_)) {
        failure_->setText(QStringLiteral("节目录制控件无法创建（0x%1），请先注册 libCastoraRecordOcx.so")
                              .arg(static_cast<quint32>(createResult_), 8, 16, QLatin1Char('0')));
        return;
    }
    const AccountInfo& account = Globals().account;
    control_->Invoke(kSetRecvMsgHWnd, {QVariant::fromValue<QObject*>(handle)});
    control_->Invoke(kSetUserId, {Globals().companyId});
    control_->Invoke(kSetFtpInfo, {AnsiField(account.ip), AnsiField(account.ftpUser), AnsiField(account.ftpPass),
                                   static_cast<qint16>(account.port), QByteArray()});
}

void CRecordDlg::Close() { NotifyTaskList(kTaskClosed, TaskId()); }
