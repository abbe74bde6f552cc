#include "upkeep/credentials_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CCredentialsDlg::CCredentialsDlg(const QString& server, const QString& realm, bool proxy, QWidget* parent)
    : QDialog(parent), userName_(new QLineEdit(this)), password_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("CCredentialsDlg"));
    setWindowTitle(QStringLiteral("输入网络密码"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("请键入用户名和密码。"), this));
    auto* form = new QFormLayout;
    form->addRow(proxy ? QStringLiteral("代理：") : QStringLiteral("站点："), new QLabel(server, this));
    if (!realm.isEmpty()) form->addRow(QStringLiteral("领域："), new QLabel(realm, this));
    userName_->setObjectName(QStringLiteral("userName"));
    userName_->setAccessibleName(QStringLiteral("用户名："));
    password_->setObjectName(QStringLiteral("password"));
    password_->setAccessibleName(QStringLiteral("密码："));
    password_->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("用户名："), userName_);
    form->addRow(QStringLiteral("密码："), password_);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    userName_->setFocus();
}

QString CCredentialsDlg::UserName() const {
    return userName_->text();
}

QString CCredentialsDlg::Password() const {
    return password_->text();
}
