// Resident memory of a long run of the test devices (file and pull server), sampled
// every 10 s; growth after the first minute is what counts.
// Usage: bench_wavetap_rss [seconds]   (default 600)

#include "bench_support.h"

#include <QDir>

#include <algorithm>
#include <cstdio>

using namespace wavetap_bench;

int main(int argc, char** argv) {
    InitBench(argc, argv);
    const int seconds = argc > 1 ? std::max(70, atoi(argv[1])) : 600;
    const QString folder = QDir::tempPath() + "/castora-bench-rss";
    QDir().mkpath(folder);
    CountingOwner owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    if (!wavetap.AddSource("SG", kCamera, kMicrophone, "pal_视频高质量（512K）", WAVETAP_AUDIO_VIDEO, 0, "", 0) ||
        !wavetap.SetSaveInfo(folder + "/long.wmv") || !wavetap.SetLiveInfo("", "", 0, "", "", 0) ||
        !wavetap.StartEncode())
        return 1;
    double atOneMinute = 0;
    double highest = 0;
    for (int elapsed = 10; elapsed <= seconds; elapsed += 10) {
        PumpFor(10000);
        const double rss = ResidentMiB();
        if (elapsed == 60) atOneMinute = rss;
        if (elapsed >= 60) highest = std::max(highest, rss);
        std::printf("t=%4d s  rss=%.1f MiB\n", elapsed, rss);
        std::fflush(stdout);
    }
    wavetap.StopEncode();
    std::printf("rss at 60 s: %.1f MiB, highest after: %.1f MiB, growth %.1f MiB over %d s (target < 10)\n",
                atOneMinute, highest, highest - atOneMinute, seconds);
    return 0;
}
