#pragma once
// The application object: start-up of the Castora program.

#include <memory>

class CMainFrame;

class CTenancy {
public:
    CTenancy();
    ~CTenancy();

    // Runs start-up; true when the main frame is up and the message loop should run.
    bool InitInstance();

    // The main window once start-up has created it.
    CMainFrame* MainFrame() const { return mainFrame_.get(); }

private:
    std::unique_ptr<CMainFrame> mainFrame_;
};
