#include "client/tasks/task_summary.h"

#include "client/widgets/find_control.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

QString YesNo(int flag) { return flag ? QStringLiteral("是") : QStringLiteral("否"); }  // 118, 119
const QString kNoTime = QStringLiteral("——————————");                                     // 120

}  // namespace

CTaskSummary::CTaskSummary(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    profile_ = AddField(0, 0, 1025, QStringLiteral("配置文件："));
    server_ = AddField(0, 2, 1026, QStringLiteral("媒体服务器："));
    streamType_ = AddField(1, 0, 1027, QStringLiteral("直播类型："));
    reconn_ = AddField(1, 2, 1043, QStringLiteral("断线重连："));
    autoBegin_ = AddField(2, 0, 1030, QStringLiteral("自动开始："));
    beginTime_ = AddField(2, 2, 1048, QStringLiteral("开始时间："));
    autoStop_ = AddField(3, 0, 1042, QStringLiteral("自动结束："));
    endTime_ = AddField(3, 2, 1044, QStringLiteral("结束时间："));
    drm_ = AddField(4, 0, 1045, QStringLiteral("直播加密："));
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 2);
}

QLineEdit* CTaskSummary::AddField(int row, int column, int controlId, const QString& label) {
    auto* grid = static_cast<QGridLayout*>(layout());
    grid->addWidget(new QLabel(label, this), row, column);
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    SetControlId(field, controlId, label);
    grid->addWidget(field, row, column + 1);
    return field;
}

void CTaskSummary::Show(const TaskSummaryValues& v) {
    profile_->setText(v.profile);
    server_->setText(v.server);
    streamType_->setText(v.streamType == 1 ? QStringLiteral("音频") : QStringLiteral("视音频"));  // 117, 116
    autoBegin_->setText(YesNo(v.autoBegin));
    beginTime_->setText(v.autoBegin ? v.beginTime : kNoTime);
    autoStop_->setText(YesNo(v.autoStop));
    endTime_->setText(v.autoStop ? v.endTime : kNoTime);
    reconn_->setText(YesNo(v.reconn));
    drm_->setText(YesNo(v.isLiveDrm));
}
