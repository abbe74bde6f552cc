#include "recorder/recorder_trace.h"

#include "platform/code_page.h"
#include "platform/paths.h"
#include "recorder/recorder_globals.h"

#include <QDateTime>
#include <QFile>

#include <cstdio>

QString RecorderTracePath() {
    QString folder = Recorder().programFolder;
    if (folder.isEmpty()) folder = platform::GetProgramFolder();
    return folder + QStringLiteral("log/VEKRecorder.txt");
}

void RecorderTrace(const QString& message) {
    const QDateTime now = QDateTime::currentDateTime();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", now.date().year(), now.date().month(),
                  now.date().day(), now.time().hour(), now.time().minute(), now.time().second());
    const QByteArray line = QByteArray(stamp) + platform::ToAnsi(message) + '\n';
    FILE* file = std::fopen(QFile::encodeName(RecorderTracePath()).constData(), "a");
    if (!file) return;
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), file);
    std::fclose(file);
}
