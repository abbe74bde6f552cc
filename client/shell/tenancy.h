#pragma once
// The application object: start-up of the Castora program.

class CTenancy {
public:
    // Runs start-up; true when the main frame is up and the message loop should run.
    bool InitInstance();
};
