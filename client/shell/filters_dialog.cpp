#include "client/shell/filters_dialog.h"

#include "client/shell/skin_manager.h"
#include "client/widgets/find_control.h"
#include "client/widgets/group_box.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

CFiltersDialog::CFiltersDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CFiltersDialog"));
    setWindowTitle(QStringLiteral("自定义皮肤风格"));

    auto* group = new CDrawnGroupBox(QStringLiteral("调色板"), this);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(14, group->fontMetrics().height() + 10, 14, 12);
    auto addSlider = [&](const QString& name, int id, int row) {
        auto* label = new QLabel(name, group);
        auto* slider = new QSlider(Qt::Horizontal, group);
        slider->setRange(0, 255);
        slider->setValue(0);
        slider->setMinimumWidth(240);
        SetControlId(slider, id, name);
        auto* value = new QLabel(QStringLiteral("0"), group);
        value->setMinimumWidth(30);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        connect(slider, &QSlider::valueChanged, value, [value](int v) { value->setNum(v); });
        connect(slider, &QSlider::valueChanged, this, &CFiltersDialog::ApplySliders);
        grid->addWidget(label, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(value, row, 2);
        return slider;
    };
    red_ = addSlider(QStringLiteral("红色"), kRedSlider, 0);
    green_ = addSlider(QStringLiteral("绿色"), kGreenSlider, 1);
    blue_ = addSlider(QStringLiteral("蓝色"), kBlueSlider, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    SetControlId(buttons->button(QDialogButtonBox::Ok), 1, QStringLiteral("确定"));
    SetControlId(buttons->button(QDialogButtonBox::Cancel), 2, QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

void CFiltersDialog::ApplySliders() {
    CSkinManager& skins = CSkinManager::Instance();
    skins.RemoveColorFilters();
    skins.AddColorFilter({red_->value(), green_->value(), blue_->value()});
    skins.RedrawAll();
}
