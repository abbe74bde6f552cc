#include "client/widgets/file_list_ctrl.h"

#include <QDir>
#include <QFileSystemModel>
#include <QStandardItemModel>

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kKindRole = Qt::UserRole + 2;
enum EntryKind { kParent, kFolder, kFile };

}  // namespace

CFileListCtrl::CFileListCtrl(QWidget* parent)
    : QListView(parent), files_(new QFileSystemModel(this)), shown_(new QStandardItemModel(this)) {
    files_->setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    files_->setNameFilterDisables(false);
    setModel(shown_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The model reads folders in the background; the shown list follows as rows arrive.
    connect(files_, &QFileSystemModel::directoryLoaded, this, [this](const QString&) { Rebuild(); });
    connect(files_, &QAbstractItemModel::rowsInserted, this, [this] { Rebuild(); });
    connect(files_, &QAbstractItemModel::rowsRemoved, this, [this] { Rebuild(); });
    // A double click or Enter, as the style has it.
    connect(this, &QAbstractItemView::activated, this, &CFileListCtrl::Open);
}

void CFileListCtrl::SetNameFilters(const QStringList& filters) {
    files_->setNameFilters(filters);
    Rebuild();
}

void CFileListCtrl::Init(const QString& folder) { UpdateList(folder); }

void CFileListCtrl::OnDataChange(const QString& folder) { UpdateList(folder); }

void CFileListCtrl::UpdateList(const QString& folder) {
    folder_ = QDir::cleanPath(QDir(folder).absolutePath());
    files_->setRootPath(folder_);
    Rebuild();
}

void CFileListCtrl::Rebuild() {
    shown_->clear();
    if (folder_.isEmpty()) return;
    if (!QDir(folder_).isRoot()) {
        auto* up = new QStandardItem(QStringLiteral(".."));
        up->setData(kParent, kKindRole);
        shown_->appendRow(up);
    }
    const QModelIndex root = files_->index(folder_);
    QList<QStandardItem*> folders, plainFiles;
    for (int row = 0; row < files_->rowCount(root); ++row) {
        const QModelIndex entry = files_->index(row, 0, root);
        auto* item = new QStandardItem(files_->fileIcon(entry), files_->fileName(entry));
        item->setData(files_->filePath(entry), kPathRole);
        const bool isFolder = files_->isDir(entry);
        item->setData(isFolder ? kFolder : kFile, kKindRole);
        (isFolder ? folders : plainFiles).append(item);
    }
    const auto byName = [](QStandardItem* a, QStandardItem* b) {
        return QString::localeAwareCompare(a->text(), b->text()) < 0;
    };
    std::sort(folders.begin(), folders.end(), byName);
    std::sort(plainFiles.begin(), plainFiles.end(), byName);
    for (QStandardItem* item : folders) shown_->appendRow(item);
    for (QStandardItem* item : plainFiles) shown_->appendRow(item);
}

QStringList CFileListCtrl::Entries() const {
    QStringList names;
    for (int row = 0; row < shown_->rowCount(); ++row) names << shown_->item(row)->text();
    return names;
}

bool CFileListCtrl::OpenEntry(const QString& name) {
    for (int row = 0; row < shown_->rowCount(); ++row) {
        if (shown_->item(row)->text() == name) {
            Open(shown_->index(row, 0));
            return true;
        }
    }
    return false;
}

void CFileListCtrl::Open(const QModelIndex& index) {
    if (!index.isValid()) return;
    const QString path = index.data(kPathRole).toString();
    switch (index.data(kKindRole).toInt()) {
    case kParent: emit parentOpened(); break;
    case kFolder: emit folderOpened(path); break;
    default: emit fileOpened(path); break;
    }
}
