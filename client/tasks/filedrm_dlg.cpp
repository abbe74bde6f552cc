#include "client/tasks/filedrm_dlg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/file_run_texts.h"
#include "client/tasks/filedrm_worker.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"
#include "client/widgets/find_control.h"
#include "client/widgets/status_text.h"

#include <QApplication>
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
const QString kTotalProgress = QStringLiteral("总进度：");
const QString kSingleProgress = QStringLiteral("单进度：");

constexpr QSize kDesignSize(560, 250);

}  // namespace

CFiledrmDlg::CFiledrmDlg(QWidget* parent) : CBaseTaskDlg(TASK_FILEDRM, kDesignSize, parent) {
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

    totalText_ = new CStatusText(this);
    totalText_->SetText(kTotalProgress);
    Place(totalText_, QRect(16, 100, 528, 22), kTopLeft, kTopRight);
    SetControlId(totalText_, 1085, kTotalProgress);
    total_ = new QProgressBar(this);
    total_->setTextVisible(false);
    Place(total_, QRect(16, 126, 528, 20), kTopLeft, kTopRight);
    SetControlId(total_, 1079, QStringLiteral("总进度"));
    singleText_ = new CStatusText(this);
    singleText_->SetText(kSingleProgress);
    Place(singleText_, QRect(16, 150, 528, 22), kTopLeft, kTopRight);
    SetControlId(singleText_, 1086, kSingleProgress);
    single_ = new QProgressBar(this);
    Place(single_, QRect(16, 150, 528, 20), kTopLeft, kTopRight);
    SetControlId(single_, 1080, QStringLiteral("单进度"));
    singleText_->hide();
    single_->hide();

    start_ = new QPushButton(kStartCaption, this);
    stop_ = new QPushButton(QStringLiteral("停止"), this);
    close_ = new QPushButton(QStringLiteral("关闭"), this);
    Place(start_, QRect(264, 200, 88, 28), kBottomRight, kBottomRight);
    Place(stop_, QRect(360, 200, 88, 28), kBottomRight, kBottomRight);
    Place(close_, QRect(456, 200, 88, 28), kBottomRight, kBottomRight);
    SetControlId(start_, 1010, kStartCaption);
    SetControlId(stop_, 1013, QStringLiteral("停止"));
    SetControlId(close_, 1017, QStringLiteral("关闭"));
    stop_->setEnabled(false);
    SetButtons(start_, close_);

    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(stop_, &QPushButton::clicked, this, [this] { RequestStop(); });
    connect(close_, &QPushButton::clicked, this, [this] { Close(); });
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
    if (pageState_ == 2) return;
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
    NotifyTaskList(kTaskStarted, TaskId());
    SetRunControls(true);
    stopRequested_ = 0;
    pageState_ = 2;
    auto* worker = new CFileDrmWorker({inputFolder_, outputFolder_, account.drmSeed, account.drmPrivateKey, account.drmUrl},
                                      &stopRequested_, this);
    worker_ = worker;
    connect(worker, &CFileDrmWorker::statusChanged, totalText_, &CStatusText::SetText);
    connect(worker, &CFileDrmWorker::progressRangeChanged, total_, [this](int maximum) { total_->setRange(0, maximum); });
    connect(worker, &CFileDrmWorker::progressChanged, total_, &QProgressBar::setValue);
    connect(worker, &CFileDrmWorker::fileProtected, this, [this](const QString& output, const QString& kid) {
        if (CFileDrmTask* task = Task()) {
            task->lastFile = output;
            task->lastKid = kid;
        }
    });
    connect(worker, &QThread::finished, this, [this] { RunEnded(); });
    worker->start();
}

void CFiledrmDlg::SetRunControls(bool running) {
    for (QWidget* control : {static_cast<QWidget*>(start_), static_cast<QWidget*>(close_),
                             static_cast<QWidget*>(inputButton_), static_cast<QWidget*>(outputButton_),
                             static_cast<QWidget*>(profile_)})
        control->setEnabled(!running);
    stop_->setEnabled(running);
}

void CFiledrmDlg::RunEnded() {
    if (!worker_) return;
    const int files = worker_->FileCount();
    const int successes = worker_->SuccessCount();
    worker_->deleteLater();
    worker_ = nullptr;
    const QString summary = FileRunSummary(stopRequested_ != 0, files, successes);
    totalText_->SetText(summary);
    singleText_->SetText(summary);
    total_->reset();
    single_->reset();
    NotifyTaskList(kTaskStopped, TaskId());
    SetRunControls(false);
    pageState_ = 4;
}

void CFiledrmDlg::RequestStop() {
    if (AskMessage(kFileRunStopQuestion, MsgButtons::YesNo, MsgIcon::Question, QString(), this) != IDYES) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Stop();
    QApplication::restoreOverrideCursor();
}

void CFiledrmDlg::Stop() {
    if (!worker_) return;
    stopRequested_ = 1;
    WaitForFileWorker(worker_);
    if (worker_) RunEnded();
}
