#include "client/shell/login_dlg.h"

#include "client/resources/artwork.h"
#include "client/service/password_digest.h"
#include "client/shell/client_globals.h"
#include "client/shell/sign_in_notice.h"
#include "client/shell/sign_in_worker.h"
#include "client/shell/user_info.h"
#include "client/widgets/find_control.h"
#include "client/widgets/image_button.h"
#include "client/widgets/status_text.h"
#include "client/widgets/window_handle.h"
#include "platform/paths.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>

namespace {

constexpr QSize kDialogSize(440, 320);
const QString kPasswordPlaceholder = QStringLiteral("********");

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& where) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(where);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

CLoginDlg::CLoginDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CLoginDlg"));
    setWindowTitle(QStringLiteral("用户登录"));
    setFixedSize(kDialogSize);
    background_ = QPixmap(ArtworkPath("login_background"));
    userFile_ = Globals().programFolder + QStringLiteral("user.dat");
    handle_ = new CWindowHandle(this, [this](unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
        if (msg == WM_SIGNIN_NOTIFY) OnNotice(static_cast<int>(wParam));
        return platform::LRESULT(0);
    });
    BuildControls();
    LoadRememberedUser();
}

CLoginDlg::~CLoginDlg() { StopWorkers(); }

QObject* CLoginDlg::Handle() const { return handle_; }

void CLoginDlg::BuildControls() {
    const QPixmap buttonArt(ArtworkPath("button"));

    AddLabel(this, QStringLiteral("用户名："), QRect(50, 128, 80, 26));
    userNameEdit_ = new QLineEdit(this);
    userNameEdit_->setGeometry(140, 128, 220, 26);
    userNameEdit_->setMaxLength(64);
    SetControlId(userNameEdit_, kUserNameEdit, QStringLiteral("用户名"));

    AddLabel(this, QStringLiteral("密码："), QRect(50, 164, 80, 26));
    passwordEdit_ = new QLineEdit(this);
    passwordEdit_->setGeometry(140, 164, 220, 26);
    passwordEdit_->setEchoMode(QLineEdit::Password);
    passwordEdit_->setMaxLength(64);
    SetControlId(passwordEdit_, kPasswordEdit, QStringLiteral("密码"));
    // Only the operator's typing changes the password; the placeholder set at opening does not.
    connect(passwordEdit_, &QLineEdit::textEdited, this, [this] { passwordChanged_ = true; });

    rememberUserCheck_ = new QCheckBox(QStringLiteral("记住用户名"), this);
    rememberUserCheck_->setGeometry(140, 198, 105, 22);
    SetControlId(rememberUserCheck_, kRememberUserCheck, QStringLiteral("记住用户名"));
    rememberPasswordCheck_ = new QCheckBox(QStringLiteral("记住密码"), this);
    rememberPasswordCheck_->setGeometry(255, 198, 105, 22);
    SetControlId(rememberPasswordCheck_, kRememberPasswordCheck, QStringLiteral("记住密码"));

    status_ = new CStatusText(this);
    status_->setGeometry(30, 224, 380, 22);
    status_->setAlignment(Qt::AlignCenter);
    SetControlId(status_, kStatusText, QStringLiteral("状态"));

    auto makeButton = [&](const QString& caption, int id, int x) {
        auto* button = new CImageButton(caption, this);
        button->SetImages(buttonArt);
        button->SetTextColor(Qt::white);
        button->setGeometry(x, 262, 96, 32);
        SetControlId(button, id, caption);
        return button;
    };
    signInButton_ = makeButton(QStringLiteral("登录"), kSignInButton, 64);
    agreementButton_ = makeButton(QStringLiteral("用户协议"), kAgreementButton, 172);
    cancelButton_ = makeButton(QStringLiteral("取消"), kCancelButton, 280);
    connect(signInButton_, &QAbstractButton::clicked, this, &CLoginDlg::OnSignIn);
    connect(agreementButton_, &QAbstractButton::clicked, this, &CLoginDlg::OnAgreement);
    connect(cancelButton_, &QAbstractButton::clicked, this, &QDialog::reject);

    setTabOrder(userNameEdit_, passwordEdit_);
    setTabOrder(passwordEdit_, rememberUserCheck_);
    setTabOrder(rememberUserCheck_, rememberPasswordCheck_);
    setTabOrder(rememberPasswordCheck_, signInButton_);
    setTabOrder(signInButton_, agreementButton_);
    setTabOrder(agreementButton_, cancelButton_);
}

