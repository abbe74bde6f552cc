#pragma once
// What the task list asks of the frame that holds it.

class CFrameMenuHost {
public:
    // Attaches menu 132 (signed out) or 138 (signed in) to the frame.
    virtual void SetMenu(int menuResource) = 0;
    // Redraws the whole frame window.
    virtual void RedrawFrame() = 0;

protected:
    ~CFrameMenuHost() = default;
};
