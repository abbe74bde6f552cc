#include "client/tasks/output_pg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/base_sheet.h"
#include "client/tasks/generated_name.h"
#include "client/tasks/save_path_dialog.h"
#include "client/tasks/type_pg.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

COutputPg::COutputPg(QWidget* parent)
    : QWizardPage(parent),
      record_(new QCheckBox(QStringLiteral("录制节目"), this)),
      file_(new QLineEdit(this)),
      browse_(new QPushButton(QStringLiteral("浏览..."), this)) {
    setTitle(QStringLiteral("节目输出"));
    record_->setObjectName(QStringLiteral("isRecord"));
    file_->setObjectName(QStringLiteral("outputFile"));
    file_->setAccessibleName(QStringLiteral("输出文件"));
    browse_->setObjectName(QStringLiteral("browseOutput"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(record_, 0, 0, 1, 2);
    grid->addWidget(file_, 1, 0);
    grid->addWidget(browse_, 1, 1);
    grid->setRowStretch(2, 1);
    connect(browse_, &QPushButton::clicked, this, &COutputPg::Browse);
}

int COutputPg::IsRecord() const { return record_->isChecked(); }
QString COutputPg::OutputFile() const { return file_->text().trimmed(); }

void COutputPg::Load(int isRecord, const QString& outputFile) {
    record_->setChecked(isRecord);
    file_->setText(outputFile);
}

int COutputPg::StreamType() const {
    const auto* sheet = qobject_cast<CBaseSheet*>(wizard());
    return sheet ? sheet->TypePage()->StreamType() : 0;
}

void COutputPg::initializePage() {
    if (!file_->text().isEmpty() && file_->text() != defaultFile_) return;
    const QString folder = Globals().programFolder + QStringLiteral("save");
    QDir().mkpath(folder);
    const QString name = LocalTimeText("%Y%m%d%H%M%S") + (StreamType() == 1 ? QStringLiteral(".wma") : QStringLiteral(".wmv"));
    defaultFile_ = QDir(folder).filePath(name);
    file_->setText(defaultFile_);
}

void COutputPg::Browse() {
    const bool audio = StreamType() == 1;
    const QString path = AskSavePath(
        this, {QStringLiteral("浏览输出文件"), file_->text(),
               audio ? QStringLiteral("Windows Media 音频文件(*.wma)") : QStringLiteral("Windows Media 视频文件(*.wmv)"),
               audio ? QStringLiteral("wma") : QStringLiteral("wmv"), QStringLiteral("该文件已存在，是否替换？"),
               QStringLiteral("提示")});
    if (!path.isEmpty()) file_->setText(path);
}

bool COutputPg::validatePage() {
    if (IsRecord() && OutputFile().isEmpty()) {
        ShowMessage(QStringLiteral("您必须指定输出的节目文件！"), this);  // 202
        return false;
    }
    return true;
}
