#include "client/tasks/filedrm_dlg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/filedrm_worker.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_records.h"
#include "client/widgets/find_control.h"
#include "client/widgets/status_text.h"

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString kNoDrmBalance = QStringLiteral("您的DRM服务余额为零！");                // 171
const QString kNoInputFolder = QStringLiteral("您必须选择视频所在目录！");            // 153
const QString kNoOutputFolder = QStringLiteral("您必须选择加密视音频输出目录！");     // 156

constexpr QSize kDesignSize(560, 250);

}  // namespace

CFiledrmDlg::CFiledrmDlg(QWidget* parent) : CFileRunDlg(TASK_FILEDRM, kDesignSize, MsgButtons::YesNo, parent) {
    const auto label = [this](const QString& text, const QRect& rect) {
        auto* l = new QLabel(text, this);
        Place(l, rect);
    };
    label(QStringLiteral("输入目录："), QRect(16, 20, 80, 24));
    inputEdit_ = new QLineEdit(this);
    inputEdit_->setReadOnly(true);
    Place(inputEdit_, QRect(96, 20, 350, 24), kTopLeft, kTopRight);
    SetControlId(inputEdit_, 1083, QStringLiteral("输入目录："));
    inputButton_ = new QPushButton(QStringLiteral("选择"), this);
    Place(inputButton_, QRect(456, 20, 88, 24), kTopRight, kTopRight);
    SetControlId(inputButton_, 1090, QStringLiteral("选择输入目录"));

    label(QStringLiteral("输出目录："), QRect(16, 56, 80, 24));
    outputEdit_ = new QLineEdit(this);
    outputEdit_->setReadOnly(true);
    Place(outputEdit_, QRect(96, 56, 350, 24), kTopLeft, kTopRight);
    SetControlId(outputEdit_, 1089, QStringLiteral("输出目录："));
    outputButton_ = new QPushButton(QStringLiteral("选择"), this);
    Place(outputButton_, QRect(456, 56, 88, 24), kTopRight, kTopRight);
    SetControlId(outputButton_, 1081, QStringLiteral("选择输出目录"));

    profile_ = new QComboBox(this);
    Place(profile_, QRect(96, 92, 350, 24), kTopLeft, kTopRight);
    SetControlId(profile_, 1084, QStringLiteral("加密配置"));
    profile_->hide();
    profile_->setEnabled(false);

    AddRunControls({QRect(16, 100, 528, 22), QRect(16, 126, 528, 20), QRect(16, 150, 528, 22), QRect(16, 150, 528, 20)},
                   kTopLeft, kTopRight, 200);
    SingleText()->hide();
    SingleBar()->hide();
    LockWhileRunning({inputButton_, outputButton_, profile_});

    connect(inputButton_, &QPushButton::clicked, this, [this] {
        const QString folder = ChooseFolder(inputFolder_);
        if (!folder.isEmpty()) SetInputFolder(folder);
    });
    connect(outputButton_, &QPushButton::clicked, this, [this] {
        const QString folder = ChooseFolder(outputFolder_);
        if (!folder.isEmpty()) SetOutputFolder(folder);
    });
}

CFiledrmDlg::~CFiledrmDlg() { Stop(); }

CFileDrmTask* CFiledrmDlg::Task() const { return dynamic_cast<CFileDrmTask*>(Record()); }

void CFiledrmDlg::OnSetUp() {
    if (CFileDrmTask* task = Task()) {
        if (!task->inputFolder.isEmpty()) SetInputFolder(task->inputFolder);
        if (!task->outputFolder.isEmpty()) SetOutputFolder(task->outputFolder);
    }
}

QString CFiledrmDlg::ChooseFolder(const QString& current) {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("选择目录"), current,
                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
}

void CFiledrmDlg::SetInputFolder(const QString& folder) {
    inputFolder_ = folder;
    inputEdit_->setText(folder);
    if (CFileDrmTask* task = Task()) task->inputFolder = folder;
}

void CFiledrmDlg::SetOutputFolder(const QString& folder) {
    outputFolder_ = folder;
    outputEdit_->setText(folder);
    if (CFileDrmTask* task = Task()) task->outputFolder = folder;
}

void CFiledrmDlg::StartTask() {
    if (Running()) return;
    const AccountInfo& account = Globals().account;
    if (account.drmCount <= 0) {
        ShowMessage(kNoDrmBalance, this);
        return;
    }
    if (inputFolder_.isEmpty()) {
        ShowMessage(kNoInputFolder, this);
        return;
    }
    if (outputFolder_.isEmpty()) {
        ShowMessage(kNoOutputFolder, this);
        return;
    }
    auto* worker = new CFileDrmWorker({inputFolder_, outputFolder_, account.drmSeed, account.drmPrivateKey, account.drmUrl},
                                      StopFlag(), this);
    QProgressBar* total = TotalBar();
    connect(worker, &CFileDrmWorker::statusChanged, TotalText(), &CStatusText::SetText);
    connect(worker, &CFileDrmWorker::progressRangeChanged, total, [total](int maximum) { total->setRange(0, maximum); });
    connect(worker, &CFileDrmWorker::progressChanged, total, &QProgressBar::setValue);
    connect(worker, &CFileDrmWorker::fileProtected, this, [this](const QString& output, const QString& kid) {
        if (CFileDrmTask* task = Task()) {
            task->lastFile = output;
            task->lastKid = kid;
        }
    });
    RunWorker(worker);
}
