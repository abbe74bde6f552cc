#pragma once
// The sign-in dialog (dialog 141): user name and password, the two remember boxes, the
// status line, and the sign-in worker that reports back with message 1225.

#include <QDialog>

#include <memory>
#include <vector>

class CImageButton;
class CSignInWorker;
class CStatusText;
class CWindowHandle;
class QCheckBox;
class QLineEdit;

class CLoginDlg : public QDialog {
    Q_OBJECT
public:
    explicit CLoginDlg(QWidget* parent = nullptr);
    ~CLoginDlg() override;

    // Control numbers of the dialog.
    enum : int {
        kSignInButton = 1000,
        kUserNameEdit = 1001,
        kPasswordEdit = 1002,
        kAgreementButton = 1003,
        kRememberUserCheck = 1004,
        kRememberPasswordCheck = 1005,
        kStatusText = 1009,
        kCancelButton = 2,
    };

    // The target of message 1225.
    QObject* Handle() const;
    QString PasswordDigest() const { return passwordDigest_; }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildControls();
    void LoadRememberedUser();
    void FocusFirstEmpty();
    void OnSignIn();
    void OnAgreement();
    void OnNotice(int code);
    void EnableControls(bool enable);
    void StopWorkers();

    QLineEdit* userNameEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QCheckBox* rememberUserCheck_ = nullptr;
    QCheckBox* rememberPasswordCheck_ = nullptr;
    CImageButton* signInButton_ = nullptr;
    CImageButton* agreementButton_ = nullptr;
    CImageButton* cancelButton_ = nullptr;
    CStatusText* status_ = nullptr;
    CWindowHandle* handle_ = nullptr;

    QString passwordDigest_;
    bool passwordChanged_ = false;
    QString userFile_;
    QPixmap background_;
    std::vector<std::unique_ptr<CSignInWorker>> workers_;
};
