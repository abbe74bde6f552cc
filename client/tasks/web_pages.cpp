#include "client/tasks/web_pages.h"

#include "client/shell/client_globals.h"

QString HomePageAddress() { return Globals().serverIp + QStringLiteral("/web/index.jsp"); }

QString RegistrationPageAddress() { return Globals().serverIp + QStringLiteral("/web/register.jsp"); }
