#pragma once
// Shared pieces of the FTP tests: a Qt application for message delivery, a progress
// recorder, a trace collector and test files.

#include "ftp/ftp_trace.h"
#include "platform/messages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <vector>

namespace ftptest {

// Creates the process's QCoreApplication once.
void EnsureQtApp();

// Writes `size` pseudo-random bytes (seeded, so reruns are alike) to path.
void WriteTestFile(const QString& path, qint64 size, unsigned seed = 1);

// True when both files exist and hold the same bytes.
bool SameContent(const QString& a, const QString& b);

// Collects the progress percentages posted to it; optionally sets an abort flag once a
// percentage reaches abortAt.
class ProgressRecorder : public platform::MessageTarget {
public:
    explicit ProgressRecorder(std::atomic<int>* abortFlag = nullptr, int abortAt = 0)
        : abortFlag(abortFlag), abortAt(abortAt) {}
    std::vector<int> Percentages() const;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) override;

private:
    mutable std::mutex lock;
    std::vector<int> percentages;
    std::atomic<int>* abortFlag;
    int abortAt;
};

// A trace sink that keeps the lines.
class TraceLog {
public:
    nsFTP::FtpTrace Sink(bool traceActiveConnectFailure = true);
    QStringList Lines() const;
    bool Contains(const QString& fragment) const;
    QString Joined() const { return Lines().join(QLatin1Char('\n')); }

private:
    mutable std::mutex lock;
    QStringList lines;
};

}  // namespace ftptest
