#include "client/tasks/child_view.h"

#include "client/resources/artwork.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/shell/message_box.h"
#include "client/tasks/base_task_dlg.h"
#include "client/tasks/device_flags.h"
#include "client/tasks/frame_menu_host.h"
#include "client/tasks/info_dlg.h"
#include "client/tasks/keep_alive_thread.h"
#include "client/tasks/logo_dlg.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_page_factory.h"
#include "client/tasks/task_records.h"
#include "client/tasks/web_pages.h"
#include "client/widgets/tab_pages.h"
#include "client/widgets/window_handle.h"
#include "platform/paths.h"
#include "platform/sync.h"

#include <QApplication>
#include <QLabel>
#include <QPaintEvent>

namespace {

const QString kNotSignedIn = QStringLiteral("您还没有登录！");                                   // 113
const QString kEncoderBusy = QStringLiteral("您正在做直播！请先关闭该直播任务，谢谢！");         // 151
const QString kNoVodBalance = QStringLiteral("您的点播余额为零！");                              // 157
const QString kNoSpace = QStringLiteral("您已没有足够的空间！");                                 // 139
const QString kUploadBusy = QStringLiteral("您正在做上传！请先关闭该上传任务，谢谢！");          // 102
const QString kNoDrmBalance = QStringLiteral("您的DRM服务余额为零！");                           // 171
const QString kDrmBusy = QStringLiteral("您正在做加密！请先关闭该加密任务，谢谢！");             // 103
const QString kSignOutQuestion = QStringLiteral("您确定要注销吗？（除“节目录制”外所有正在进行的任务都将停止）");  // 131
const QString kReconnectQuestion = QStringLiteral("您已与服务器断开连接，是否重连？");           // 114

bool IsEncoderKind(int pageKind) {
    switch (pageKind) {
    case TASK_SCHEDULED_RECORD:
    case TASK_LIVECAST:
    case TASK_FILECAST:
    case TASK_MULTICAST:
    case TASK_MONITOR:
    case TASK_LOCAL_RECORD: return true;
    default: return false;
    }
}

// Runs `work` with the wait cursor up.
template <class Work>
void UnderWaitCursor(Work work) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    work();
    QApplication::restoreOverrideCursor();
}

}  // namespace

CChildView::CChildView(CFrameMenuHost* frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setFocusPolicy(Qt::StrongFocus);
    handle_ = new CWindowHandle(this, [this](unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
        return msg == WM_TASKLIST ? OnTaskList(wParam, lParam) : platform::LRESULT(0);
    });
}

CChildView::~CChildView() {
    if (!destroyed_) {
        frame_ = nullptr;  // the frame is already gone
        DestroyWindow();
    }
}

QObject* CChildView::Handle() const { return handle_; }

CBaseTask* CChildView::TaskAt(int slot) const {
    return slot >= 0 && slot < TaskSlotCount() ? tasks_[slot].record.get() : nullptr;
}

bool CChildView::KeepAliveRunning() const { return keepAlive_ && keepAlive_->isRunning(); }

// ---- commands ----

bool CChildView::CheckSignedIn() {
    if (signedIn_) return true;
    ShowMessage(kNotSignedIn, this);
    return false;
}

bool CChildView::CheckEncoderFree() {
    if (!encoderBusy_) return true;
    ShowMessage(kEncoderBusy, this);
    return false;
}

void CChildView::ClearServerBroadcastWithoutLive() {
    if (Globals().account.liveCount <= 0) Globals().serverBroadcast = false;
}

