// CPU time per second of media: a live encode of a 640x480 file with
// "pal_视频高质量（512K）" (WMV 8 448 kb/s, WMA 2 64 kb/s 44.1 kHz stereo) through CWavetap,
// then the same file, codecs, bitrates and size encoded by ffmpeg at real-time pace.
// Usage: bench_wavetap_cpu [seconds]   (default 20)

#include "bench_support.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>

using namespace wavetap_bench;

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
        while (!owner.stopped && clock.elapsed() < (seconds + 10) * 1000) PumpFor(100);
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
    ffmpeg.waitForFinished(static_cast<int>((seconds + 30) * 1000));
    const double ffmpegCpu = ChildrenCpuSeconds() - childrenBefore;
    const double ffmpegMedia = clock.elapsed() / 1000.0;

    const double enginePerSecond = engineCpu / engineMedia;
    const double ffmpegPerSecond = ffmpegCpu / ffmpegMedia;
    std::printf("engine: %.2f s CPU for %.1f s of media = %.3f CPU s per media s\n", engineCpu, engineMedia,
                enginePerSecond);
    std::printf("ffmpeg: %.2f s CPU for %.1f s of media = %.3f CPU s per media s\n", ffmpegCpu, ffmpegMedia,
                ffmpegPerSecond);
    std::printf("ratio engine/ffmpeg: %.2f (target <= 1.3)\n", enginePerSecond / ffmpegPerSecond);
    return 0;
}
