#pragma once
// The main window: the task list as its only pane, the menu bar, the "Standard" toolbar,
// the status bar, skins and tints, and the close confirmation. Built after sign-in.

#include "client/tasks/frame_menu_host.h"

#include <QMainWindow>

#include <memory>

class CChildView;
class CStatusIndicators;

class CMainFrame : public QMainWindow, public CFrameMenuHost {
    Q_OBJECT
public:
    // Builds the frame: devices, this PC's address, the author text, then the windows.
    // Null when the operator chose to leave at the "没有设备！" question.
    static std::unique_ptr<CMainFrame> Create();
    ~CMainFrame() override;

    // Runs a command as the menus do: offered to the view first, then to the frame.
    void ExecuteCommand(int commandId);

    CChildView* View() const { return view_; }
    QString StylesFolder() const { return stylesFolder_; }
    int MenuResource() const { return menuResource_; }

    // CFrameMenuHost
    void SetMenu(int menuResource) override;
    void RedrawFrame() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    CMainFrame();
    bool Construct();
    void CreateWindows();
    bool OnFrameCommand(int commandId);
    void LoadSkin(const QString& fileName);
    void SetTint(int red, int green, int blue);
    bool ConfirmClose();

    CChildView* view_ = nullptr;
    CStatusIndicators* statusBar_ = nullptr;
    QString stylesFolder_;
    int menuResource_ = 0;
    bool closing_ = false;
};
