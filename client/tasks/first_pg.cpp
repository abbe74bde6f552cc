#include "client/tasks/first_pg.h"

#include "client/shell/message_box.h"
#include "client/tasks/base_sheet.h"
#include "client/tasks/task_file.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

CFirstPg::CFirstPg(QWidget* parent)
    : QWizardPage(parent),
      newTask_(new QRadioButton(QStringLiteral("新建任务"), this)),
      importTask_(new QRadioButton(QStringLiteral("导入任务配置文件"), this)),
      path_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("浏览..."), this)) {
    setTitle(QStringLiteral("选择新建任务的方式"));
    newTask_->setObjectName(QStringLiteral("newTask"));
    importTask_->setObjectName(QStringLiteral("importTask"));
    path_->setObjectName(QStringLiteral("importPath"));
    path_->setAccessibleName(QStringLiteral("任务配置文件"));
    path_->setReadOnly(true);
    browse_->setObjectName(QStringLiteral("browseImport"));
    newTask_->setChecked(true);
    path_->setEnabled(false);
    browse_->setEnabled(false);

    auto* grid = new QGridLayout(this);
    grid->addWidget(newTask_, 0, 0, 1, 3);
    grid->addWidget(importTask_, 1, 0, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("配置文件："), this), 2, 0);
    grid->addWidget(path_, 2, 1);
    grid->addWidget(browse_, 2, 2);
    grid->setRowStretch(3, 1);

    connect(importTask_, &QRadioButton::toggled, this, [this](bool on) {
        path_->setEnabled(on);
        browse_->setEnabled(on);
    });
    connect(browse_, &QPushButton::clicked, this, &CFirstPg::Browse);
}

bool CFirstPg::IsImport() const { return importTask_->isChecked(); }
QString CFirstPg::ImportPath() const { return path_->text(); }

void CFirstPg::initializePage() {
    const auto* sheet = qobject_cast<CBaseSheet*>(wizard());
    filter_ = sheet ? TaskFileFilter(sheet->Kind()) : QString();
}

void CFirstPg::Browse() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("导入任务配置文件"), path_->text(), filter_,
                                                      nullptr, QFileDialog::DontUseNativeDialog);
    if (!path.isEmpty()) ChooseImportFile(path);
}

bool CFirstPg::ChooseImportFile(const QString& path) {
    importTask_->setChecked(true);
    auto* sheet = qobject_cast<CBaseSheet*>(wizard());
    const bool loaded = sheet && sheet->LoadTaskFile(path);
    path_->setText(loaded ? path : QString());
    return loaded;
}

bool CFirstPg::validatePage() {
    if (IsImport() && path_->text().isEmpty()) {
        ShowMessage(QStringLiteral("必须指定导入任务的配置文件！"), this);  // 194
        return false;
    }
    return true;
}
