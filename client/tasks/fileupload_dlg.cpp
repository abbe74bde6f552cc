#include "client/tasks/fileupload_dlg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/file_run_texts.h"
#include "client/tasks/fileupload_worker.h"
#include "client/tasks/task_kind.h"
#include "client/tasks/task_list_message.h"
#include "client/tasks/task_records.h"
#include "client/widgets/find_control.h"
#include "client/widgets/status_text.h"
#include "client/widgets/window_handle.h"
#include "ftp/ftp_client.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace {

const QString kNoVodBalance = QStringLiteral("您的点播余额为零！");                          // 157
const QString kTotalProgress = QStringLiteral("总进度：");
const QString kSingleProgress = QStringLiteral("单进度：");

constexpr QSize kDesignSize(560, 360);

}  // namespace

// The Windows Media file types the page offers; the patterns come in both cases because the
// operator's files come from systems that do not tell "x.WMA" from "x.wma".
const QString CFileuploadDlg::kFileFilter = QStringLiteral(
    "Windows Media文件(*.wav;*.wma;*.mp3,*.wmv;*.asf) "
    "(*.wav *.wma *.mp3 *.wmv *.asf *.WAV *.WMA *.MP3 *.WMV *.ASF)");

CFileuploadDlg::CFileuploadDlg(QWidget* parent) : CBaseTaskDlg(TASK_FILEUPLOAD, kDesignSize, parent) {
    handle_ = new CWindowHandle(this, [this](unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
        return OnMessage(msg, wParam, lParam);
    });

    choose_ = new QPushButton(QStringLiteral("选择文件"), this);
    Place(choose_, QRect(16, 14, 96, 28));
    SetControlId(choose_, 1078, QStringLiteral("选择文件"));
    clear_ = new QPushButton(QStringLiteral("清空列表"), this);
    Place(clear_, QRect(120, 14, 96, 28));
    SetControlId(clear_, 1018, QStringLiteral("清空列表"));
    clear_->setEnabled(false);

    profile_ = new QComboBox(this);
    Place(profile_, QRect(232, 14, 200, 28));
    SetControlId(profile_, 1084, QStringLiteral("加密配置"));
    profile_->hide();
    profile_->setEnabled(false);
    encrypt_ = new QCheckBox(QStringLiteral("是否加密"), this);
    Place(encrypt_, QRect(440, 14, 104, 28));
    SetControlId(encrypt_, 1047, QStringLiteral("是否加密"));
    encrypt_->hide();
    encrypt_->setEnabled(false);

    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    Place(list_, QRect(16, 50, 528, 150), kTopLeft, kBottomRight);
    SetControlId(list_, 1000, QStringLiteral("文件列表"));

    totalText_ = new CStatusText(this);
    totalText_->SetText(kTotalProgress);
    Place(totalText_, QRect(16, 208, 528, 22), kBottomLeft, kBottomRight);
    SetControlId(totalText_, 1085, kTotalProgress);
    total_ = new QProgressBar(this);
    total_->setTextVisible(false);
    Place(total_, QRect(16, 232, 528, 18), kBottomLeft, kBottomRight);
    SetControlId(total_, 1079, QStringLiteral("总进度"));
    singleText_ = new CStatusText(this);
    singleText_->SetText(kSingleProgress);
    Place(singleText_, QRect(16, 256, 528, 22), kBottomLeft, kBottomRight);
    SetControlId(singleText_, 1086, kSingleProgress);
    single_ = new QProgressBar(this);
    single_->setRange(0, 100);
    single_->setTextVisible(false);
    Place(single_, QRect(16, 280, 528, 18), kBottomLeft, kBottomRight);
    SetControlId(single_, 1080, QStringLiteral("单进度"));

    start_ = new QPushButton(kStartCaption, this);
    stop_ = new QPushButton(QStringLiteral("停止"), this);
    close_ = new QPushButton(QStringLiteral("关闭"), this);
    Place(start_, QRect(264, 316, 88, 28), kBottomRight, kBottomRight);
    Place(stop_, QRect(360, 316, 88, 28), kBottomRight, kBottomRight);
    Place(close_, QRect(456, 316, 88, 28), kBottomRight, kBottomRight);
    SetControlId(start_, 1010, kStartCaption);
    SetControlId(stop_, 1013, QStringLiteral("停止"));
    SetControlId(close_, 1017, QStringLiteral("关闭"));
    stop_->setEnabled(false);
    SetButtons(start_, close_);

    connect(choose_, &QPushButton::clicked, this, [this] { ChooseFiles(); });
    connect(clear_, &QPushButton::clicked, this, [this] { ClearFiles(); });
    connect(start_, &QPushButton::clicked, this, [this] { Start(); });
    connect(stop_, &QPushButton::clicked, this, [this] { RequestStop(); });
    connect(close_, &QPushButton::clicked, this, [this] { Close(); });
}

