#pragma once
// Registration of component libraries in the registry store, under the Windows key
// names (HKEY_CLASSES_ROOT\CLSID, \TypeLib, \Interface and the ProgID keys), and the
// look-ups a host makes there.

#include "platform/component.h"

#include <QList>
#include <QString>
#include <QUuid>

namespace platform {

struct InterfaceInfo {
    QUuid iid;
    QString name;
};

struct TypeLibraryInfo {
    QUuid libId;
    int majorVersion = 1;
    int minorVersion = 0;
    QString helpString;
    QList<InterfaceInfo> interfaces;  // dispatch and event interfaces it describes
};

struct ClassInfo {
    QUuid clsid;
    QString progId;
    QString typeName;
    bool isControl = false;       // writes Control, MiscStatus and ToolboxBitmap32
    unsigned miscStatus = 0;      // OLEMISC bits of a control
    int toolboxBitmap = 0;        // resource number of the toolbox bitmap
    QString threadingModel = QStringLiteral("Apartment");
};

struct ModuleInfo {
    QString libraryPath;  // absolute path of the shared library
    TypeLibraryInfo typeLibrary;
    QList<ClassInfo> classes;
};

// Registers the type library, then every class: S_OK, SELFREG_E_TYPELIB when the type
// library step fails, SELFREG_E_CLASS when a class step fails.
HRESULT RegisterModule(const ModuleInfo& module);
// Removes what RegisterModule wrote, with the same results.
HRESULT UnregisterModule(const ModuleInfo& module);

// The class id written in registry form: upper case in braces.
QString GuidText(const QUuid& id);

// Registry key paths.
QString ClassKey(const QUuid& clsid);
QString TypeLibraryKey(const QUuid& libId);
QString InterfaceKey(const QUuid& iid);
QString ProgIdKey(const QString& progId);

// The library registered for the class, or empty.
QString InprocServerPath(const QUuid& clsid);
// A class id in braces, or a registered ProgID; null when it is neither.
QUuid ClassIdFromText(const QString& clsidOrProgId);

// Absolute path of the shared object that contains `address` (a function of it).
QString ModulePathOf(const void* address);

}  // namespace platform
