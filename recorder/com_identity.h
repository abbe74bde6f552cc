#pragma once
// The control's identity as it registers itself: type library, interfaces, classes.

#include "platform/component_registry.h"

#include <QUuid>

namespace recorder_identity {

inline const QUuid kTypeLibrary = QUuid::fromString(QStringLiteral("{5991D0BD-28FE-4307-8A8C-655BF01BCBE4}"));
inline const QString kTypeLibraryName = QStringLiteral("CastoraRecordOcxLib");
inline const QString kTypeLibraryHelp = QStringLiteral("CastoraRecordOcx ActiveX Control module");

inline const QUuid kDispatchInterface = QUuid::fromString(QStringLiteral("{94A09951-426E-4183-895A-AE4A13EFA26A}"));
inline const QString kDispatchName = QStringLiteral("_DCastoraRecordOcx");
inline const QString kDispatchHelp = QStringLiteral("Dispatch interface for CastoraRecordOcx Control");
inline const QUuid kEventInterface = QUuid::fromString(QStringLiteral("{FC0169AE-126D-4670-A7A8-481EBA3C5FEC}"));
inline const QString kEventName = QStringLiteral("_DCastoraRecordOcxEvents");

inline const QUuid kControlClass = QUuid::fromString(QStringLiteral("{EF82635F-F68F-4AEE-82B6-D25B12A53778}"));
inline const QString kControlProgId = QStringLiteral("CASTORARECORDO.CastoraRecordOCtrl.1");
inline const QString kControlTypeName = QStringLiteral("CastoraRecordOcx Control");  // string 1
inline constexpr int kToolboxBitmap = 1;
// Recompose on resize, can't link inside, inside-out, activate when visible, set client site first.
inline constexpr unsigned kMiscStatus = 0x20191;

// The property page's class id is this control's own choice; its ProgID and names are fixed.
inline const QUuid kPropertyPageClass = QUuid::fromString(QStringLiteral("{3C9F2B71-5E0D-4C8A-9B46-7D1E2A6F5C03}"));
inline const QString kPropertyPageProgId = QStringLiteral("CASTORARECOR.CastoraRecorPropPage.1");
inline const QString kPropertyPageName = QStringLiteral("CastoraRecordOcx Property Page");  // string 2
inline const QString kPropertyPageCaption = QStringLiteral("General");                      // string 200
inline const QString kPropertyPageText =
    QStringLiteral("TODO: Place controls to manipulate properties of CastoraRecordOcx Control on this dialog.");

// The registration of the library at `libraryPath`.
platform::ModuleInfo Module(const QString& libraryPath);

}  // namespace recorder_identity
