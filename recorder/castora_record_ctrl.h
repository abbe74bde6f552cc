#pragma once
// CCastoraRecordOcxCtrl: the recorder control. Its window holds CVEKRecorderDlg; its
// dispatch interface has SetUserId (1), SetFtpInfo (2) and SetRecvMsgHWnd (3).

#include "platform/component.h"
#include "platform/sync.h"

#include <QPointer>

class CVEKRecorderDlg;

class CCastoraRecordOcxCtrl : public platform::IComponentObject, public platform::IDispatchInterface {
public:
    enum DispId { kSetUserId = 1, kSetFtpInfo = 2, kSetRecvMsgHWnd = 3 };

    CCastoraRecordOcxCtrl();
    ~CCastoraRecordOcxCtrl() override;

    QWidget* CreateControlWindow(QWidget* parent) override;
    platform::IDispatchInterface* Dispatch() override { return this; }

    QList<platform::DispatchMethod> Methods() const override;
    platform::HRESULT Invoke(int dispId, const QVariantList& args, QVariant* result) override;

    short SetUserId(long userId);
    short SetFtpInfo(const QByteArray& host, const QByteArray& ftpUser, const QByteArray& ftpPass, short port,
                     const QByteArray& path);
    void SetRecvMsgHWnd(QObject* window);

    CVEKRecorderDlg* Dialog() const;

    // Objects of this library alive now (DllCanUnloadNow).
    static int LiveObjects();

private:
    QPointer<CVEKRecorderDlg> dialog_;
    QPointer<QWidget> window_;
    platform::Event extraEvent_{true, false};
};

// The property page: nothing but its placeholder text.
class CCastoraRecordOcxPropPage : public platform::IComponentObject {
public:
    CCastoraRecordOcxPropPage();
    ~CCastoraRecordOcxPropPage() override;
    QWidget* CreateControlWindow(QWidget* parent) override;
    platform::IDispatchInterface* Dispatch() override { return nullptr; }
};
