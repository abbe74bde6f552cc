// CPU time per second of media: a live encode of a 640x480 file with
// "pal_视频高质量（512K）" (WMV 8 448 kb/s, WMA 2 64 kb/s 44.1 kHz stereo) through CWavetap,
// then the same file, codecs, bitrates and size encoded by ffmpeg at real-time pace.
// Two figures each: the whole run (start-up included) and the steady state (CPU used
// between 3 s after the start and 1 s before the end, per second of that window).
// Usage: bench_wavetap_cpu [seconds]   (default 20)

#include "bench_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <QFile>

#include <cstdio>
#include <unistd.h>

using namespace wavetap_bench;

namespace {

constexpr double kWindowStart = 3.0;

// CPU seconds a running process has used so far (from /proc/<pid>/stat).
double ProcessCpuSeconds(qint64 pid) {
    QFile stat(QString("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / sysconf(_SC_CLK_TCK);
}

struct Window {
    double cpuAtStart = -1;
    double cpuAtEnd = -1;
    double timeAtStart = 0;
    double timeAtEnd = 0;
    // Samples the CPU reading at the window's edges.
    void Sample(double elapsed, double total, double cpu) {
        if (cpuAtStart < 0 && elapsed >= kWindowStart) {
            cpuAtStart = cpu;
            timeAtStart = elapsed;
        }
        if (elapsed <= total - 1.0) {
            cpuAtEnd = cpu;
            timeAtEnd = elapsed;
        }
    }
    double PerSecond() const { return (cpuAtEnd - cpuAtStart) / (timeAtEnd - timeAtStart); }
};

}  // namespace

int main(int argc, char** argv) {
    InitBench(argc, argv);
    const double seconds = argc > 1 ? QString(argv[1]).toDouble() : 20.0;
    const QString folder = QDir::tempPath() + "/castora-bench-cpu";
    QDir().mkpath(folder);
    const QString clip = MakeBenchClip(folder + "/input.avi", seconds, 640, 480);
    if (clip.isEmpty()) return 1;

    CountingOwner owner;
    double engineCpu = 0;
    double engineMedia = 0;
    Window engineWindow;
    {
        CWavetap wavetap(&owner);
        wavetap.SetProfileDir(ProfileDir());
        if (!wavetap.AddSource("SG", clip, clip, "pal_视频高质量（512K）", WAVETAP_AUDIO_VIDEO, 0, "", 0) ||
            !wavetap.SetSaveInfo(folder + "/engine.wmv"))
            return 1;
        const double cpuBefore = SelfCpuSeconds();
        QElapsedTimer clock;
        clock.start();
        if (!wavetap.StartEncode()) return 1;
        while (!owner.stopped && clock.elapsed() < (seconds + 10) * 1000) {
            PumpFor(100);
            engineWindow.Sample(clock.elapsed() / 1000.0, seconds, SelfCpuSeconds());
        }
        engineCpu = SelfCpuSeconds() - cpuBefore;
        engineMedia = clock.elapsed() / 1000.0;
    }

    const double childrenBefore = ChildrenCpuSeconds();
    QProcess ffmpeg;
    QElapsedTimer clock;
    clock.start();
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-re", "-i", clip, "-s", "640x480", "-r", "25", "-c:v", "wmv2",
                            "-b:v", "448k", "-c:a", "wmav2", "-b:a", "64k", "-ar", "44100", "-ac", "2",
                            folder + "/ffmpeg.wmv"});
    Window ffmpegWindow;
    ffmpeg.waitForStarted();
    const qint64 pid = ffmpeg.processId();
    while (!ffmpeg.waitForFinished(100) && clock.elapsed() < (seconds + 30) * 1000)
        ffmpegWindow.Sample(clock.elapsed() / 1000.0, seconds, ProcessCpuSeconds(pid));
    const double ffmpegCpu = ChildrenCpuSeconds() - childrenBefore;
    const double ffmpegMedia = clock.elapsed() / 1000.0;

    const double enginePerSecond = engineCpu / engineMedia;
    const double ffmpegPerSecond = ffmpegCpu / ffmpegMedia;
    std::printf("engine: %.2f s CPU for %.1f s of media = %.3f CPU s per media s\n", engineCpu, engineMedia,
                enginePerSecond);
    std::printf("ffmpeg: %.2f s CPU for %.1f s of media = %.3f CPU s per media s\n", ffmpegCpu, ffmpegMedia,
                ffmpegPerSecond);
    std::printf("ratio engine/ffmpeg, whole runs: %.2f\n", enginePerSecond / ffmpegPerSecond);
    std::printf("steady state: engine %.3f, ffmpeg %.3f CPU s per media s, ratio %.2f (target <= 1.3)\n",
                engineWindow.PerSecond(), ffmpegWindow.PerSecond(), engineWindow.PerSecond() / ffmpegWindow.PerSecond());
    return 0;
}
