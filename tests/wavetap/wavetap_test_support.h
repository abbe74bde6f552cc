#pragma once
// Shared pieces of the live encoder tests: a QApplication, an owner window that records
// notifications, message pumping, configured test devices, test media made with ffmpeg,
// and ffprobe readings of what the encoder wrote.

#include "platform/messages.h"
#include "wavetap/wavetap.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

namespace wavetap_test {

// Records every WM_WAVETAP_NOTIFY code, and the current group at each code 1.
class NotifyRecorder : public platform::MessageTarget {
public:
    std::vector<unsigned> codes;
    QStringList activeGroups;
    CWavetap* wavetap = nullptr;  // asked for the current group on code 1
    int Count(unsigned code) const;

protected:
    platform::LRESULT OnMessage(unsigned msg, platform::WPARAM wParam, platform::LPARAM lParam) override;
};

// Shows the widget 160x120 with a white background, for views to paint over.
void ShowBlankWindow(QWidget* widget);

// Pumps this thread's messages for the given time, or until `done` holds.
void PumpFor(int milliseconds);
bool PumpUntil(const std::function<bool()>& done, int timeoutMs);

QString ProfileDir();
// A fresh folder for one test's files.
QString TempDir(const QString& name);
// Writes devices.ini beside the program with the test devices (idempotent).
void WriteTestDevices();
// Creates <bin>/log so encoder log lines are kept, and returns the log's text.
QString EncoderLogText();
void EnsureLogFolder();

// A test clip made by ffmpeg (test pattern and tone); empty when ffmpeg failed.
QString MakeClip(const QString& folder, const QString& name, double seconds, int toneHz);
// The same with ffmpeg's busier moving chart, kept at fine quality (about 2 Mb/s at 320x240).
QString MakeBusyClip(const QString& folder, const QString& name, double seconds);

// Runs a program and returns its standard output (empty on failure).
QByteArray RunTool(const QString& program, const QStringList& arguments, int timeoutMs = 60000);

struct ToolRun {
    int exitCode = -1;  // -1 when it did not finish in time
    QByteArray output;  // standard output and error
};
// Runs a program and returns its exit code and everything it printed.
ToolRun RunToolAll(const QString& program, const QStringList& arguments, int timeoutMs = 60000);

struct ProbeResult {
    QStringList codecs;  // codec_name per stream, in order
    double duration = 0;
    QString tagsText;  // all format tags, "key=value" lines
};
ProbeResult Probe(const QString& path);

struct Packet {
    QString type;  // "video" or "audio"
    double pts = 0;
    int bytes = 0;
};
std::vector<Packet> Packets(const QString& path);

inline constexpr const char* kCamera = "DEVICE://Test Camera";
inline constexpr const char* kMicrophone = "DEVICE://Test Microphone";
// A moving colour chart: busy enough that the encoder needs its whole bitrate.
inline constexpr const char* kBusyCamera = "DEVICE://Busy Camera";
inline constexpr const char* kProfile256 = "pal_视频中质量（256K）";
inline constexpr const char* kAudioProfile = "pal_音频中质量（64K）";

}  // namespace wavetap_test
