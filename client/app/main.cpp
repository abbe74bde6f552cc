// The Castora program.

#include "client/shell/tenancy.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Castora"));
    CTenancy tenancy;
    if (!tenancy.InitInstance()) return 0;
    return QApplication::exec();
}