bool CChildView::OnCommand(int commandId) {
    const AccountInfo& account = Globals().account;
    switch (commandId) {
    case ID_LOCAL_RECORD: {
        auto record = std::make_unique<CLiveCastTask>();
        record->isRecord = 1;
        AddTask(std::move(record), TASK_LOCAL_RECORD);
        return true;
    }
    case ID_LIVECAST:
        if (CheckSignedIn() && CheckEncoderFree()) {
            ClearServerBroadcastWithoutLive();
            AddTask(std::make_unique<CLiveCastTask>(), TASK_LIVECAST);
        }
        return true;
    case ID_HOME_LIVE:
        if (CheckSignedIn() && CheckEncoderFree()) {
            ClearServerBroadcastWithoutLive();
            AddTask(nullptr, TASK_MONITOR);
        }
        return true;
    case ID_SCHEDULED_RECORD:
        if (CheckSignedIn() && CheckEncoderFree()) {
            ClearServerBroadcastWithoutLive();
            auto record = std::make_unique<CLiveCastTask>();
            record->kind = TASK_SCHEDULED_RECORD;
            record->isRecord = 1;
            AddTask(std::move(record), TASK_SCHEDULED_RECORD);
        }
        return true;
    case ID_FILECAST:
        if (CheckSignedIn() && CheckEncoderFree()) {
            ClearServerBroadcastWithoutLive();
            auto record = std::make_unique<CFileCastTask>();
            record->playPathCopy = Globals().playPath;
            if (RunTaskWizard(TASK_FILECAST, this, *record)) AddTask(std::move(record), TASK_FILECAST);
        }
        return true;
    case ID_MULTICAST:
        if (CheckSignedIn() && CheckEncoderFree()) {
            ClearServerBroadcastWithoutLive();
            auto record = std::make_unique<CMultiCastTask>();
            record->playPathCopy = Globals().playPath;
            if (RunTaskWizard(TASK_MULTICAST, this, *record)) {
                if (!record->isRecord) record->outputFile.clear();
                AddTask(std::move(record), TASK_MULTICAST);
            }
        }
        return true;
    case ID_FILE_UPLOAD:
        if (!CheckSignedIn()) return true;
        if (account.vodCount == 0) {
            ShowMessage(kNoVodBalance, this);
        } else if (account.freeSpace <= 0) {
            ShowMessage(kNoSpace, this);
        } else if (uploadBusy_) {
            ShowMessage(kUploadBusy, this);
        } else {
            AddTask(std::make_unique<CFileUploadTask>(), TASK_FILEUPLOAD);
        }
        return true;
    case ID_FILE_DRM:
        if (!CheckSignedIn()) return true;
        if (account.drmCount == 0) {
            ShowMessage(kNoDrmBalance, this);
        } else if (drmBusy_) {
            ShowMessage(kDrmBusy, this);
        } else {
            AddTask(std::make_unique<CFileDrmTask>(), TASK_FILEDRM);
        }
        return true;
    case ID_SIGN_IN: SignInSetUp(); return true;
    case ID_SIGN_OUT:
        if (AskMessage(kSignOutQuestion, MsgButtons::OkCancel, MsgIcon::Question, QString(), this) == IDOK) {
            UnderWaitCursor([this] { SignOut(); });
        }
        return true;
    case ID_VISIT_HOME: platform::ShellOpen(HomePageAddress()); return true;
    case ID_REGISTER: platform::ShellOpen(RegistrationPageAddress()); return true;
    case ID_SET_LOGO: {
        CLogoDlg logo(this);
        logo.exec();
        return true;
    }
    default: return false;
    }
}

// ---- tasks ----

void CChildView::AddTask(std::unique_ptr<CBaseTask> record, int pageKind) {
    CreatePanes();
    CBaseTask* task = record.get();
    tasks_.push_back({std::move(record), nullptr});
    CBaseTaskDlg* page = CreateTaskPage(pageKind, tabs_);
    if (!page) {
        tasks_.pop_back();  // no page for this kind: the record goes with its slot
        return;
    }
    if (pageKind == TASK_LOCAL_RECORD && task) SetVideoDeviceFlag(task->videoDevice, 1);
    tasks_.back().page = page;
    page->SetUp(handle_, task);
    if (IsEncoderKind(pageKind)) {
        encoderBusy_ = true;
    } else if (pageKind == TASK_FILEUPLOAD) {
        uploadBusy_ = true;
    } else if (pageKind == TASK_FILEDRM) {
        drmBusy_ = true;
    }
    const int index = tabs_->AddSSLPage(TaskKindTitle(pageKind), page);
    ShowTabsOrPicture();
    tabs_->SetActiveSSLPage(index);
}

void CChildView::RemoveSlot(std::size_t slot) {
    QPointer<CBaseTaskDlg> page = tasks_[slot].page;
    tasks_.erase(tasks_.begin() + static_cast<std::ptrdiff_t>(slot));
    // The tab of the closing task goes (the selected one when its page is unknown).
    const int tab = page ? tabs_->IndexOfSSLPage(page) : tabs_->GetSSLActivePage();
    if (tab >= 0) tabs_->RemoveSSLPage(tab);
}

