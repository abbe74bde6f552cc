#include "recorder/com_identity.h"

namespace recorder_identity {

platform::ModuleInfo Module(const QString& libraryPath) {
    platform::ModuleInfo module;
    module.libraryPath = libraryPath;
    module.typeLibrary.libId = kTypeLibrary;
    module.typeLibrary.helpString = kTypeLibraryHelp;
    module.typeLibrary.interfaces = {{kDispatchInterface, kDispatchName}, {kEventInterface, kEventName}};

    platform::ClassInfo control;
    control.clsid = kControlClass;
    control.progId = kControlProgId;
    control.typeName = kControlTypeName;
    control.isControl = true;
    control.miscStatus = kMiscStatus;
    control.toolboxBitmap = kToolboxBitmap;

    platform::ClassInfo page;
    page.clsid = kPropertyPageClass;
    page.progId = kPropertyPageProgId;
    page.typeName = kPropertyPageName;

    module.classes = {control, page};
    return module;
}

}  // namespace recorder_identity
