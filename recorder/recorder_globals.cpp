#include "recorder/recorder_globals.h"

RecorderGlobals& Recorder() {
    static RecorderGlobals globals;
    return globals;
}
