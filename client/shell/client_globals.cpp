#include "client/shell/client_globals.h"

ClientGlobals& Globals() {
    static ClientGlobals globals;
    return globals;
}
