#pragma once
// The files of one folder, listed from a QFileSystemModel: ".." first (when the folder has
// a parent), then the sub-folders, then the files that match the name filters. Opening an
// entry (double click or Enter) reports it.

#include <QListView>
#include <QStringList>

class QFileSystemModel;
class QStandardItemModel;

class CFileListCtrl : public QListView {
    Q_OBJECT
public:
    explicit CFileListCtrl(QWidget* parent = nullptr);

    // Which files are listed ("*.wmv", ...); folders are always listed.
    void SetNameFilters(const QStringList& filters);
    void Init(const QString& folder);
    // Lists `folder` anew.
    void UpdateList(const QString& folder);
    // The folder chooser's data-change notification: list the folder it chose.
    void OnDataChange(const QString& folder);

    QString Folder() const { return folder_; }
    // The entries now listed, as shown (".." and names); the model fills them in the background.
    QStringList Entries() const;
    // Opens the entry shown as `name`, as a double click on it would.
    bool OpenEntry(const QString& name);

signals:
    void parentOpened();
    void folderOpened(const QString& path);
    void fileOpened(const QString& path);

private:
    void Rebuild();
    void Open(const QModelIndex& index);

    QFileSystemModel* files_;
    QStandardItemModel* shown_;
    QString folder_;
};
