#pragma once
// The base of the pages that work through a list of files on one worker thread (upload,
// DRM protection). It holds the run's controls (the overall and single-file progress and
// the 开始, 停止 and 关闭 buttons), starts the run the page has set up, asks before a stop,
// stops and waits for the worker, and ends the run: the summary to both progress texts,
// both bars reset, WM_TASKLIST 3, the controls unlocked and the page idle again.

#include "client/tasks/base_task_dlg.h"

#include <QPointer>
#include <QRect>

#include <atomic>
#include <vector>

class CFileRunWorker;
class CStatusText;
class QProgressBar;
class QPushButton;
enum class MsgButtons;

class CFileRunDlg : public CBaseTaskDlg {
    Q_OBJECT
public:
    void RequestStop() override;
    void Stop() override;

    int PageState() const { return pageState_; }

protected:
    // `stopButtons` is the stop question's button set: Yes/No (Yes stops) or OK/Cancel (OK stops).
    CFileRunDlg(int pageKind, const QSize& designSize, MsgButtons stopButtons, QWidget* parent);

    // Where the page's template has the progress: each text above its bar.
    struct ProgressRects {
        QRect totalText;
        QRect total;
        QRect singleText;
        QRect single;
    };
    // Makes the run's controls in the page's layout: 1085 "总进度：" and bar 1079, 1086
    // "单进度：" and bar 1080, all anchored from `topLeft` to `bottomRight`, and the
    // buttons 1010, 1013, 1017 in a row at the bottom right with their top at `buttonsTop`.
    void AddRunControls(const ProgressRects& rects, Anchor topLeft, Anchor bottomRight, int buttonsTop);
    // The page's controls disabled while a run goes on, besides 开始 and 关闭.
    void LockWhileRunning(std::vector<QWidget*> controls);

    QProgressBar* TotalBar() const { return total_; }
    CStatusText* TotalText() const { return totalText_; }
    QProgressBar* SingleBar() const { return single_; }
    CStatusText* SingleText() const { return singleText_; }

    bool Running() const { return pageState_ == 2; }
    bool HasWorker() const { return !worker_.isNull(); }
    // The flag the page's worker must watch.
    const std::atomic<int>* StopFlag() const { return &stopRequested_; }
    // Starts a run on `worker`, already connected to the page's controls: WM_TASKLIST 2,
    // the controls locked, the stop flag cleared, the page running.
    void RunWorker(CFileRunWorker* worker);

private:
    void EnableRunControls(bool running);
    void RunEnded();

    MsgButtons stopButtons_;
    QPointer<CFileRunWorker> worker_;
    std::atomic<int> stopRequested_{0};
    int pageState_ = 4;  // 4 idle, 2 running

    CStatusText* totalText_ = nullptr;  // 1085
    QProgressBar* total_ = nullptr;     // 1079
    CStatusText* singleText_ = nullptr; // 1086
    QProgressBar* single_ = nullptr;    // 1080
    QPushButton* start_ = nullptr;      // 1010
    QPushButton* stop_ = nullptr;       // 1013
    QPushButton* close_ = nullptr;      // 1017
    std::vector<QWidget*> lockedWhileRunning_;
};
