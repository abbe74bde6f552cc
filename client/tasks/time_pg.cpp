#include "client/tasks/time_pg.h"

#include "client/shell/message_box.h"
#include "client/tasks/generated_name.h"
#include "client/widgets/find_control.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QGridLayout>
#include <QTimeEdit>

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");

}  // namespace

CTimePg::CTimePg(QWidget* parent)
    : QWizardPage(parent),
      autoBegin_(new QCheckBox(QStringLiteral("是否自动开始"), this)),
      beginDate_(new QDateEdit(this)),
      beginTime_(new QTimeEdit(this)),
      autoStop_(new QCheckBox(QStringLiteral("是否自动结束"), this)),
      endDate_(new QDateEdit(this)),
      endTime_(new QTimeEdit(this)) {
    setTitle(QStringLiteral("自动开始和结束"));
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime inAnHour = now.addSecs(3600);
    beginDate_->setDate(now.date());
    beginTime_->setTime(now.time());
    endDate_->setDate(inAnHour.date());
    endTime_->setTime(inAnHour.time());
    SetControlName(autoBegin_, "autoBegin", QStringLiteral("是否自动开始"));
    SetControlName(beginDate_, "beginDate", QStringLiteral("开始日期"));
    SetControlName(beginTime_, "beginTime", QStringLiteral("开始时间"));
    SetControlName(autoStop_, "autoStop", QStringLiteral("是否自动结束"));
    SetControlName(endDate_, "endDate", QStringLiteral("结束日期"));
    SetControlName(endTime_, "endTime", QStringLiteral("结束时间"));
    for (QDateEdit* date : {beginDate_, endDate_}) {
        date->setDisplayFormat(kDateFormat);
        date->setCalendarPopup(true);
    }
    for (QTimeEdit* time : {beginTime_, endTime_}) time->setDisplayFormat(kTimeFormat);

    auto* grid = new QGridLayout(this);
    grid->addWidget(autoBegin_, 0, 0);
    grid->addWidget(beginDate_, 0, 1);
    grid->addWidget(beginTime_, 0, 2);
    grid->addWidget(autoStop_, 1, 0);
    grid->addWidget(endDate_, 1, 1);
    grid->addWidget(endTime_, 1, 2);
    grid->setRowStretch(2, 1);
}

int CTimePg::AutoBegin() const { return autoBegin_->isChecked(); }
int CTimePg::AutoStop() const { return autoStop_->isChecked(); }

QString CTimePg::TimeText(const QDateEdit* date, const QTimeEdit* time) const {
    return date->date().toString(kDateFormat) + u' ' + time->time().toString(kTimeFormat);
}

QString CTimePg::BeginTime() const { return AutoBegin() ? TimeText(beginDate_, beginTime_) : QString(); }
QString CTimePg::EndTime() const { return AutoStop() ? TimeText(endDate_, endTime_) : QString(); }

void CTimePg::SetTimes(int autoBegin, const QString& beginTime, int autoStop, const QString& endTime) {
    const auto show = [](const QString& text, QDateEdit* date, QTimeEdit* time) {
        const QDateTime value = QDateTime::fromString(text, kDateFormat + u' ' + kTimeFormat);
        if (!value.isValid()) return;
        date->setDate(value.date());
        time->setTime(value.time());
    };
    autoBegin_->setChecked(autoBegin);
    show(beginTime, beginDate_, beginTime_);
    autoStop_->setChecked(autoStop);
    show(endTime, endDate_, endTime_);
}

bool CTimePg::validatePage() {
    const QString begin = BeginTime();
    const QString end = EndTime();
    if (AutoBegin() && AutoStop() && !(begin < end)) {
        ShowMessage(QStringLiteral("开始时间必须小于结束时间！"), this);  // 169
        return false;
    }
    if (AutoStop() && !(end > LocalTimeText("%Y-%m-%d %H:%M:%S"))) {
        ShowMessage(QStringLiteral("结束时间必须大于当前时间！"), this);  // 170
        return false;
    }
    return true;
}
