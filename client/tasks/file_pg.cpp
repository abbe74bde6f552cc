#include "client/tasks/file_pg.h"

#include "client/shell/message_box.h"
#include "client/tasks/wizard_profiles.h"
#include "client/widgets/file_list_ctrl.h"
#include "client/widgets/folder_combo_box.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CFilePg::CFilePg(QWidget* parent)
    : QWizardPage(parent),
      folders_(new CComboBoxFolder(this)),
      files_(new CFileListCtrl(this)),
      chosen_(new QListWidget(this)),
      remove_(new QPushButton(QStringLiteral("删除"), this)),
      up_(new QPushButton(QStringLiteral("上移"), this)),
      down_(new QPushButton(QStringLiteral("下移"), this)),
      profile_(new QComboBox(this)),
      circle_(new QCheckBox(QStringLiteral("循环播放"), this)) {
    setTitle(QStringLiteral("选择直播的文件"));
    setSubTitle(QStringLiteral("双击文件把它加入直播列表"));
    folders_->setObjectName(QStringLiteral("folders"));
    folders_->setAccessibleName(QStringLiteral("文件夹"));
    files_->setObjectName(QStringLiteral("folderFiles"));
    files_->setAccessibleName(QStringLiteral("文件夹中的文件"));
    chosen_->setObjectName(QStringLiteral("fileList"));
    chosen_->setAccessibleName(QStringLiteral("直播的文件"));
    profile_->setObjectName(QStringLiteral("videoProfile"));
    profile_->setAccessibleName(QStringLiteral("配置文件"));
    circle_->setObjectName(QStringLiteral("circle"));
    remove_->setObjectName(QStringLiteral("removeFile"));
    up_->setObjectName(QStringLiteral("moveUp"));
    down_->setObjectName(QStringLiteral("moveDown"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(folders_, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("直播列表："), this), 0, 1);
    grid->addWidget(files_, 1, 0, 4, 1);
    grid->addWidget(chosen_, 1, 1, 4, 1);
    grid->addWidget(remove_, 1, 2);
    grid->addWidget(up_, 2, 2);
    grid->addWidget(down_, 3, 2);
    auto* profileRow = new QHBoxLayout;
    profileRow->addWidget(new QLabel(QStringLiteral("配置文件："), this));
    profileRow->addWidget(profile_, 1);
    profileRow->addWidget(circle_);
    grid->addLayout(profileRow, 5, 0, 1, 3);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    files_->SetNameFilters(MediaFileFilters());
    connect(folders_, &CComboBoxFolder::dataChanged, files_, &CFileListCtrl::OnDataChange);
    connect(files_, &CFileListCtrl::folderOpened, folders_, &CComboBoxFolder::GotoSubPath);
    connect(files_, &CFileListCtrl::parentOpened, folders_, &CComboBoxFolder::GotoParent);
    connect(files_, &CFileListCtrl::fileOpened, this, &CFilePg::AddFile);
    connect(remove_, &QPushButton::clicked, this, [this] {
        delete chosen_->takeItem(chosen_->currentRow());
        FillProfiles(profile_->currentText());
    });
    connect(up_, &QPushButton::clicked, this, [this] { MoveSelected(-1); });
    connect(down_, &QPushButton::clicked, this, [this] { MoveSelected(1); });
    folders_->Init(0, 300);
    files_->Init(folders_->GetSelectedPath());
    FillProfiles(QString());
}

bool CFilePg::AddFile(const QString& path) {
    if (FileList().contains(path)) {
        ShowMessage(QStringLiteral("您已经添加了该文件！"), this);  // 152
        return false;
    }
    chosen_->addItem(path);
    chosen_->setCurrentRow(chosen_->count() - 1);
    FillProfiles(profile_->currentText());
    return true;
}

QStringList CFilePg::FileList() const {
    QStringList files;
    for (int row = 0; row < chosen_->count(); ++row) files << chosen_->item(row)->text();
    return files;
}

QString CFilePg::VideoProfile() const { return profile_->currentText(); }
int CFilePg::Circle() const { return circle_->isChecked(); }

void CFilePg::Load(const QStringList& files, int circle, const QString& videoProfile) {
    chosen_->clear();
    chosen_->addItems(files);
    circle_->setChecked(circle);
    FillProfiles(videoProfile);
}

void CFilePg::FillProfiles(const QString& wanted) {
    // Audio files (wma, mp3) get the audio qualities; the first file decides.
    const QStringList files = FileList();
    const QStringList& names = !files.isEmpty() && IsAudioMediaFile(files.first()) ? AudioProfileNames()
                                                                                  : VideoProfileNames();
    const QSignalBlocker quiet(profile_);
    profile_->clear();
    profile_->addItems(names);
    const int found = profile_->findText(wanted);
    profile_->setCurrentIndex(found >= 0 ? found : 1);
}

void CFilePg::MoveSelected(int step) {
    const int row = chosen_->currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= chosen_->count()) return;
    QListWidgetItem* item = chosen_->takeItem(row);
    chosen_->insertItem(to, item);
    chosen_->setCurrentRow(to);
    FillProfiles(profile_->currentText());
}

bool CFilePg::validatePage() {
    if (chosen_->count() == 0) {
        ShowMessage(QStringLiteral("您必须添加直播的文件！"), this);  // 154
        return false;
    }
    return true;
}