void CLoginDlg::LoadRememberedUser() {
    const std::optional<CUserInfo> remembered = CUserInfo::Load(userFile_);
    if (!remembered) return;
    if (!remembered->userName.isEmpty()) {
        userNameEdit_->setText(remembered->userName);
        rememberUserCheck_->setChecked(true);
    }
    if (!remembered->passwordDigest.isEmpty()) {
        passwordDigest_ = remembered->passwordDigest;
        passwordEdit_->setText(kPasswordPlaceholder);
        rememberPasswordCheck_->setChecked(true);
    }
}

void CLoginDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FocusFirstEmpty();
}

void CLoginDlg::FocusFirstEmpty() {
    if (userNameEdit_->text().isEmpty()) {
        userNameEdit_->setFocus();
    } else if (passwordEdit_->text().isEmpty()) {
        passwordEdit_->setFocus();
    } else {
        signInButton_->setFocus();
    }
}

void CLoginDlg::keyPressEvent(QKeyEvent* event) {
    // Enter signs in, as the dialog's default button would.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        QWidget* focused = focusWidget();
        if (auto* button = qobject_cast<QAbstractButton*>(focused); button && button != signInButton_) {
            button->click();
        } else if (signInButton_->isEnabled()) {
            signInButton_->click();
        }
        return;
    }
    QDialog::keyPressEvent(event);
}

void CLoginDlg::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (background_.isNull()) {
        painter.fillRect(rect(), palette().window());
    } else {
        painter.fillRect(rect(), QBrush(background_));  // a pattern brush, tiled from the top left
    }
    QDialog::paintEvent(event);
}

void CLoginDlg::EnableControls(bool enable) {
    for (QWidget* control : std::initializer_list<QWidget*>{userNameEdit_, passwordEdit_, signInButton_, cancelButton_,
                                                            rememberUserCheck_, rememberPasswordCheck_}) {
        control->setEnabled(enable);
    }
}

void CLoginDlg::OnSignIn() {
    const QString userName = userNameEdit_->text();
    const QString passwordText = passwordEdit_->text();
    if (userName.isEmpty()) {
        status_->SetText(QStringLiteral("用户名不能为空！"));
        userNameEdit_->setFocus();
        return;
    }
    if (passwordText.isEmpty()) {
        status_->SetText(QStringLiteral("密码不能为空！"));
        passwordEdit_->setFocus();
        return;
    }
    EnableControls(false);
    if (passwordChanged_) passwordDigest_ = ::PasswordDigest(passwordText);
    status_->SetText(QStringLiteral("正在登录。。。"));

    // A worker still running its remaining attempts is ended first, so two never write the
    // process-wide values at once.
    StopWorkers();
    SignInRequest request;
    request.userName = userName;
    request.passwordDigest = passwordDigest_;
    request.rememberUser = rememberUserCheck_->isChecked();
    request.rememberPassword = rememberPasswordCheck_->isChecked();
    request.userFile = userFile_;
    workers_.push_back(std::make_unique<CSignInWorker>(request, handle_));
    workers_.back()->start();
}

void CLoginDlg::OnAgreement() {
    platform::ShellOpen(Globals().serverIp + QStringLiteral("/web/xieyi.jsp"));
}

void CLoginDlg::OnNotice(int code) {
    const SignInNotice notice = SignInNoticeFor(code);
    if (notice.finish) {
        accept();
        return;
    }
    if (!notice.status.isEmpty()) status_->SetText(notice.status);
    if (notice.enableControls) EnableControls(true);
    if (notice.selectUserName) {
        userNameEdit_->setFocus();
        userNameEdit_->selectAll();
    }
}

void CLoginDlg::StopWorkers() {
    for (auto& worker : workers_) worker->RequestStop();
    workers_.clear();  // each waits for its thread
}
