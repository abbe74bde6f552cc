#pragma once
// The task list: the main frame's client area. It owns the signed-in state of the window
// (menus, the account pane, the keep-alive thread), the task records and one tab page per
// open task; it serves the Task menu, admits one encoder task, one upload and one DRM run
// at a time, keeps the devices' in-use flags and hears the pages through WM_TASKLIST.

#include "platform/messages.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

class CBaseTask;
class CBaseTaskDlg;
class CFrameMenuHost;
class CInfoDlg;
class CKeepAliveThread;
class CTabCtrlSSL;
class CWindowHandle;
class QLabel;
namespace platform {
class Mutex;
}

class CChildView : public QWidget {
    Q_OBJECT
public:
    // The left strip's width; the tabs lie right of it.
    static constexpr int kInfoPaneWidth = 300;

    CChildView(CFrameMenuHost* frame, QWidget* parent = nullptr);
    ~CChildView() override;

    // A command of the menus or the toolbar; false when the view does not handle it.
    bool OnCommand(int commandId);
    // Stops the work of every page (the frame is about to close).
    void StopAllTasks();
    // Closes every page and signs out; called while the frame is still whole.
    void DestroyWindow();

    // Where pages and the keep-alive thread send WM_TASKLIST.
    QObject* Handle() const;

    bool SignedIn() const { return signedIn_; }
    bool EncoderBusy() const { return encoderBusy_; }
    bool UploadBusy() const { return uploadBusy_; }
    bool DrmBusy() const { return drmBusy_; }
    CInfoDlg* InfoPane() const { return infoPane_; }
    CTabCtrlSSL* Tabs() const { return tabs_; }
    QLabel* EmptyPicture() const { return emptyPicture_; }
    int TaskSlotCount() const { return static_cast<int>(tasks_.size()); }
    CBaseTask* TaskAt(int slot) const;
    bool KeepAliveRunning() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct TaskSlot {
        std::unique_ptr<CBaseTask> record;  // null for the monitor's slot
        QPointer<CBaseTaskDlg> page;
    };

    platform::LRESULT OnTaskList(platform::WPARAM code, platform::LPARAM lParam);
    void SignInSetUp();
    void SignOut();
    void OnConnectionLost();
    void CloseTask(platform::LPARAM taskIdParam);
    // The slot whose record's taskId lParam points to (that very string first, then an
    // equal one), or the slot count when there is none.
    std::size_t FindTask(platform::LPARAM taskIdParam) const;
    void AddTask(std::unique_ptr<CBaseTask> record, int pageKind);
    void StartKeepAlive();
    void StopKeepAlive();
    void CreatePanes();
    void Arrange();
    void ShowTabsOrPicture();
    void RefreshInfoPane();
    void RemoveSlot(std::size_t slot);
    // Pages from the last tab to the first.
    std::vector<QPointer<CBaseTaskDlg>> PagesLastFirst() const;

    // Preconditions of the Task menu; each shows its message when it fails.
    bool CheckSignedIn();
    bool CheckEncoderFree();
    void ClearServerBroadcastWithoutLive();

    CFrameMenuHost* frame_;
    CWindowHandle* handle_ = nullptr;
    std::vector<TaskSlot> tasks_;
    CTabCtrlSSL* tabs_ = nullptr;
    QLabel* emptyPicture_ = nullptr;
    CInfoDlg* infoPane_ = nullptr;
    bool encoderBusy_ = false;
    bool uploadBusy_ = false;
    bool drmBusy_ = false;
    bool signedIn_ = false;
    bool firstPaint_ = true;
    bool destroyed_ = false;
    std::shared_ptr<platform::Mutex> updateMutex_;
    std::unique_ptr<CKeepAliveThread> keepAlive_;
};
