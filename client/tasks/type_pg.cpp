#include "client/tasks/type_pg.h"

#include "client/shell/client_globals.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

CTypePg::CTypePg(QWidget* parent)
    : QWizardPage(parent),
      streamType_(new QComboBox(this)),
      logo_(new QCheckBox(QStringLiteral("添加LOGO"), this)),
      reconn_(new QCheckBox(QStringLiteral("断线后自动重连"), this)),
      drm_(new QCheckBox(QStringLiteral("直播加密"), this)) {
    setTitle(QStringLiteral("直播类型"));
    streamType_->addItems({QStringLiteral("视音频"), QStringLiteral("音频")});
    streamType_->setObjectName(QStringLiteral("streamType"));
    streamType_->setAccessibleName(QStringLiteral("直播类型"));
    logo_->setObjectName(QStringLiteral("checklogo"));
    reconn_->setObjectName(QStringLiteral("reconn"));
    drm_->setObjectName(QStringLiteral("isLiveDrm"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("直播类型："), streamType_);
    form->addRow(logo_);
    form->addRow(reconn_);
    form->addRow(drm_);
    connect(streamType_, &QComboBox::currentIndexChanged, this, [this](int index) { emit streamTypeChanged(index == 1); });
}

void CTypePg::initializePage() {
    // Live DRM needs a DRM balance, as on the live page.
    if (Globals().account.drmCount < 1) {
        drm_->setChecked(false);
        drm_->setEnabled(false);
        drm_->setText(QStringLiteral("无加密权限"));
    } else {
        drm_->setEnabled(true);
        drm_->setText(QStringLiteral("直播加密"));
    }
}

int CTypePg::StreamType() const { return streamType_->currentIndex() == 1 ? 1 : 0; }
int CTypePg::CheckLogo() const { return logo_->isChecked(); }
int CTypePg::Reconn() const { return reconn_->isChecked(); }
int CTypePg::IsLiveDrm() const { return drm_->isEnabled() && drm_->isChecked(); }

void CTypePg::Load(int streamType, int checklogo, int reconn, int isLiveDrm) {
    streamType_->setCurrentIndex(streamType == 1 ? 1 : 0);
    logo_->setChecked(checklogo);
    reconn_->setChecked(reconn);
    drm_->setChecked(isLiveDrm);
    loaded_ = true;
}
