#pragma once
// The platform's web pages the program opens (strings 104 and 133), on the web site whose
// base address is SERVER/IP.

#include <QString>

QString HomePageAddress();          // serverIp + "/web/index.jsp"
QString RegistrationPageAddress();  // serverIp + "/web/register.jsp"
