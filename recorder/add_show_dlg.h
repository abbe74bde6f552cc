#pragma once
// CAddShowDlg (caption "添加节目"): adds custom shows, typed in with optional cycle
// splitting, or programmes picked from the platform's network TV guide.

#include "recorder/recorder_service.h"
#include "recorder/service_call_queue.h"
#include "recorder/show_list_store.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <vector>

class CEditListCtrl;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimeEdit;
class ShowListFile;
class ShowListModel;

class CAddShowDlg : public QWidget {
public:
    CAddShowDlg(const ShowListFile& file, const QString& endpoint, const QString& settingsPath, QWidget* parent);
    ~CAddShowDlg() override;

    // Called after "添加完成" appended the shows, before the dialog closes.
    void SetShowsAdded(std::function<void()> done) { showsAdded_ = std::move(done); }

    ShowListStore& Pending() { return pending_; }

    void OnCustomMode();
    void OnNetworkMode();
    void OnAddPending();     // 1064
    void OnDeletePending();  // 209
    void OnClearPending();   // 210
    void OnLoadGuide();      // 1076 "确定"
    void OnDone();           // 1 "添加完成"

    // The cycles the day boxes give: their captions, or "无" with none checked.
    QStringList ChosenCycles() const;

private:
    void BuildCustomPart(QWidget* box);
    void BuildNetworkPart(QWidget* box);
    void BuildCycleBoxes(QWidget* box);
    void OnCycleBoxClicked(int index);
    void SetNetworkEnabled(bool enabled);
    void ResetCombo(QComboBox* combo, const QString& placeholder);
    void ShowNetworkFailure();
    void OnAreaChosen(int index);
    void OnStationChosen(int index);
    void FillGuide(const std::vector<RecorderService::TvProgBean>& guide);
    QList<ShowEntry> ChosenProgrammes() const;
    ShowEntry NewEntry() const;

    const ShowListFile& file_;
    QString settingsPath_;
    ShowListStore pending_;
    ShowListModel* pendingModel_;
    std::function<void()> showsAdded_;

    QComboBox* category_;
    QRadioButton* customMode_;
    QRadioButton* networkMode_;
    QLineEdit* name_;
    QTimeEdit* start_;
    QTimeEdit* end_;
    QCheckBox* splitCheck_;
    QLineEdit* splitMinutes_;
    CEditListCtrl* pendingList_;
    QLabel* networkHint_;
    QComboBox* area_;
    QComboBox* station_;
    QComboBox* channel_;
    QPushButton* loadGuide_;
    QTableWidget* guide_;
    QList<QCheckBox*> cycleBoxes_;  // 1052 ... 1060
    QList<QComboBox*> reminders_;   // 1061 ... 1063

    // Declared last: destroyed first, so no answer arrives at a half-destroyed dialog.
    ServiceCallQueue calls_;
};
