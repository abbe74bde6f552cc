#pragma once
// CRecorderShowDlg: the show page (tab "录制内容"): the list of shows with its buttons.

#include "recorder/show_list_store.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class CAddShowDlg;
class CEditListCtrl;
class QPushButton;
class ShowListFile;
class ShowListModel;

// What the add dialog needs from its surroundings.
struct AddShowContext {
    QString endpoint;      // the recorder's service endpoint
    QString settingsPath;  // "Recorderconfig.ini"
};

class CRecorderShowDlg : public QWidget {
public:
    CRecorderShowDlg(const ShowListFile& file, AddShowContext context, QWidget* parent);
    ~CRecorderShowDlg() override;

    ShowListStore& Store() { return store_; }
    ShowListModel* Model() const { return model_; }
    CEditListCtrl* List() const { return list_; }
    CAddShowDlg* AddDialog() const;

    // LoadShowList into this page's list.
    void LoadShowList(bool noSort);
    // The file changed under the list: while recording is armed the recording worker
    // reloads (refreshList), otherwise the list is emptied, reloaded and sorted here.
    void ReloadList();
    // The clear button (1036), which recording disables.
    QPushButton* ClearButton() const { return clearButton_; }

    void OnAddShow();
    void OnDeleteShows();
    void OnClearShows();
    void OnUpdateSchedule();
    void OnPublishSchedule();

private:
    bool OnCellEdited(int row, int column, const QString& text);

    const ShowListFile& file_;
    AddShowContext context_;
    ShowListStore store_;
    ShowListModel* model_;
    CEditListCtrl* list_;
    QPushButton* clearButton_;
    QPointer<CAddShowDlg> addDialog_;
};