std::size_t CChildView::FindTask(platform::LPARAM taskIdParam) const {
    const auto* taskId = reinterpret_cast<const QString*>(taskIdParam);
    if (!taskId) return tasks_.size();
    // Two tasks made in the same second share their taskId; the page's own string tells them apart.
    for (std::size_t i = 0; i < tasks_.size(); ++i) {
        if (tasks_[i].record && &tasks_[i].record->taskId == taskId) return i;
    }
    for (std::size_t i = 0; i < tasks_.size(); ++i) {
        if (tasks_[i].record && tasks_[i].record->taskId == *taskId) return i;
    }
    return tasks_.size();
}

void CChildView::CloseTask(platform::LPARAM taskIdParam) {
    // The record with that taskId; only when none has it is the closing page the monitor,
    // whose slot is empty.
    const std::size_t match = FindTask(taskIdParam);
    if (match == tasks_.size()) {
        for (std::size_t i = 0; i < tasks_.size(); ++i) {
            if (!tasks_[i].record) {
                encoderBusy_ = false;
                RemoveSlot(i);
                break;
            }
        }
    } else {
        CBaseTask* record = tasks_[match].record.get();
        switch (record->kind) {
        case TASK_SCHEDULED_RECORD: encoderBusy_ = false; break;
        case TASK_LIVECAST:
            SetVideoDeviceFlag(record->videoDevice, 0);
            encoderBusy_ = false;
            break;
        case TASK_FILECAST: encoderBusy_ = false; break;
        case TASK_FILEUPLOAD: uploadBusy_ = false; break;
        case TASK_FILEDRM: drmBusy_ = false; break;
        case TASK_MULTICAST: {
            auto* multi = static_cast<CMultiCastTask*>(record);
            for (const auto& source : multi->sourceList) {
                if (!source->isFile) SetVideoDeviceFlag(source->videoDevice, 0);
            }
            multi->sourceList.clear();
            encoderBusy_ = false;
            break;
        }
        default: break;
        }
        RemoveSlot(match);
    }
    ShowTabsOrPicture();
    if (frame_) frame_->RedrawFrame();
    RefreshInfoPane();
}

platform::LRESULT CChildView::OnTaskList(platform::WPARAM code, platform::LPARAM lParam) {
    switch (code) {
    case kTaskClosed: CloseTask(lParam); break;
    case kTaskStarted:
    case kTaskStopped: {
        const std::size_t slot = FindTask(lParam);
        if (slot < tasks_.size()) tasks_[slot].record->runState = code == kTaskStarted ? 1 : 0;
        break;
    }
    case kConnectionLost: OnConnectionLost(); break;
    case kAccountRefreshed:
        if (keepAlive_) {
            if (auto fresh = keepAlive_->TakeAccount()) {
                Globals().account = fresh->first;
                Globals().companyId = fresh->second;
            }
        }
        RefreshInfoPane();
        break;
    case kDeviceInUse: SetVideoDeviceFlag(StringOfParam(lParam), 1); break;
    case kDeviceFree: SetVideoDeviceFlag(StringOfParam(lParam), 0); break;
    default: break;
    }
    return 0;
}

std::vector<QPointer<CBaseTaskDlg>> CChildView::PagesLastFirst() const {
    std::vector<QPointer<CBaseTaskDlg>> pages;
    if (!tabs_) return pages;
    for (int i = tabs_->GetSSLPageCount() - 1; i >= 0; --i) {
        pages.emplace_back(qobject_cast<CBaseTaskDlg*>(tabs_->GetSSLPage(i)));
    }
    return pages;
}

void CChildView::StopAllTasks() {
    for (const auto& page : PagesLastFirst()) {
        if (page) page->Stop();
    }
}

// ---- signed-in state ----

void CChildView::CreatePanes() {
    if (!tabs_) {
        tabs_ = new CTabCtrlSSL(this);
        tabs_->setObjectName(QStringLiteral("taskTabs"));
        tabs_->hide();
    }
    if (!emptyPicture_) {
        emptyPicture_ = new QLabel(this);
        emptyPicture_->setObjectName(QStringLiteral("emptyPicture"));
        emptyPicture_->setPixmap(QPixmap(ArtworkPath("empty_task")));
        emptyPicture_->setAlignment(Qt::AlignCenter);
        emptyPicture_->setAccessibleName(QStringLiteral("没有任务"));
    }
    if (!infoPane_ && signedIn_) {
        infoPane_ = new CInfoDlg(this);
        infoPane_->show();
    }
    Arrange();
    ShowTabsOrPicture();
}

