#pragma once
// The wizards' media-server page: one of the company's media servers, by name.

#include <QWizardPage>

class QComboBox;

class CServerListPg : public QWizardPage {
    Q_OBJECT
public:
    explicit CServerListPg(QWidget* parent = nullptr);

    // The server chosen on Next (0 and empty before).
    int ServerId() const { return serverId_; }
    QString ServerName() const { return serverName_; }
    // Preselects the server with this id (from a task file) when the page is shown.
    void SetServerId(int id);

    void initializePage() override;
    bool validatePage() override;

private:
    QComboBox* servers_;
    int serverId_ = 0;
    QString serverName_;
    int wantedId_ = 0;
};
