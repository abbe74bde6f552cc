// A stand-in updater library for start-up tests: records its arguments beside the
// program and answers what the test asks for through FAKE_UPKEEP_ANSWER.

#include <QFile>
#include <QString>

extern "C" __attribute__((visibility("default"))) int CheckUpdate(QString updateAddress, QString installerName,
                                                                  int* result, void* progressThread) {
    QFile record(QString::fromLocal8Bit(qgetenv("FAKE_UPKEEP_RECORD")));
    if (record.open(QIODevice::WriteOnly)) {
        record.write((updateAddress + u'\n' + installerName + u'\n' +
                      (progressThread ? QStringLiteral("thread") : QStringLiteral("null")) + u'\n')
                         .toUtf8());
    }
    *result = 3;
    return qEnvironmentVariableIntValue("FAKE_UPKEEP_ANSWER");
}