void CChildView::SignInSetUp() {
    UnderWaitCursor([this] {
        // The busy flags follow the tabs that are still open (the scheduled recording stays
        // open across a sign-out).
        encoderBusy_ = uploadBusy_ = drmBusy_ = false;
        for (const TaskSlot& slot : tasks_) {
            const int kind = slot.page ? slot.page->PageKind() : -1;
            if (IsEncoderKind(kind)) encoderBusy_ = true;
            if (kind == TASK_FILEUPLOAD) uploadBusy_ = true;
            if (kind == TASK_FILEDRM) drmBusy_ = true;
        }
        if (frame_) frame_->SetMenu(IDR_MENU_SIGNED_IN);
        const bool wasSignedIn = signedIn_;
        signedIn_ = true;
        CreatePanes();
        // A second sign-in set-up while signed in starts no second keep-alive thread.
        if (!wasSignedIn) StartKeepAlive();
    });
}

void CChildView::StartKeepAlive() {
    updateMutex_ = platform::Mutex::Named(QStringLiteral("updateMutex"));
    updateMutex_->Wait(0);
    keepAlive_ = std::make_unique<CKeepAliveThread>(handle_, updateMutex_);
    keepAlive_->start();
}

void CChildView::StopKeepAlive() {
    if (updateMutex_) updateMutex_->Release();
    if (keepAlive_) keepAlive_->wait();
    keepAlive_.reset();
    updateMutex_.reset();
}

void CChildView::OnConnectionLost() {
    if (!keepAlive_) return;  // left over from a thread that was already stopped
    if (signedIn_) {
        signedIn_ = false;
        StopKeepAlive();
    }
    for (const auto& page : PagesLastFirst()) {
        if (page && page->PageKind() != 0) page->Stop();
    }
    for (;;) {
        if (AskMessage(kReconnectQuestion, MsgButtons::RetryCancel, MsgIcon::Question, QString(), this) != IDRETRY) {
            SignOut();
            return;
        }
        if (SvcLogin(Globals().account.loginName, Globals().passwordDigest) == 1) {
            signedIn_ = true;
            StartKeepAlive();
            return;
        }
    }
}

void CChildView::SignOut() {
    if (signedIn_) {
        signedIn_ = false;
        StopKeepAlive();
    }
    for (const auto& page : PagesLastFirst()) {
        if (page && page->PageKind() != 0) page->Close();
    }
    Globals().mediaServers.clear();
    SvcLogOut();
    delete infoPane_;
    infoPane_ = nullptr;
    if (frame_) frame_->SetMenu(IDR_MENU_SIGNED_OUT);
}

void CChildView::DestroyWindow() {
    if (destroyed_) return;
    destroyed_ = true;
    for (const auto& page : PagesLastFirst()) {
        if (page) page->Close();
    }
    if (signedIn_) UnderWaitCursor([this] { SignOut(); });
    StopKeepAlive();
}

// ---- painting and layout ----

void CChildView::RefreshInfoPane() {
    if (!infoPane_) return;
    infoPane_->UpdateData();
    infoPane_->update();
}

void CChildView::ShowTabsOrPicture() {
    if (!tabs_ || !emptyPicture_) return;
    const bool anyTab = tabs_->GetSSLPageCount() > 0;
    tabs_->setVisible(anyTab);
    emptyPicture_->setVisible(!anyTab);
}

void CChildView::Arrange() {
    const QRect strip(0, 0, kInfoPaneWidth, height());
    const QRect right(kInfoPaneWidth, 0, std::max(0, width() - kInfoPaneWidth), height());
    if (infoPane_) infoPane_->setGeometry(strip);
    if (tabs_) tabs_->setGeometry(right);
    if (emptyPicture_) emptyPicture_->setGeometry(right);
}

void CChildView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Arrange();
}

void CChildView::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (firstPaint_) {
        // The first paint after start-up enters the signed-in state (the sign-in dialog
        // ran before the frame opened) and gives the frame the keyboard focus.
        firstPaint_ = false;
        QMetaObject::invokeMethod(
            this,
            [this] {
                SignInSetUp();
                window()->activateWindow();
                setFocus();
            },
            Qt::QueuedConnection);
    }
}
