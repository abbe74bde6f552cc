#include "client/shell/main_frame.h"

#include "client/resources/artwork.h"
#include "client/shell/about_dlg.h"
#include "client/shell/client_globals.h"
#include "client/shell/command_ids.h"
#include "client/shell/filters_dialog.h"
#include "client/shell/frame_menus.h"
#include "client/shell/host_address.h"
#include "client/shell/message_box.h"
#include "client/shell/skin_manager.h"
#include "client/shell/status_indicators.h"
#include "client/tasks/child_view.h"
#include "vekencoder/vekencoder.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QIcon>
#include <QMenuBar>
#include <QToolBar>

namespace {

// String 135.
const QString kCloseQuestion = QStringLiteral("您确认要退出程序吗？（所有任务都会被关闭）");
// String 142: the organisation whose name broadcasts carry as their author.
const QString kContentAuthor = QStringLiteral("卡斯托拉网络传媒");

}  // namespace

std::unique_ptr<CMainFrame> CMainFrame::Create() {
    std::unique_ptr<CMainFrame> frame(new CMainFrame);
    if (!frame->Construct()) return nullptr;
    frame->CreateWindows();
    return frame;
}

CMainFrame::CMainFrame() {
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(QApplication::applicationDisplayName().isEmpty() ? QStringLiteral("Castora")
                                                                    : QApplication::applicationDisplayName());
}

CMainFrame::~CMainFrame() {
    // The view closes its pages and signs out while the frame is still whole.
    if (view_) view_->DestroyWindow();
}

bool CMainFrame::Construct() {
    ClientGlobals& globals = Globals();
    stylesFolder_ = globals.programFolder.isEmpty() ? QString() : globals.programFolder + QStringLiteral("Styles/");

    // Installers an earlier run may have left beside the program.
    QFile::remove(globals.programFolder + QStringLiteral("DRM10安装包.exe"));
    QFile::remove(globals.programFolder + QStringLiteral("WMEncoder-32.exe"));

    QStringList audioNames;
    QStringList videoNames;
    GetAllDevice(audioNames, videoNames);
    if (audioNames.isEmpty() && videoNames.isEmpty()) {
        ShowMessage(QStringLiteral("没有设备！"));
        // Leaving here ends the program before its window exists.
        if (AskMessage(kCloseQuestion, MsgButtons::OkCancel, MsgIcon::Question) == IDOK) return false;
    }

    globals.audioDevices.clear();
    for (const QString& name : audioNames) globals.audioDevices.append({name, 1, 0});
    globals.userIp = PickUserIp(HostIpv4Addresses());
    globals.videoDevices.clear();
    globals.videoDevices.append({kScreenCaptureDevice, 2, 0});
    for (const QString& name : videoNames) globals.videoDevices.append({name, 2, 0});
    globals.contentAuthor = kContentAuthor;
    return true;
}

void CMainFrame::CreateWindows() {
    view_ = new CChildView(this, this);
    view_->setObjectName(QStringLiteral("CChildView"));
    setCentralWidget(view_);
    setFocusProxy(view_);  // focus given to the frame goes on to the view

    setWindowIcon(QIcon(ArtworkPath("castora")));

    statusBar_ = new CStatusIndicators(this);
    setStatusBar(statusBar_);

    SetMenu(IDR_MENU_SIGNED_IN);
    addToolBar(Qt::TopToolBarArea, BuildStandardToolBar([this](int id) { ExecuteCommand(id); }, this));
}

void CMainFrame::SetMenu(int menuResource) {
    QMenuBar* bar = BuildMenuBar(menuResource, [this](int id) { ExecuteCommand(id); }, this);
    if (!bar) return;
    menuResource_ = menuResource;
    setMenuBar(bar);  // the previous bar is deleted
}

void CMainFrame::RedrawFrame() {
    update();
    for (QWidget* child : findChildren<QWidget*>()) child->update();
}

void CMainFrame::ExecuteCommand(int commandId) {
    if (view_ && view_->OnCommand(commandId)) return;
    OnFrameCommand(commandId);
}

bool CMainFrame::OnFrameCommand(int commandId) {
    switch (commandId) {
    case ID_APP_EXIT:
    case ID_ASK_CLOSE: close(); return true;
    case ID_APP_ABOUT: {
        CAboutDlg about(this);
        about.exec();
        return true;
    }
    case ID_SKIN_VISTA: LoadSkin(QStringLiteral("Vista.cjstyles")); return true;
    case ID_SKIN_OFFICE2007: LoadSkin(QStringLiteral("Office2007.cjstyles")); return true;
    case ID_SKIN_ROYALE: LoadSkin(QStringLiteral("WinXP.Royale.cjstyles")); return true;
    case ID_SKIN_LUNA: LoadSkin(QStringLiteral("WinXP.Luna.cjstyles")); return true;
    case ID_SKIN_ITUNES: LoadSkin(QStringLiteral("iTunesA.msstyles")); return true;
    case ID_TINT_MEETING: SetTint(0, 0, 255); return true;
    case ID_TINT_WEDDING: SetTint(255, 0, 0); return true;
    case ID_TINT_EDUCATION: SetTint(0, 165, 0); return true;
    case ID_TINT_RESTORE: SetTint(0, 0, 0); return true;
    case ID_TINT_CUSTOM: {
        CFiltersDialog filters(this);
        filters.exec();
        return true;
    }
    default: return false;
    }
}

void CMainFrame::LoadSkin(const QString& fileName) {
    CSkinManager::Instance().LoadSkin(stylesFolder_ + fileName);
    setWindowIcon(QIcon(ArtworkPath("castora")));
}

void CMainFrame::SetTint(int red, int green, int blue) {
    CSkinManager& skins = CSkinManager::Instance();
    skins.RemoveColorFilters();
    skins.AddColorFilter({red, green, blue});
    skins.RedrawAll();
}

bool CMainFrame::ConfirmClose() {
    if (AskMessage(kCloseQuestion, MsgButtons::OkCancel, MsgIcon::Question, QString(), this) != IDOK) return false;
    if (view_) view_->StopAllTasks();
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (closing_ || ConfirmClose()) {
        closing_ = true;
        event->accept();
        return;
    }
    event->ignore();
}

bool CMainFrame::event(QEvent* event) {
    // A double click on the caption neither maximises nor restores the frame, where the
    // platform reports it to the program at all (under X11 the window manager keeps it).
    if (event->type() == QEvent::NonClientAreaMouseButtonDblClick) return true;
    return QMainWindow::event(event);
}