CFileuploadDlg::~CFileuploadDlg() { Stop(); }

CFileUploadTask* CFileuploadDlg::Task() const { return dynamic_cast<CFileUploadTask*>(Record()); }

QStringList CFileuploadDlg::Files() const {
    QStringList files;
    for (int row = 0; row < list_->count(); ++row) files << list_->item(row)->text();
    return files;
}

void CFileuploadDlg::AddFiles(const QStringList& paths) {
    for (const QString& path : paths) list_->addItem(path);
    clear_->setEnabled(list_->count() > 0);
}

void CFileuploadDlg::ClearFiles() {
    list_->clear();
    clear_->setEnabled(false);
}

void CFileuploadDlg::ChooseFiles() {
    CFileUploadTask* task = Task();
    const QStringList paths = QFileDialog::getOpenFileNames(this, QStringLiteral("打开"), task ? task->fileFolder : QString(),
                                                            kFileFilter, nullptr, QFileDialog::DontUseNativeDialog);
    if (paths.isEmpty()) return;
    if (task) task->fileFolder = QFileInfo(paths.first()).absolutePath();
    AddFiles(paths);
}

void CFileuploadDlg::StartTask() {
    if (pageState_ == 2) return;
    const AccountInfo& account = Globals().account;
    if (account.vodCount <= 0) {
        ShowMessage(kNoVodBalance, this);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    NotifyTaskList(kTaskStarted, TaskId());
    SetRunControls(true);
    stopRequested_ = 0;
    pageState_ = 2;
    FileUploadRun run;
    run.files = Files();
    run.logon.host = account.ip;
    run.logon.port = static_cast<std::uint16_t>(account.port);
    run.logon.user = account.ftpUser;
    run.logon.password = account.ftpPass;
    run.passive = Globals().ftpPassive == 1;
    run.bufferSize = bufferSize_;
    run.progressWindow = handle_;
    auto* worker = new CFileUploadWorker(std::move(run), &stopRequested_, this);
    worker_ = worker;
    connect(worker, &CFileUploadWorker::statusChanged, totalText_, &CStatusText::SetText);
    connect(worker, &CFileUploadWorker::fileSelected, list_, [this](int row) { list_->setCurrentRow(row); });
    connect(worker, &CFileUploadWorker::progressRangeChanged, total_, [this](int maximum) {
        total_->setRange(0, maximum);
        single_->setValue(0);
    });
    connect(worker, &CFileUploadWorker::progressChanged, total_, &QProgressBar::setValue);
    connect(worker, &CFileUploadWorker::fileUploaded, this, [this](const QString& folder, const QString& name) {
        if (CFileUploadTask* task = Task()) {
            task->uploadFolder = folder;
            task->lastFile = name;
        }
    });
    connect(worker, &QThread::finished, this, [this] { RunEnded(); });
    worker->start();
    QApplication::restoreOverrideCursor();
}

platform::LRESULT CFileuploadDlg::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
    if (msg == nsFTP::kFtpProgressMessage && wParam == 0 && worker_) single_->setValue(static_cast<int>(lParam));
    return 0;
}

void CFileuploadDlg::SetRunControls(bool running) {
    for (QWidget* control : {static_cast<QWidget*>(start_), static_cast<QWidget*>(close_), static_cast<QWidget*>(choose_)})
        control->setEnabled(!running);
    stop_->setEnabled(running);
}

void CFileuploadDlg::RunEnded() {
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

void CFileuploadDlg::RequestStop() {
    if (AskMessage(kFileRunStopQuestion, MsgButtons::OkCancel, MsgIcon::Question, QString(), this) != IDOK) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Stop();
    QApplication::restoreOverrideCursor();
}

void CFileuploadDlg::Stop() {
    if (!worker_) return;
    stopRequested_ = 1;
    worker_->Wake();
    WaitForFileWorker(worker_);
    if (worker_) RunEnded();
}
