#include "ftp_test_support.h"

#include "ftp/ftp_client.h"

#include <QCoreApplication>
#include <QFile>

#include <random>

namespace ftptest {

void EnsureQtApp() {
    static int argc = 1;
    static char name[] = "ftp_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

void WriteTestFile(const QString& path, qint64 size, unsigned seed) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    std::mt19937_64 random(seed);
    QByteArray block(1 << 16, Qt::Uninitialized);
    for (qint64 left = size; left > 0;) {
        auto* words = reinterpret_cast<std::uint64_t*>(block.data());
        for (size_t i = 0; i < block.size() / sizeof(std::uint64_t); ++i) words[i] = random();
        const qint64 chunk = std::min<qint64>(left, block.size());
        file.write(block.constData(), chunk);
        left -= chunk;
    }
}

bool SameContent(const QString& a, const QString& b) {
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly)) return false;
    if (first.size() != second.size()) return false;
    while (!first.atEnd()) {
        if (first.read(1 << 20) != second.read(1 << 20)) return false;
    }
    return true;
}

std::vector<int> ProgressRecorder::Percentages() const {
    std::lock_guard<std::mutex> guard(lock);
    return percentages;
}

platform::LRESULT ProgressRecorder::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
    if (msg != nsFTP::kFtpProgressMessage || wParam != 0) return 0;
    std::lock_guard<std::mutex> guard(lock);
    percentages.push_back(static_cast<int>(lParam));
    if (abortFlag && abortAt > 0 && lParam >= abortAt) abortFlag->store(1);
    return 0;
}

nsFTP::FtpTrace TraceLog::Sink(bool traceActiveConnectFailure) {
    return nsFTP::FtpTrace{[this](const QString& line) {
                               std::lock_guard<std::mutex> guard(lock);
                               lines.append(line);
                           },
                           traceActiveConnectFailure};
}

QStringList TraceLog::Lines() const {
    std::lock_guard<std::mutex> guard(lock);
    return lines;
}

bool TraceLog::Contains(const QString& fragment) const {
    for (const QString& line : Lines()) {
        if (line.contains(fragment)) return true;
    }
    return false;
}

}  // namespace ftptest
