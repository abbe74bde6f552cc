#include "client/tasks/info_dlg.h"

#include "client/shell/client_globals.h"
#include "client/tasks/web_pages.h"
#include "client/widgets/find_control.h"
#include "client/widgets/report_list.h"
#include "client/widgets/tab_pages.h"
#include "platform/paths.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString StateText(int state) {
    switch (state) {
    case 0: return QStringLiteral("未启用用户");
    case 1: return QStringLiteral("体验用户");
    case 2: return QStringLiteral("正式用户");
    default: return QString();
    }
}

QString Megabytes(int kibibytes) { return QString::asprintf("%.2fM", kibibytes / 1024.0); }

QWidget* ConsultPage(QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* text = new QLabel(QStringLiteral("使用中遇到问题？平台客服在线为您解答，\n工作时间：每天 9:00-21:00。"), page);
    text->setWordWrap(true);
    auto* open = new QPushButton(QStringLiteral("打开平台主页"), page);
    open->setObjectName(QStringLiteral("consultHome"));
    QObject::connect(open, &QPushButton::clicked, page, [] { platform::ShellOpen(HomePageAddress()); });
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(text);
    layout->addWidget(open, 0, Qt::AlignLeft);
    layout->addStretch(1);
    return page;
}

}  // namespace

CInfoDlg::CInfoDlg(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CInfoDlg"));
    setAutoFillBackground(true);
    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("infoCaption"));
    QFont bold = caption_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    caption_->setFont(bold);
    SetControlId(caption_, kCaption);

    list_ = new CReportList(this);
    list_->InsertColumn(QStringLiteral("项目"), 100);
    list_->InsertColumn(QStringLiteral("内容"));
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    SetControlId(list_, kAccountList, QStringLiteral("账户信息"));

    tabs_ = new CTabCtrlSSL(this);
    tabs_->AddSSLPage(QStringLiteral("在线咨询"), ConsultPage(tabs_));
    SetControlId(tabs_, kTabs);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(caption_);
    layout->addWidget(list_, 3);
    layout->addWidget(tabs_, 2);
    UpdateData();
}

QString CInfoDlg::CaptionFor(const AccountInfo& account) {
    return QStringLiteral("欢迎您，%1！").arg(account.loginName);
}

QList<QPair<QString, QString>> CInfoDlg::RowsFor(const AccountInfo& account) {
    return {
        {QStringLiteral("公司名"), account.comName},
        {QStringLiteral("状态"), StateText(account.state)},
        {QStringLiteral("总余额"), QStringLiteral("%1元").arg(static_cast<int>(account.freeCount))},
        {QStringLiteral("直播余额"), QStringLiteral("%1分钟").arg(account.liveCount)},
        {QStringLiteral("点播余额"), QStringLiteral("%1个月").arg(account.vodCount)},
        {QStringLiteral("加密余额"), QStringLiteral("%1个月").arg(account.drmCount)},
        {QStringLiteral("点播总空间"), Megabytes(account.totalSpace)},
        {QStringLiteral("点播剩余空间"), Megabytes(account.freeSpace)},
    };
}

void CInfoDlg::UpdateData() {
    const AccountInfo& account = Globals().account;
    caption_->setText(CaptionFor(account));
    const auto rows = RowsFor(account);
    list_->DeleteAllItems();
    for (int i = 0; i < rows.size(); ++i) {
        list_->InsertItem(i, rows[i].first);
        list_->SetItemText(i, 1, rows[i].second);
    }
    update();
}

QString CInfoDlg::Caption() const { return caption_->text(); }

QList<QPair<QString, QString>> CInfoDlg::Rows() const {
    QList<QPair<QString, QString>> rows;
    for (int i = 0; i < list_->GetItemCount(); ++i) rows.append({list_->GetItemText(i, 0), list_->GetItemText(i, 1)});
    return rows;
}
