#include "client/shell/tenancy.h"

#include "client/shell/client_globals.h"
#include "client/shell/ini_config.h"
#include "client/shell/login_dlg.h"
#include "client/shell/main_frame.h"
#include "client/shell/message_box.h"
#include "client/shell/rotating_log.h"
#include "client/shell/update_check.h"
#include "platform/paths.h"
#include "platform/registry_store.h"

#include <QCoreApplication>
#include <QDir>

#include <gst/gst.h>

CTenancy::CTenancy() = default;
CTenancy::~CTenancy() = default;

bool CTenancy::InitInstance() {
    // Common controls and the application base need no set-up under Qt.

    // The media framework takes the place of OLE for the encoder objects.
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        if (error) g_error_free(error);
        ShowMessage(QStringLiteral("OLE 初始化失败。请确保 OLE 库是正确的版本。"));
        return false;
    }

    ClientGlobals& globals = Globals();
    globals.programFolder = platform::GetProgramFolder();
    globals.appLogPath = globals.programFolder + QStringLiteral("log/tenancy.log");

    const QString logFolder = globals.programFolder + QStringLiteral("log");
    if (!QDir(logFolder).exists()) QDir().mkpath(logFolder);

    CRotatingLog& log = AppLog();
    if (!log.IsOpen()) {
        log.path = globals.appLogPath;
        log.utf8 = false;
    }
    log.maxSize = 1048576;
    log.Open();
    log.Printf(QStringLiteral("客户端启动"));

    CINIConfig config(globals.programFolder + QStringLiteral("configure.ini"));
    globals.ftpPassive = config.ReadInt(QStringLiteral("FTPSERVER"), QStringLiteral("FTPPASSIVE"), 0);
    globals.serverIp = config.ReadString(QStringLiteral("SERVER"), QStringLiteral("IP"));
    globals.serviceUrl = config.ReadString(QStringLiteral("SERVER"), QStringLiteral("URL"));
    globals.updateUrl = config.ReadString(QStringLiteral("SERVER"), QStringLiteral("UPDATEURL"));
    globals.codeBaseUrl = config.ReadString(QStringLiteral("SERVER"), QStringLiteral("CODEIP"));

    if (globals.serverIp.isEmpty() || globals.serviceUrl.isEmpty()) {
        ShowMessage(QStringLiteral("服务器配置不能为空！"));
        return false;
    }

    if (!globals.updateUrl.isEmpty()) {
        const int update = RunUpdateCheck(globals.updateUrl, nullptr);
        if (update == kUpdaterMissing) {
            ShowMessage(QStringLiteral("自动更新模块Upkeep.dll缺失！"));
        } else if (update == kInstallerReady) {
            LaunchInstaller();
            return false;
        }
    }

    // Per-user settings of the application live under this name.
    QCoreApplication::setOrganizationName(QStringLiteral("vek_tenancy"));

    // The live encoder serves at most this many pull viewers.
    platform::RegistrySetString(QString::fromLatin1(platform::kMaxClientConnectionsKey), QString(),
                                QStringLiteral("500"));

    {
        CLoginDlg signIn;
        if (signIn.exec() != QDialog::Accepted) return false;
    }

    mainFrame_ = CMainFrame::Create();
    if (!mainFrame_) return false;
    mainFrame_->hide();
    mainFrame_->showMaximized();
    mainFrame_->update();
    mainFrame_->activateWindow();
    mainFrame_->setFocus();
    return true;
}
