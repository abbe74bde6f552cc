#include "client/tasks/fileupload_dlg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/fileupload_worker.h"
#include "client/tasks/task_kind.h"
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

constexpr QSize kDesignSize(560, 360);

}  // namespace

// The Windows Media file types the page offers; the patterns come in both cases because the
// operator's files come from systems that do not tell "x.WMA" from "x.wma".
const QString CFileuploadDlg::kFileFilter = QStringLiteral(
    "Windows Media文件(*.wav;*.wma;*.mp3,*.wmv;*.asf) "
    "(*.wav *.wma *.mp3 *.wmv *.asf *.WAV *.WMA *.MP3 *.WMV *.ASF)");

CFileuploadDlg::CFileuploadDlg(QWidget* parent) : CFileRunDlg(TASK_FILEUPLOAD, kDesignSize, MsgButtons::OkCancel, parent) {
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

    AddRunControls({QRect(16, 208, 528, 22), QRect(16, 232, 528, 18), QRect(16, 256, 528, 22), QRect(16, 280, 528, 18)},
                   kBottomLeft, kBottomRight, 316);
    SingleBar()->setRange(0, 100);
    SingleBar()->setTextVisible(false);
    LockWhileRunning({choose_});

    connect(choose_, &QPushButton::clicked, this, [this] { ChooseFiles(); });
    connect(clear_, &QPushButton::clicked, this, [this] { ClearFiles(); });
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
    if (Running()) return;
    const AccountInfo& account = Globals().account;
    if (account.vodCount <= 0) {
        ShowMessage(kNoVodBalance, this);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FileUploadRun run;
    run.files = Files();
    run.logon.host = account.ip;
    run.logon.port = static_cast<std::uint16_t>(account.port);
    run.logon.user = account.ftpUser;
    run.logon.password = account.ftpPass;
    run.passive = Globals().ftpPassive == 1;
    run.bufferSize = bufferSize_;
    run.progressWindow = handle_;
    auto* worker = new CFileUploadWorker(std::move(run), StopFlag(), this);
    QProgressBar* total = TotalBar();
    QProgressBar* single = SingleBar();
    connect(worker, &CFileUploadWorker::statusChanged, TotalText(), &CStatusText::SetText);
    connect(worker, &CFileUploadWorker::fileSelected, list_, [this](int row) { list_->setCurrentRow(row); });
    connect(worker, &CFileUploadWorker::progressRangeChanged, total, [total, single](int maximum) {
        total->setRange(0, maximum);
        single->setValue(0);
    });
    connect(worker, &CFileUploadWorker::progressChanged, total, &QProgressBar::setValue);
    connect(worker, &CFileUploadWorker::fileUploaded, this, [this](const QString& folder, const QString& name) {
        if (CFileUploadTask* task = Task()) {
            task->uploadFolder = folder;
            task->lastFile = name;
        }
    });
    RunWorker(worker);
    QApplication::restoreOverrideCursor();
}

platform::LRESULT CFileuploadDlg::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
    if (msg == nsFTP::kFtpProgressMessage && wParam == 0 && HasWorker()) SingleBar()->setValue(static_cast<int>(lParam));
    return 0;
}
