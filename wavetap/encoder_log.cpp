#include "encoder_log.h"

#include "platform/code_page.h"
#include "platform/paths.h"

#include <QDateTime>
#include <QFile>

namespace wavetap {

void AppendEncoderLog(const QString& message) {
    QFile file(platform::GetProgramFolder() + "log/encoder.txt");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return;
    const QDateTime now = QDateTime::currentDateTime();
    const QByteArray stamp = now.toString("yyyy-MM-dd HH:mm:ss ").toLatin1();
    file.write(stamp + platform::ToAnsi(message) + "\n");
}

}  // namespace wavetap
