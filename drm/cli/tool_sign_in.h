#pragma once
// Signs castora-drm in to the platform's ClientService as the company's operator, as
// the program's sign-in does; the account lands in ClientGlobals.

#include <QString>

struct ToolArguments;

// False with `error` set when the service refused or could not be reached.
bool SignInForTool(const ToolArguments& arguments, QString* error);
