#include "client/tasks/profile_pg.h"

#include "client/shell/message_box.h"
#include "client/tasks/base_sheet.h"
#include "client/tasks/type_pg.h"
#include "client/tasks/wizard_profiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>

CProfilePg::CProfilePg(QWidget* parent)
    : QWizardPage(parent), profile_(new QComboBox(this)), circle_(new QCheckBox(QStringLiteral("循环播放所有场景"), this)) {
    setTitle(QStringLiteral("选择配置文件"));
    profile_->setObjectName(QStringLiteral("videoProfile"));
    profile_->setAccessibleName(QStringLiteral("配置文件"));
    circle_->setObjectName(QStringLiteral("circle"));
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("配置文件："), profile_);
    form->addRow(circle_);
}

QString CProfilePg::VideoProfile() const { return profile_->currentText(); }
int CProfilePg::Circle() const { return circle_->isChecked(); }

void CProfilePg::Load(int circle, const QString& videoProfile) {
    circle_->setChecked(circle);
    wanted_ = videoProfile;
}

void CProfilePg::initializePage() {
    // The list follows the stream type chosen on the type page; a choice still on the new
    // list stays chosen, otherwise none is.
    const auto* sheet = qobject_cast<CBaseSheet*>(wizard());
    const int streamType = sheet ? sheet->TypePage()->StreamType() : 0;
    const QString wanted = profile_->currentIndex() >= 0 ? profile_->currentText() : wanted_;
    profile_->clear();
    profile_->addItems(ProfileNamesForStreamType(streamType));
    profile_->setCurrentIndex(profile_->findText(wanted));
}

bool CProfilePg::validatePage() {
    if (profile_->currentIndex() < 0) {
        ShowMessage(QStringLiteral("您必须选择配置文件！"), this);  // 136
        return false;
    }
    wanted_ = profile_->currentText();
    return true;
}
