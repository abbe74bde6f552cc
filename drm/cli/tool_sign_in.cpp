#include "drm/cli/tool_sign_in.h"

#include "client/service/password_digest.h"
#include "client/service/service_calls.h"
#include "client/shell/client_globals.h"
#include "drm/cli/tool_arguments.h"

bool SignInForTool(const ToolArguments& arguments, QString* error) {
    if (arguments.url.isEmpty() || arguments.user.isEmpty()) {
        *error = "--url and --user are needed to sign in";
        return false;
    }
    Globals().serviceUrl = arguments.url;
    switch (SvcLogin(arguments.user, PasswordDigest(arguments.password))) {
    case 1:
        break;
    case 2:
        *error = "sign-in refused: unknown user or wrong password";
        return false;
    case 3:
        *error = "sign-in refused: the user is signed in elsewhere";
        return false;
    default:
        *error = "the service at " + arguments.url + " cannot be reached";
        return false;
    }
    if (!SvcGetCompany()) {
        *error = "the service did not give the company record";
        return false;
    }
    return true;
}
