#include "wavetap_test_support.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

namespace wavetap_test {
namespace {

// One QApplication for the whole test program, made before any test runs.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "wavetap_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        WriteTestDevices();
        EnsureLogFolder();
    }

private:
    QApplication* app_ = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);

}  // namespace

void ShowBlankWindow(QWidget* widget) {
    widget->resize(160, 120);
    widget->setAutoFillBackground(true);
    widget->setStyleSheet("background: white");
    widget->show();
}

int NotifyRecorder::Count(unsigned code) const {
    return static_cast<int>(std::count(codes.begin(), codes.end(), code));
}

platform::LRESULT NotifyRecorder::OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM) {
    if (msg != WM_WAVETAP_NOTIFY) return 0;
    codes.push_back(static_cast<unsigned>(wParam));
    if (wParam == WM_WAVETAP_GROUP_ACTIVE && wavetap) {
        QString name;
        if (wavetap->GetCurGrpName(name)) activeGroups << name;
    }
    return 0;
}

void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        platform::PumpMessages();
        if (done()) return true;
        QThread::msleep(10);
    }
    platform::PumpMessages();
    return done();
}

QString ProfileDir() { return QString(CASTORA_SOURCE_DIR) + "/Profiles"; }

QString TempDir(const QString& name) {
    const QString path = QDir::tempPath() + "/castora-wavetap-tests/" + name;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

void WriteTestDevices() {
    QFile source(QString(CASTORA_SOURCE_DIR) + "/tests/wavetap/test-devices.ini");
    QSaveFile file(QString(CASTORA_BIN_DIR) + "/devices.ini");
    if (!source.open(QIODevice::ReadOnly) || !file.open(QIODevice::WriteOnly)) return;
    file.write(source.readAll());
    file.commit();
}

void EnsureLogFolder() { QDir().mkpath(QString(CASTORA_BIN_DIR) + "/log"); }

QString EncoderLogText() {
    QFile file(QString(CASTORA_BIN_DIR) + "/log/encoder.txt");
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

QByteArray RunTool(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return process.exitCode() == 0 ? process.readAllStandardOutput() : QByteArray();
}

ToolRun RunToolAll(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitCode();
    run.output = process.readAll();
    return run;
}

QString MakeClip(const QString& folder, const QString& name, double seconds, int toneHz) {
    const QString path = folder + "/" + name;
    const QString duration = QString::number(seconds);
    RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                       "testsrc=size=320x240:rate=25:duration=" + duration, "-f", "lavfi", "-i",
                       QString("sine=f=%1:d=%2").arg(toneHz).arg(duration), "-c:v", "mpeg4", "-c:a", "mp2", path});
    return QFile::exists(path) ? path : QString();
}

QString MakeBusyClip(const QString& folder, const QString& name, double seconds) {
    const QString path = folder + "/" + name;
    const QString duration = QString::number(seconds);
    RunTool("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=" + duration,
                       "-f", "lavfi", "-i", "sine=f=440:d=" + duration, "-c:v", "mpeg4", "-q:v", "2", "-c:a", "mp2",
                       path});
    return QFile::exists(path) ? path : QString();
}

ProbeResult Probe(const QString& path) {
    ProbeResult result;
    const QByteArray json = RunTool("ffprobe", {"-v", "error", "-print_format", "json", "-show_format",
                                                "-show_streams", path});
    const QJsonObject root = QJsonDocument::fromJson(json).object();
    for (const QJsonValue& stream : root.value("streams").toArray())
        result.codecs << stream.toObject().value("codec_name").toString();
    const QJsonObject format = root.value("format").toObject();
    result.duration = format.value("duration").toString().toDouble();
    const QJsonObject tags = format.value("tags").toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it) result.tagsText += it.key() + "=" + it.value().toString() + "\n";
    return result;
}

std::vector<Packet> Packets(const QString& path) {
    std::vector<Packet> packets;
    const QByteArray json = RunTool("ffprobe", {"-v", "error", "-print_format", "json", "-show_entries",
                                                "packet=codec_type,pts_time,size", path});
    for (const QJsonValue& value : QJsonDocument::fromJson(json).object().value("packets").toArray()) {
        const QJsonObject packet = value.toObject();
        packets.push_back({packet.value("codec_type").toString(), packet.value("pts_time").toString().toDouble(),
                           packet.value("size").toString().toInt()});
    }
    return packets;
}

}  // namespace wavetap_test
