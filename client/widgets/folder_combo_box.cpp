#include "client/widgets/folder_combo_box.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>

CComboBoxFolder::CComboBoxFolder(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString chosen = itemData(index).toString();
        if (!chosen.isEmpty() && chosen != folder_) Show(chosen);
    });
}

void CComboBoxFolder::Init(int startFolder, int dropWidth) {
    view()->setMinimumWidth(dropWidth);
    Q_UNUSED(startFolder);  // one start place on this system: the home folder
    Show(QDir::homePath());
}

void CComboBoxFolder::GotoSubPath(const QString& path) {
    const QFileInfo info(QDir(folder_).filePath(path));
    if (info.isDir()) Show(info.absoluteFilePath());
}

void CComboBoxFolder::GotoParent() {
    QDir dir(folder_);
    if (dir.cdUp()) Show(dir.absolutePath());
}

QString CComboBoxFolder::GetSelectedPath() const { return folder_; }

void CComboBoxFolder::Show(const QString& folder) {
    folder_ = QDir::cleanPath(QDir(folder).absolutePath());
    FillEntries();
    setToolTip(folder_);
    emit dataChanged(folder_);
}

void CComboBoxFolder::FillEntries() {
    // The home folder first, then the chain from the root down to the chosen folder.
    QStringList chain;
    for (QDir dir(folder_);;) {
        chain.prepend(dir.absolutePath());
        if (!dir.cdUp()) break;
    }
    const QSignalBlocker quiet(this);
    clear();
    const QString home = QDir::homePath();
    addItem(QStringLiteral("主目录 (%1)").arg(home), home);
    for (qsizetype i = 0; i < chain.size(); ++i) {
        const QString& path = chain[i];
        const QString name = QFileInfo(path).fileName();
        addItem(QString(int(i) * 2, u' ') + (name.isEmpty() ? path : name), path);
    }
    setCurrentIndex(count() - 1);
}
