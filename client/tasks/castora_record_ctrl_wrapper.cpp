#include "client/tasks/castora_record_ctrl_wrapper.h"

#include "platform/component_host.h"

#include <QVBoxLayout>

CCastoraRecordoctrl1::CCastoraRecordoctrl1(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CCastoraRecordoctrl1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

CCastoraRecordoctrl1::~CCastoraRecordoctrl1() {
    // The control's window goes before the control object that made it.
    delete window_.data();
    control_.reset();
}

platform::HRESULT CCastoraRecordoctrl1::Create(const QUuid& clsid) {
    if (control_) return platform::kE_FAIL;
    const platform::HRESULT hr = platform::CreateComponent(clsid, &control_);
    if (!platform::Succeeded(hr)) return hr;
    window_ = control_->CreateControlWindow(this);
    if (!window_) {
        control_.reset();
        return platform::kE_FAIL;
    }
    layout()->addWidget(window_);
    return platform::kS_OK;
}

platform::HRESULT CCastoraRecordoctrl1::Invoke(int dispId, const QVariantList& args, QVariant* result) {
    platform::IDispatchInterface* dispatch = control_ ? control_->Dispatch() : nullptr;
    return dispatch ? dispatch->Invoke(dispId, args, result) : platform::kE_POINTER;
}
