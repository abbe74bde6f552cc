#include "upkeep/http_download_dlg.h"

#include "upkeep/credentials_dlg.h"
#include "upkeep/download_animation.h"
#include "upkeep/download_report.h"
#include "upkeep/download_worker.h"
#include "upkeep/upkeep_messages.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using upkeep::DownloadReport;

namespace {

// Control numbers of the window.
constexpr int kProgressBar = 11000;
constexpr int kRemainingText = 11001;
constexpr int kRateText = 11002;
constexpr int kFromLine = 11003;
constexpr int kStatusLine = 11004;
constexpr int kAnimation = 11005;
constexpr int kCancelButton = 2;

template <typename T>
T* Numbered(T* control, int id, const QString& accessibleName) {
    control->setProperty("controlId", id);
    control->setAccessibleName(accessibleName);
    return control;
}

}  // namespace

CHttpDownloadDlg::CHttpDownloadDlg(const QString& url, const QString& targetFile, QWidget* parent)
    : QDialog(parent), url_(url), targetFile_(targetFile) {
    setObjectName(QStringLiteral("CHttpDownloadDlg"));
    setWindowTitle(QStringLiteral("升级更新"));
    setModal(true);

    animation_ = Numbered(new CDownloadAnimation(this), kAnimation, QStringLiteral("下载动画"));
    status_ = Numbered(new QLabel(QStringLiteral("文件下载"), this), kStatusLine, QStringLiteral("状态"));
    from_ = Numbered(new QLabel(this), kFromLine, QStringLiteral("来源"));
    progress_ = Numbered(new QProgressBar(this), kProgressBar, QStringLiteral("进度"));
    remaining_ = Numbered(new QLabel(this), kRemainingText, QStringLiteral("估计剩余时间："));
    rate_ = Numbered(new QLabel(this), kRateText, QStringLiteral("传输速度："));
    cancel_ = Numbered(new QPushButton(QStringLiteral("取消"), this), kCancelButton, QStringLiteral("取消"));
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    for (QLabel* line : {status_, from_, remaining_, rate_}) line->setTextFormat(Qt::PlainText);
    from_->setMinimumWidth(360);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(animation_);
    layout->addWidget(status_);
    layout->addWidget(from_);
    layout->addWidget(progress_);
    auto* figures = new QGridLayout;
    figures->addWidget(new QLabel(QStringLiteral("估计剩余时间："), this), 0, 0);
    figures->addWidget(remaining_, 0, 1);
    figures->addWidget(new QLabel(QStringLiteral("传输速度："), this), 1, 0);
    figures->addWidget(rate_, 1, 1);
    figures->setColumnStretch(1, 1);
    layout->addLayout(figures);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cancel_, &QPushButton::clicked, this, &CHttpDownloadDlg::reject);
}

CHttpDownloadDlg::~CHttpDownloadDlg() {
    if (worker_) {
        abort_ = true;
        worker_->wait();
    }
    if (file_ >= 0) CloseAndDeleteFile();
}

int CHttpDownloadDlg::DoModal() {
    animation_->Start();
    if (!upkeep::ParseDownloadUrl(url_, &parts_)) {
        animation_->Stop();
        upkeep::ShowError(QStringLiteral("地址解析错误"), parentWidget());
        return Rejected;
    }
    // Created afresh, never through a link someone left in the temporary folder.
    file_ = ::open(QFile::encodeName(targetFile_).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                   0644);
    if (file_ < 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        animation_->Stop();
        upkeep::ShowError(QStringLiteral("打开文件错误：%1").arg(reason), parentWidget());
        return Rejected;
    }
    from_->setText(QStringLiteral("%1 从 %2").arg(parts_.fileName, parts_.server));

    DownloadJob job;
    job.url = parts_;
    job.file = file_;
    job.abort = &abort_;
    job.window = this;
    worker_ = std::make_unique<CDownloadWorker>(std::move(job));
    running_ = true;
    worker_->start();
    return exec();
}

void CHttpDownloadDlg::reject() {
    if (!running_) {
        QDialog::reject();
        return;
    }
    abort_ = true;
    cancel_->setEnabled(false);
    status_->setText(QStringLiteral("正在中止传输"));
}

bool CHttpDownloadDlg::event(QEvent* event) {
    if (event->type() != DownloadReport::TypeId()) return QDialog::event(event);
    OnReport(*static_cast<DownloadReport*>(event));
    return true;
}

void CHttpDownloadDlg::OnReport(const DownloadReport& report) {
    switch (report.kind) {
    case DownloadReport::Kind::Status:
        // Once Cancel was pressed the line keeps saying so.
        if (!abort_) status_->setText(report.text);
        break;
    case DownloadReport::Kind::Length:
        // An answer without a length shows a busy bar.
        progress_->setRange(0, report.lengthKnown ? 100 : 0);
        break;
    case DownloadReport::Kind::Progress:
        progress_->setValue(report.percent);
        setWindowTitle(report.text);
        break;
    case DownloadReport::Kind::Rate:
        rate_->setText(report.text);
        if (!report.remaining.isEmpty()) remaining_->setText(report.remaining);
        break;
    case DownloadReport::Kind::Credentials:
        AskCredentials(report);
        break;
    case DownloadReport::Kind::Complete:
        OnComplete(report.wParam, report.text);
        break;
    }
}

void CHttpDownloadDlg::AskCredentials(const DownloadReport& report) {
    CCredentialsDlg ask(report.exchange->server, report.exchange->realm, report.exchange->proxy, this);
    const bool given = ask.exec() == Accepted;
    report.exchange->Answer(given, ask.UserName(), ask.Password());
}

void CHttpDownloadDlg::OnComplete(int wParam, const QString& error) {
    animation_->Stop();
    worker_->wait();
    running_ = false;
    if (!abort_ && wParam == 0) {
        ::close(file_);
        file_ = -1;
        done(Accepted);
        return;
    }
    if (!abort_) upkeep::ShowError(error, this);
    done(Rejected);
    CloseAndDeleteFile();
}

void CHttpDownloadDlg::CloseAndDeleteFile() {
    ::close(file_);
    file_ = -1;
    QFile::remove(targetFile_);
}
