#include "platform/component_registry.h"

#include "platform/registry_store.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace platform {
namespace {

const QString kRoot = QStringLiteral("HKEY_CLASSES_ROOT\\");
// The standard proxy of dispatch interfaces (PSDispatch).
const QString kDispatchProxy = QStringLiteral("{00020420-0000-0000-C000-000000000046}");

// Collects the outcome of a run of registry writes.
class Writer {
public:
    void Set(const QString& key, const QString& valueName, const QString& value) {
        ok_ = RegistrySetString(key, valueName, value) && ok_;
    }
    void Default(const QString& key, const QString& value) { Set(key, QString(), value); }
    void Delete(const QString& key) { ok_ = RegistryDeleteKey(key) && ok_; }
    bool Ok() const { return ok_; }

private:
    bool ok_ = true;
};

QString VersionText(const TypeLibraryInfo& lib) {
    return QStringLiteral("%1.%2").arg(lib.majorVersion).arg(lib.minorVersion);
}

bool WriteTypeLibrary(const ModuleInfo& module) {
    const TypeLibraryInfo& lib = module.typeLibrary;
    if (module.libraryPath.isEmpty() || lib.libId.isNull()) return false;
    Writer w;
    const QString version = TypeLibraryKey(lib.libId) + u'\\' + VersionText(lib);
    w.Default(version, lib.helpString);
    w.Default(version + QStringLiteral("\\0\\win32"), module.libraryPath);
    w.Default(version + QStringLiteral("\\FLAGS"), QStringLiteral("0"));
    w.Default(version + QStringLiteral("\\HELPDIR"), QFileInfo(module.libraryPath).absolutePath());
    for (const InterfaceInfo& itf : lib.interfaces) {
        const QString key = InterfaceKey(itf.iid);
        w.Default(key, itf.name);
        w.Default(key + QStringLiteral("\\ProxyStubClsid"), kDispatchProxy);
        w.Default(key + QStringLiteral("\\ProxyStubClsid32"), kDispatchProxy);
        w.Default(key + QStringLiteral("\\TypeLib"), GuidText(lib.libId));
        w.Set(key + QStringLiteral("\\TypeLib"), QStringLiteral("Version"), VersionText(lib));
    }
    return w.Ok();
}

bool WriteClass(const ModuleInfo& module, const ClassInfo& cls) {
    if (cls.clsid.isNull()) return false;
    Writer w;
    const QString key = ClassKey(cls.clsid);
    const QString clsid = GuidText(cls.clsid);
    w.Default(key, cls.typeName);
    w.Default(key + QStringLiteral("\\InprocServer32"), module.libraryPath);
    w.Set(key + QStringLiteral("\\InprocServer32"), QStringLiteral("ThreadingModel"), cls.threadingModel);
    if (!cls.progId.isEmpty()) {
        w.Default(key + QStringLiteral("\\ProgID"), cls.progId);
        w.Default(ProgIdKey(cls.progId), cls.typeName);
        w.Default(ProgIdKey(cls.progId) + QStringLiteral("\\CLSID"), clsid);
    }
    if (cls.isControl) {
        w.Default(key + QStringLiteral("\\Control"), QString());
        w.Default(key + QStringLiteral("\\MiscStatus"), QStringLiteral("0"));
        w.Default(key + QStringLiteral("\\MiscStatus\\1"), QString::number(cls.miscStatus));
        w.Default(key + QStringLiteral("\\ToolboxBitmap32"),
                  module.libraryPath + QStringLiteral(", ") + QString::number(cls.toolboxBitmap));
        w.Default(key + QStringLiteral("\\TypeLib"), GuidText(module.typeLibrary.libId));
        w.Default(key + QStringLiteral("\\Version"), VersionText(module.typeLibrary));
    }
    return w.Ok();
}

bool RemoveTypeLibrary(const TypeLibraryInfo& lib) {
    Writer w;
    w.Delete(TypeLibraryKey(lib.libId));
    for (const InterfaceInfo& itf : lib.interfaces) w.Delete(InterfaceKey(itf.iid));
    return w.Ok();
}

bool RemoveClass(const ClassInfo& cls) {
    Writer w;
    w.Delete(ClassKey(cls.clsid));
    if (!cls.progId.isEmpty()) w.Delete(ProgIdKey(cls.progId));
    return w.Ok();
}

}  // namespace

QString GuidText(const QUuid& id) { return id.toString(QUuid::WithBraces).toUpper(); }

QString ClassKey(const QUuid& clsid) { return kRoot + QStringLiteral("CLSID\\") + GuidText(clsid); }
QString TypeLibraryKey(const QUuid& libId) { return kRoot + QStringLiteral("TypeLib\\") + GuidText(libId); }
QString InterfaceKey(const QUuid& iid) { return kRoot + QStringLiteral("Interface\\") + GuidText(iid); }
QString ProgIdKey(const QString& progId) { return kRoot + progId; }

HRESULT RegisterModule(const ModuleInfo& module) {
    if (!WriteTypeLibrary(module)) return kSELFREG_E_TYPELIB;
    for (const ClassInfo& cls : module.classes) {
        if (!WriteClass(module, cls)) return kSELFREG_E_CLASS;
    }
    return kS_OK;
}

HRESULT UnregisterModule(const ModuleInfo& module) {
    if (!RemoveTypeLibrary(module.typeLibrary)) return kSELFREG_E_TYPELIB;
    for (const ClassInfo& cls : module.classes) {
        if (!RemoveClass(cls)) return kSELFREG_E_CLASS;
    }
    return kS_OK;
}

QString InprocServerPath(const QUuid& clsid) {
    return RegistryGetString(ClassKey(clsid) + QStringLiteral("\\InprocServer32"), QString());
}

QUuid ClassIdFromText(const QString& clsidOrProgId) {
    const QString text = clsidOrProgId.trimmed();
    if (text.startsWith(u'{')) return QUuid::fromString(text);
    if (text.isEmpty()) return {};
    return QUuid::fromString(RegistryGetString(ProgIdKey(text) + QStringLiteral("\\CLSID"), QString()));
}

QString ModulePathOf(const void* address) {
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname) return {};
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absoluteFilePath();
}

}  // namespace platform
