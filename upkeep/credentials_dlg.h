#pragma once
// Asks for the user name and password that a web server (or a proxy) wants for a download.

#include <QDialog>

class QLineEdit;

class CCredentialsDlg : public QDialog {
public:
    // `proxy`: the proxy asks (407) rather than the server (401).
    CCredentialsDlg(const QString& server, const QString& realm, bool proxy, QWidget* parent = nullptr);

    QString UserName() const;
    QString Password() const;

private:
    QLineEdit* userName_;
    QLineEdit* password_;
};
