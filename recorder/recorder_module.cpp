// The entry points of the CastoraRecordOcx library: self-registration and class objects.

#include "platform/component_registry.h"
#include "recorder/castora_record_ctrl.h"
#include "recorder/com_identity.h"

#define RECORDER_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

template <typename T>
class ClassFactory : public platform::IClassFactory {
public:
    platform::HRESULT CreateInstance(std::unique_ptr<platform::IComponentObject>* object) override {
        if (!object) return platform::kE_POINTER;
        *object = std::make_unique<T>();
        return platform::kS_OK;
    }
};

QString ThisLibrary();

}  // namespace

RECORDER_EXPORT platform::HRESULT DllRegisterServer() {
    return platform::RegisterModule(recorder_identity::Module(ThisLibrary()));
}

RECORDER_EXPORT platform::HRESULT DllUnregisterServer() {
    return platform::UnregisterModule(recorder_identity::Module(ThisLibrary()));
}

RECORDER_EXPORT platform::HRESULT DllGetClassObject(const QUuid& clsid, platform::IClassFactory** factory) {
    static ClassFactory<CCastoraRecordOcxCtrl> controls;
    static ClassFactory<CCastoraRecordOcxPropPage> pages;
    if (!factory) return platform::kE_POINTER;
    *factory = nullptr;
    if (clsid == recorder_identity::kControlClass)
        *factory = &controls;
    else if (clsid == recorder_identity::kPropertyPageClass)
        *factory = &pages;
    else
        return platform::kCLASS_E_CLASSNOTAVAILABLE;
    return platform::kS_OK;
}

RECORDER_EXPORT platform::HRESULT DllCanUnloadNow() {
    return CCastoraRecordOcxCtrl::LiveObjects() == 0 ? platform::kS_OK : platform::kS_FALSE;
}

namespace {

QString ThisLibrary() { return platform::ModulePathOf(reinterpret_cast<const void*>(&DllRegisterServer)); }

}  // namespace
