#include "client/tasks/server_list_pg.h"

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"

#include <QComboBox>
#include <QFormLayout>

CServerListPg::CServerListPg(QWidget* parent) : QWizardPage(parent), servers_(new QComboBox(this)) {
    setTitle(QStringLiteral("选择媒体服务器"));
    servers_->setObjectName(QStringLiteral("mediaServer"));
    servers_->setAccessibleName(QStringLiteral("媒体服务器"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("媒体服务器："), servers_);
}

void CServerListPg::SetServerId(int id) { wantedId_ = id; }

void CServerListPg::initializePage() {
    const QString shown = servers_->currentText();
    servers_->clear();
    int select = -1;
    for (const MediaServerEntry& server : Globals().mediaServers) {
        servers_->addItem(server.name);
        if (wantedId_ != 0 && server.id == wantedId_) select = servers_->count() - 1;
    }
    if (select < 0) select = servers_->findText(shown);
    servers_->setCurrentIndex(select >= 0 ? select : (servers_->count() > 0 ? 0 : -1));
}

bool CServerListPg::validatePage() {
    const QString name = servers_->currentText();
    for (const MediaServerEntry& server : Globals().mediaServers) {
        if (!name.isEmpty() && server.name == name) {
            serverId_ = server.id;
            serverName_ = server.name;
            wantedId_ = server.id;
            return true;
        }
    }
    ShowMessage(QStringLiteral("没有选择媒体服务器！"), this);  // 168
    return false;
}
