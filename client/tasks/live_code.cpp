#include "client/tasks/live_code.h"

QString BuildLiveCode(int companyId, const QString& codeBase, const std::function<int()>& random) {
    QString code(16, QLatin1Char('0'));
    for (int group = 0; group < 4; ++group) {
        const QString hex = QString::number(random() & 0xFFFF, 16);
        code.replace(group * 4, hex.size(), hex);
    }
    const QString id = QString::number(companyId);
    code.insert(2, QString::number(id.size()));
    code.insert(9, id);
    code.remove(16, id.size() + 1);
    return codeBase + code;
}
