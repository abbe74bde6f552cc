#pragma once
// The colour filter dialog (dialog 224, "自定义皮肤风格"): three sliders whose values are
// applied as one RGB shift while they move. OK and Cancel both close; the last shift stays.

#include <QDialog>

class QSlider;

class CFiltersDialog : public QDialog {
    Q_OBJECT
public:
    enum : int { kRedSlider = 1128, kGreenSlider = 1129, kBlueSlider = 1130 };

    explicit CFiltersDialog(QWidget* parent = nullptr);

private:
    void ApplySliders();

    QSlider* red_ = nullptr;
    QSlider* green_ = nullptr;
    QSlider* blue_ = nullptr;
};
