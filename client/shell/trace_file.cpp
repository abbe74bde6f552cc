#include "client/shell/trace_file.h"

#include "client/shell/client_globals.h"
#include "platform/code_page.h"
#include "platform/paths.h"

#include <QByteArray>
#include <QDateTime>

#include <cstdio>

void AppendTraceLine(const QString& fileName, const QString& text) {
    QByteArray ansi = platform::ToAnsi(text);
    if (ansi.size() > 1023) ansi.truncate(1023);

    QString folder = Globals().programFolder;
    if (folder.isEmpty()) folder = platform::GetProgramFolder();
    if (folder.endsWith(u'/')) folder.chop(1);
    const QByteArray path = (folder + u'/' + fileName).toLocal8Bit();

    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    // Lines end in CR LF, as the text-mode files of the original trace did.
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d ", d.year(), d.month(), d.day(), t.hour(),
                  t.minute(), t.second());
    const QByteArray line = QByteArray(stamp) + ansi + "\r\n";

    FILE* file = std::fopen(path.constData(), "a");
    if (!file) return;
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), file);
    const long position = std::ftell(file);
    std::fclose(file);
    if (position > kTraceFileLimit) {
        file = std::fopen(path.constData(), "w");
        if (!file) return;
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), file);
        std::fclose(file);
    }
}
