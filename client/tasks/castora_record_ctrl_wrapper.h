#pragma once
// CCastoraRecordoctrl1: the window that holds the programme recorder control. It creates
// the control by its class id through the component layer and calls its dispatch methods
// by number.

#include "platform/component.h"

#include <QPointer>
#include <QUuid>
#include <QWidget>

#include <memory>

// The recorder control's class id.
inline const QUuid kCastoraRecordOcxClassId = QUuid::fromString(QStringLiteral("{EF82635F-F68F-4AEE-82B6-D25B12A53778}"));

class CCastoraRecordoctrl1 : public QWidget {
public:
    explicit CCastoraRecordoctrl1(QWidget* parent = nullptr);
    ~CCastoraRecordoctrl1() override;

    // Creates the control and its window inside this one; the component layer's result
    // (REGDB_E_CLASSNOTREG when the control is not registered).
    platform::HRESULT Create(const QUuid& clsid);
    platform::HRESULT Invoke(int dispId, const QVariantList& args, QVariant* result = nullptr);
    QWidget* ControlWindow() const { return window_.data(); }

private:
    std::unique_ptr<platform::IComponentObject> control_;
    QPointer<QWidget> window_;
};
