#include "platform/component_host.h"

#include "platform/component_registry.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace platform {
namespace {

// Component libraries are never unloaded: their Qt types and objects may outlive any
// count of ours, as in-process servers live until the process ends.
void* LoadLibrary(const QString& path, QString* error) {
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) *error = QString::fromLocal8Bit(dlerror());
    return handle;
}

}  // namespace

HRESULT CreateComponent(const QUuid& clsid, std::unique_ptr<IComponentObject>* object) {
    if (!object) return kE_POINTER;
    object->reset();
    const QString path = InprocServerPath(clsid);
    if (path.isEmpty()) return kREGDB_E_CLASSNOTREG;
    void* library = LoadLibrary(path, nullptr);
    if (!library) return kCO_E_DLLNOTFOUND;
    auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(library, kDllGetClassObject));
    if (!getClassObject) return kCO_E_ERRORINDLL;
    IClassFactory* factory = nullptr;
    const HRESULT hr = getClassObject(clsid, &factory);
    if (!Succeeded(hr)) return hr;
    if (!factory) return kE_FAIL;
    return factory->CreateInstance(object);
}

RegistrationCall CallRegistrationEntry(const QString& libraryPath, bool unregister) {
    RegistrationCall call;
    void* library = LoadLibrary(QFileInfo(libraryPath).absoluteFilePath(), &call.error);
    if (!library) {
        call.outcome = RegistrationCall::LoadFailed;
        call.result = kSELFREG_E_CLASS;
        return call;
    }
    const char* name = unregister ? kDllUnregisterServer : kDllRegisterServer;
    auto entry = reinterpret_cast<DllRegisterServerFn>(dlsym(library, name));
    if (!entry) {
        call.outcome = RegistrationCall::EntryMissing;
        call.result = kSELFREG_E_CLASS;
        call.error = QString::fromLatin1(name);
        return call;
    }
    call.result = entry();
    return call;
}

}  // namespace platform
