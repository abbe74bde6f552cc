#pragma once
// The component layer: a control is a shared library exporting DllRegisterServer,
// DllUnregisterServer, DllGetClassObject and DllCanUnloadNow. The host finds the library
// of a class id in the registry store, asks its class object for an instance, gets the
// instance's window as a child widget and calls its dispatch methods by DISPID with
// variant arguments. Both sides are built with the same compiler and Qt, so the
// interfaces below are plain C++ abstract classes, as COM's are vtables.

#include <QList>
#include <QString>
#include <QUuid>
#include <QVariant>

#include <cstdint>
#include <memory>

class QWidget;

namespace platform {

using HRESULT = std::int32_t;

inline constexpr HRESULT kS_OK = 0;
inline constexpr HRESULT kS_FALSE = 1;
inline constexpr HRESULT kE_FAIL = static_cast<HRESULT>(0x80004005U);
inline constexpr HRESULT kE_POINTER = static_cast<HRESULT>(0x80004003U);
inline constexpr HRESULT kE_INVALIDARG = static_cast<HRESULT>(0x80070057U);
inline constexpr HRESULT kCLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111U);
inline constexpr HRESULT kREGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154U);
inline constexpr HRESULT kCO_E_DLLNOTFOUND = static_cast<HRESULT>(0x8004F003U);
inline constexpr HRESULT kCO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9U);
inline constexpr HRESULT kDISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003U);
inline constexpr HRESULT kDISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005U);
inline constexpr HRESULT kDISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000EU);
inline constexpr HRESULT kSELFREG_E_TYPELIB = static_cast<HRESULT>(0x80040200U);
inline constexpr HRESULT kSELFREG_E_CLASS = static_cast<HRESULT>(0x80040201U);

inline bool Succeeded(HRESULT hr) { return hr >= 0; }

// Types of dispatch parameters and results, as a type library names them. A string is
// a narrow (char*) string carried as QByteArray; a handle is a window, carried as a
// QObject* (QVariant::fromValue<QObject*>).
enum class VarType { Empty, Short, Long, AnsiString, Handle };

// One method of a dispatch interface.
struct DispatchMethod {
    int dispId = 0;
    QString name;
    VarType result = VarType::Empty;
    QList<VarType> params;
};

class IDispatchInterface {
public:
    // The methods, as the type library describes them.
    virtual QList<DispatchMethod> Methods() const = 0;
    // Calls a method; DISP_E_MEMBERNOTFOUND for an unknown DISPID, DISP_E_BADPARAMCOUNT
    // or DISP_E_TYPEMISMATCH for arguments that do not fit. `result` may be null.
    virtual HRESULT Invoke(int dispId, const QVariantList& args, QVariant* result) = 0;

protected:
    ~IDispatchInterface() = default;
};

// One object made by a class object: a control or a property page.
class IComponentObject {
public:
    virtual ~IComponentObject() = default;
    // Creates the object's window as a child of `parent` (once); null on failure. The
    // window belongs to the parent from then on.
    virtual QWidget* CreateControlWindow(QWidget* parent) = 0;
    // The dispatch interface, or null when the object has none.
    virtual IDispatchInterface* Dispatch() = 0;
};

class IClassFactory {
public:
    virtual HRESULT CreateInstance(std::unique_ptr<IComponentObject>* object) = 0;

protected:
    ~IClassFactory() = default;
};

// The entry points of a component library (extern "C").
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
// The class object of `clsid` (owned by the library), or CLASS_E_CLASSNOTAVAILABLE.
using DllGetClassObjectFn = HRESULT (*)(const QUuid& clsid, IClassFactory** factory);
// S_OK when no object of the library is alive, else S_FALSE.
using DllCanUnloadNowFn = HRESULT (*)();

inline constexpr const char* kDllRegisterServer = "DllRegisterServer";
inline constexpr const char* kDllUnregisterServer = "DllUnregisterServer";
inline constexpr const char* kDllGetClassObject = "DllGetClassObject";
inline constexpr const char* kDllCanUnloadNow = "DllCanUnloadNow";

}  // namespace platform
