#pragma once
// The base of the file and multi-source broadcast pages, laid out in one design size
// (640 x 460): the summary of the wizard-made task at the top, the watch addresses
// (1051, 1059), elapsed time (1028), status line (1019) and the buttons save task,
// start/stop (1010) and leave (1076) at the bottom. It starts a run as the live page
// does: GetSelMediaServerList with the record's server, then the worker with the page's
// sources aimed at that server, reported with startLive and ended with stopLive.

#include "client/tasks/encoder_task_dlg.h"
#include "client/tasks/task_records.h"

#include <QStringList>

class CStatusText;
class CTaskSummary;
class QLineEdit;
class QPushButton;

class CCastTaskDlg : public CEncoderTaskDlg {
    Q_OBJECT
public:
    static constexpr QSize kDesignSize{640, 460};
    static const QString kStatusStarting;   // 141
    static const QString kStatusLocalOnly;  // 225

    // Saves the task to its task file through the save dialog; false when not saved.
    virtual bool SaveTask() = 0;
    // The encoder's source groups in the order they became active during this page's runs.
    const QStringList& ActiveGroups() const { return activeGroups_; }

protected:
    CCastTaskDlg(int pageKind, QWidget* parent);

    // The record's broadcast settings.
    virtual TaskServerInfo* Server() const = 0;
    virtual QString VideoProfile() const = 0;
    virtual int Reconn() const = 0;
    // False (with its message shown) when the page cannot start yet.
    virtual bool ReadyToStart() { return true; }
    // The sources and output of the run; the base adds the server, DRM and registration.
    virtual EncoderRunSpec RunSpec() = 0;

    // Shows the record's summary and watch addresses and arms the automatic start and stop.
    void SetUpCastPage();
    // The profile of a file source: "pal_" + the quality, or the quality for audio only.
    QString FileProfileName() const;
    WAVETAP_STREAM_TYPE FileStreamType() const;
    QWidget* PreviewWindow() const { return preview_; }

    void StartTask() override;
    void SetSettingControlsEnabled(bool) override {}
    void ShowPageState() override;
    void OnEncoderStarted() override;
    void OnStartFailed() override;
    void OnConnectionLost() override;
    void OnRunEnded() override;
    bool RestartAfterLoss() const override { return Reconn() != 0; }
    // Code 1: asks the running encoder, on its thread, which group is active now.
    void OnGroupActive() override;
    // The group the encoder made active; nothing by default.
    virtual void ShowActiveGroup(const QString&) {}

    QWidget* preview_ = nullptr;  // 1052, placed by each page

private:
    QStringList activeGroups_;
    CTaskSummary* summary_;
    QLineEdit* internet_;  // 1051
    QLineEdit* lan_;       // 1059
    QPushButton* save_;
    QPushButton* startStop_;  // 1010
    QPushButton* close_;      // 1076
};
