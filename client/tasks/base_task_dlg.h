#pragma once
// The base of every tab page of the task list. A page is a resizable page laid out like a
// dialog template, holds the view's window handle (where WM_TASKLIST goes) and its task
// record, and has four operations the task list calls:
//   Start        the start/stop button: starts the task while the button reads "开始",
//                else RequestStop
//   RequestStop  re-enables the close button, then Stop under a wait cursor
//   Close        Stop, kill the one-second timer, send WM_TASKLIST 1 with the taskId
//   Stop         stop the running work and wait for its worker thread
// A page kind derives from it, implements StartTask and Stop, and names its start/stop
// and close buttons with SetButtons.

#include "client/widgets/resizable_page.h"

#include <QPointer>

class CBaseTask;
class QAbstractButton;
class QTimer;

class CBaseTaskDlg : public CResizablePage {
    Q_OBJECT
public:
    // `pageKind` is 0 only for the scheduled-recording page.
    CBaseTaskDlg(int pageKind, const QSize& designSize, QWidget* parent = nullptr);
    ~CBaseTaskDlg() override;

    int PageKind() const { return pageKind_; }
    CBaseTask* Record() const { return record_; }
    QObject* ViewHandle() const { return viewHandle_; }

    // Hands the page the view's window handle and its record (null for the monitor
    // page), then lets the page fill its controls from them.
    void SetUp(QObject* viewHandle, CBaseTask* record);

    virtual void Start();
    virtual void RequestStop();
    virtual void Close();
    virtual void Stop() = 0;

    // The start/stop button's two captions.
    static const QString kStartCaption;  // "开始"
    static const QString kStopCaption;   // "结束"

protected:
    // Starts the task (the start/stop button read "开始").
    virtual void StartTask() = 0;
    // Fills the controls once the record is known; nothing by default.
    virtual void OnSetUp() {}

    // The buttons Start and RequestStop work on; either may be null.
    void SetButtons(QAbstractButton* startStop, QAbstractButton* close);
    // The page's one-second timer (Close kills it).
    QTimer* SecondTimer() const { return secondTimer_; }
    // Sends WM_TASKLIST to the view; `text` is the string the code needs. For the codes
    // about the task itself pass TaskId(): the record's own string, by which the view tells
    // this task from another made in the same second.
    void NotifyTaskList(int code, const QString& text = QString());
    // The record's taskId (an empty string without a record).
    const QString& TaskId() const;

private:
    int pageKind_;
    QPointer<QObject> viewHandle_;
    CBaseTask* record_ = nullptr;
    QPointer<QAbstractButton> startStopButton_;
    QPointer<QAbstractButton> closeButton_;
    QTimer* secondTimer_ = nullptr;
};
