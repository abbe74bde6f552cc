#pragma once
// Runs one of the project's command-line tools to its end and keeps what it printed.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace test_support {

struct ToolRun {
    int exitCode = -1;  // -1 when it crashed or did not end in time
    QString out;
    QString err;

    QStringList Lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
    // The value of the first "key=value" line of the output, or empty.
    QString Value(const QString& key) const {
        for (const QString& line : Lines())
            if (line.startsWith(key + QLatin1Char('='))) return line.mid(key.size() + 1);
        return {};
    }
};

// `tool` is a file name in the build's program folder.
inline ToolRun RunTool(const QString& tool, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess process;
    process.start(QStringLiteral(CASTORA_BIN_DIR "/") + tool, arguments);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

}  // namespace test_support
