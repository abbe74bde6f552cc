// CPU time per second of media: a live encode of a 640x480 file with
// "pal_视频高质量（512K）" (WMV 8 448 kb/s, WMA 2 64 kb/s 44.1 kHz stereo) through CWavetap,
// then the same file, codecs, bitrates, size and key-frame distance (5 s, as the engine's
// profiles) encoded by ffmpeg at real-time pace. Two figures each: the whole run (start-up
// included) and the steady state (CPU used between 3 s after the start and 1 s before the
// end, per second of that window). The two take turns for several rounds, so that a
// machine whose speed drifts shows as spread: every round's ratio is printed, then the
// minimum, median and maximum.
// Usage: bench_wavetap_cpu [seconds per run, default 20] [rounds, default 3]

#include "bench_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>
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

struct RunFigures {
    double whole = 0;   // CPU seconds per media second, start-up included
    double steady = 0;  // the same inside the window
};

bool RunEngine(const QString& clip, const QString& folder, double seconds, RunFigures* figures) {
    CountingOwner owner;
    Window window;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    if (!wavetap.AddSource("SG", clip, clip, "pal_视频高质量（512K）", WAVETAP_AUDIO_VIDEO, 0, "", 0) ||
        !wavetap.SetSaveInfo(folder + "/engine.wmv"))
        return false;
    const double cpuBefore = SelfCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    if (!wavetap.StartEncode()) return false;
    while (!owner.stopped && clock.elapsed() < (seconds + 10) * 1000) {
        PumpFor(100);
        window.Sample(clock.elapsed() / 1000.0, seconds, SelfCpuSeconds());
    }
    figures->whole = (SelfCpuSeconds() - cpuBefore) / (clock.elapsed() / 1000.0);
    figures->steady = window.PerSecond();
    return true;
}

bool RunFfmpeg(const QString& clip, const QString& folder, double seconds, RunFigures* figures) {
    const double childrenBefore = ChildrenCpuSeconds();
    QProcess ffmpeg;
    QElapsedTimer clock;
    clock.start();
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-re", "-i", clip, "-s", "640x480", "-r", "25", "-c:v", "wmv2",
                            "-b:v", "448k", "-g", "125", "-c:a", "wmav2", "-b:a", "64k", "-ar", "44100", "-ac", "2",
                            folder + "/ffmpeg.wmv"});
    Window window;
    if (!ffmpeg.waitForStarted()) return false;
    const qint64 pid = ffmpeg.processId();
    while (!ffmpeg.waitForFinished(100) && clock.elapsed() < (seconds + 30) * 1000)
        window.Sample(clock.elapsed() / 1000.0, seconds, ProcessCpuSeconds(pid));
    figures->whole = (ChildrenCpuSeconds() - childrenBefore) / (clock.elapsed() / 1000.0);
    figures->steady = window.PerSecond();
    return true;
}

void PrintSpread(const char* label, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%s: min %.2f, median %.2f, max %.2f over %zu rounds\n", label, values.front(),
                values[values.size() / 2], values.back(), values.size());
}

}  // namespace

int main(int argc, char** argv) {
    InitBench(argc, argv);
    const double seconds = argc > 1 ? QString(argv[1]).toDouble() : 20.0;
    const int rounds = argc > 2 ? std::max(1, QString(argv[2]).toInt()) : 3;
    const QString folder = QDir::tempPath() + "/castora-bench-cpu";
    QDir().mkpath(folder);
    const QString clip = MakeBenchClip(folder + "/input.avi", seconds, 640, 480);
    if (clip.isEmpty()) return 1;

    std::vector<double> wholeRatios, steadyRatios;
    for (int round = 1; round <= rounds; ++round) {
        RunFigures engine, ffmpeg;
        if (!RunEngine(clip, folder, seconds, &engine) || !RunFfmpeg(clip, folder, seconds, &ffmpeg)) return 1;
        wholeRatios.push_back(engine.whole / ffmpeg.whole);
        steadyRatios.push_back(engine.steady / ffmpeg.steady);
        std::printf("round %d: engine %.3f (steady %.3f), ffmpeg %.3f (steady %.3f) CPU s per media s; "
                    "ratio %.2f (steady %.2f)\n",
                    round, engine.whole, engine.steady, ffmpeg.whole, ffmpeg.steady, wholeRatios.back(),
                    steadyRatios.back());
        std::fflush(stdout);
    }
    PrintSpread("ratio engine/ffmpeg, whole runs", wholeRatios);
    PrintSpread("ratio engine/ffmpeg, steady state (target <= 1.3)", steadyRatios);
    return 0;
}
