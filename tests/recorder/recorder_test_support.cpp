#include "recorder_test_support.h"

#include "platform/code_page.h"
#include "platform/paths.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace recorder_test {
namespace {

class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "recorder_tests";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

QString PrepareProgramFolder() {
    const QString folder = platform::GetProgramFolder();
    for (const char* file : {"Recorderconfig.ini", "CurrentShowList.ini", "ftpconfigure.ini", "WEBShowList.ini"})
        QFile::remove(folder + QString::fromLatin1(file));
    for (const char* sub : {"log", "TVRecord", "save", "elsewhere"}) QDir(folder + QString::fromLatin1(sub)).removeRecursively();
    QDir(folder).mkpath(QStringLiteral("log"));
    QFile::remove(folder + "devices.ini");
    QFile::copy(QStringLiteral(CASTORA_SOURCE_DIR "/tests/recorder/recorder-devices.ini"), folder + "devices.ini");
    if (!QFile::exists(folder + "revodezo.bmp"))
        QFile::copy(QStringLiteral(CASTORA_SOURCE_DIR "/recorder/resources/revodezo.bmp"), folder + "revodezo.bmp");
    if (!QFileInfo::exists(folder + "Profiles"))
        QFile::link(QStringLiteral(CASTORA_SOURCE_DIR "/Profiles"), folder + "Profiles");
    return folder;
}

void WriteFile(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(text);
}

QString ReadText(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = f.readAll();
    return platform::IsValidUtf8(bytes) ? QString::fromUtf8(bytes) : platform::FromAnsi(bytes);
}

QString TraceText() { return ReadText(platform::GetProgramFolder() + "log/VEKRecorder.txt"); }

BoxAnswers::BoxAnswers(int fallback) : fallback_(fallback) {
    SetMessageBoxResponder([this](const MessageBoxRequest& request) {
        texts << request.text;
        requests.push_back(request);
        if (answers_.empty()) return fallback_;
        const int answer = answers_.front();
        answers_.erase(answers_.begin());
        return answer;
    });
}

BoxAnswers::~BoxAnswers() { SetMessageBoxResponder(nullptr); }

platform::LRESULT HostWindow::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) {
    messages.push_back({msg, wParam, lParam});
    return 0;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        // Tests run no event loop, so objects deleted later are deleted here.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (done()) return true;
        QThread::msleep(5);
    }
    QCoreApplication::processEvents();
    return done();
}

void PumpFor(int milliseconds) { PumpUntil([] { return false; }, milliseconds); }

Probe ProbeFile(const QString& path) {
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration:stream=codec_name",
                                              "-of", "json", path});
    Probe probe;
    if (!ffprobe.waitForFinished(30000)) return probe;
    const QJsonObject root = QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
    for (const QJsonValue& stream : root.value("streams").toArray())
        probe.codecs << stream.toObject().value("codec_name").toString();
    probe.duration = root.value("format").toObject().value("duration").toString().toDouble();
    return probe;
}

}  // namespace recorder_test
