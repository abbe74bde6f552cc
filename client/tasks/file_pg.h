#pragma once
// The file wizard's page of media files: a folder chooser and the folder's files; opening
// a file adds it to the list to broadcast. The qualities offered follow the kind of the
// files (audio or video); "circle" starts the list again after its last file.

#include <QStringList>
#include <QWizardPage>

class CComboBoxFolder;
class CFileListCtrl;
class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

class CFilePg : public QWizardPage {
    Q_OBJECT
public:
    explicit CFilePg(QWidget* parent = nullptr);

    // Adds a file to the list; a file already there shows "您已经添加了该文件！".
    bool AddFile(const QString& path);
    // The list to broadcast, in display order.
    QStringList FileList() const;
    QString VideoProfile() const;
    int Circle() const;
    // From a task file: the list as it stands (whether the files still exist or not).
    void Load(const QStringList& files, int circle, const QString& videoProfile);

    CComboBoxFolder* Folders() const { return folders_; }
    CFileListCtrl* Files() const { return files_; }

    bool validatePage() override;

private:
    void FillProfiles(const QString& wanted);
    void MoveSelected(int step);

    CComboBoxFolder* folders_;
    CFileListCtrl* files_;
    QListWidget* chosen_;
    QPushButton* remove_;
    QPushButton* up_;
    QPushButton* down_;
    QComboBox* profile_;
    QCheckBox* circle_;
};
