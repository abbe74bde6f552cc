#pragma once
// The host side of the component layer: loading a registered library, creating an object
// by class id, and calling a library's registration entry points.

#include "platform/component.h"

#include <QString>
#include <QUuid>

#include <memory>

namespace platform {

// Creates an object of the class: REGDB_E_CLASSNOTREG when the class is not registered,
// CO_E_DLLNOTFOUND when its library cannot be loaded, CO_E_ERRORINDLL when the library
// lacks DllGetClassObject, else the class object's result. Libraries stay loaded.
HRESULT CreateComponent(const QUuid& clsid, std::unique_ptr<IComponentObject>* object);

// What calling a registration entry point came to.
struct RegistrationCall {
    enum Outcome { Called, LoadFailed, EntryMissing } outcome = Called;
    HRESULT result = kS_OK;  // the entry point's result; SELFREG_E_CLASS when it could not be called
    QString error;           // the loader's message when the library or entry point was not found
};

// Loads the library and calls DllRegisterServer (or DllUnregisterServer).
RegistrationCall CallRegistrationEntry(const QString& libraryPath, bool unregister);

}  // namespace platform
