#include "engine/device_property_pages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QSpinBox>
#include <QWidget>

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <vector>

namespace wavetap::engine {
namespace {

struct Control {
    v4l2_queryctrl query{};
    std::vector<std::pair<int, QString>> menu;
    int value = 0;
};

std::vector<Control> ReadControls(int fd) {
    std::vector<Control> controls;
    v4l2_queryctrl query{};
    query.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (ioctl(fd, VIDIOC_QUERYCTRL, &query) == 0) {
        const bool usable = !(query.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) &&
                            (query.type == V4L2_CTRL_TYPE_INTEGER || query.type == V4L2_CTRL_TYPE_BOOLEAN ||
                             query.type == V4L2_CTRL_TYPE_MENU);
        if (usable) {
            Control control;
            control.query = query;
            v4l2_control current{query.id, 0};
            control.value = ioctl(fd, VIDIOC_G_CTRL, &current) == 0 ? current.value : query.default_value;
            if (query.type == V4L2_CTRL_TYPE_MENU) {
                for (int i = query.minimum; i <= query.maximum; ++i) {
                    v4l2_querymenu item{};
                    item.id = query.id;
                    item.index = static_cast<__u32>(i);
                    if (ioctl(fd, VIDIOC_QUERYMENU, &item) == 0)
                        control.menu.emplace_back(i, QString::fromUtf8(reinterpret_cast<const char*>(item.name)));
                }
            }
            controls.push_back(std::move(control));
        }
        query.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    return controls;
}

void ApplyControl(int fd, __u32 id, int value) {
    v4l2_control control{id, value};
    ioctl(fd, VIDIOC_S_CTRL, &control);
}

int RunControlsDialog(int fd, const std::vector<Control>& controls, const QString& title, QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName("devicePropertyPages");
    dialog.setWindowTitle(title);
    auto* form = new QFormLayout(&dialog);
    for (const Control& control : controls) {
        const QString label = QString::fromUtf8(reinterpret_cast<const char*>(control.query.name));
        const __u32 id = control.query.id;
        QWidget* editor = nullptr;
        if (control.query.type == V4L2_CTRL_TYPE_BOOLEAN) {
            auto* box = new QCheckBox(&dialog);
            box->setChecked(control.value != 0);
            QObject::connect(box, &QCheckBox::toggled, [fd, id](bool on) { ApplyControl(fd, id, on ? 1 : 0); });
            editor = box;
        } else if (control.query.type == V4L2_CTRL_TYPE_MENU) {
            auto* combo = new QComboBox(&dialog);
            for (const auto& [index, name] : control.menu) {
                combo->addItem(name, index);
                if (index == control.value) combo->setCurrentIndex(combo->count() - 1);
            }
            QObject::connect(combo, &QComboBox::activated,
                             [fd, id, combo](int row) { ApplyControl(fd, id, combo->itemData(row).toInt()); });
            editor = combo;
        } else {
            auto* spin = new QSpinBox(&dialog);
            spin->setRange(control.query.minimum, control.query.maximum);
            spin->setSingleStep(std::max(1, control.query.step));
            spin->setValue(control.value);
            QObject::connect(spin, &QSpinBox::valueChanged, [fd, id](int value) { ApplyControl(fd, id, value); });
            editor = spin;
        }
        editor->setObjectName(label);
        form->addRow(label, editor);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    dialog.move(200, 200);
    return dialog.exec();
}

}  // namespace

std::unique_ptr<DeviceInfo> FindDeviceForMedium(const QString& name, int medium) {
    for (DeviceInfo& device : ListDevices())
        if (device.name == name && (device.mediaFlags & medium)) return std::make_unique<DeviceInfo>(std::move(device));
    return nullptr;
}

HRESULT ShowDevicePropertyPages(const DeviceInfo& device, QObject* parent) {
    if (device.v4l2Path.isEmpty() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return E_NOINTERFACE;
    const int fd = ::open(device.v4l2Path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
    if (fd < 0) return E_FAIL;
    const std::vector<Control> controls = ReadControls(fd);
    HRESULT hr = E_NOINTERFACE;
    if (!controls.empty()) {
        RunControlsDialog(fd, controls, device.name, qobject_cast<QWidget*>(parent));
        hr = S_OK;
    }
    ::close(fd);
    return hr;
}

}  // namespace wavetap::engine
