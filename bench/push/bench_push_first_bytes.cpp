// From StartEncode (the push setup included) to the first media bytes at a player that
// pulls the point from castora-platform's media server: the player connects as soon as
// StartEncode returns and waits for the first $D packet after the $H header.
// Usage: bench_push_first_bytes [runs, default 5]

#include "../wavetap/bench_support.h"
#include "push_bench_support.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using namespace wavetap_bench;

int main(int argc, char** argv) {
    InitBench(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    push_bench::Platform platform;
    if (!platform.Start()) return 1;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        CountingOwner owner;
        CWavetap wavetap(&owner);
        wavetap.SetProfileDir(ProfileDir());
        if (!wavetap.AddSource("SG", kCamera, kMicrophone, "pal_视频中质量（256K）", WAVETAP_AUDIO_VIDEO, 0, "", 0) ||
            !wavetap.SetLiveInfo("127.0.0.1", "live1", platform.mediaPort, "push", "pushpass", 1))
            return 1;
        const auto start = std::chrono::steady_clock::now();
        if (!wavetap.StartEncode()) return 1;
        const auto setup = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        const auto ms = static_cast<qint64>(push_bench::FirstDataPacketMs(platform.mediaPort, "live1", start));
        std::printf("run %d: StartEncode returned after %lld ms, first media bytes at the player after %lld ms\n", run + 1,
                    static_cast<long long>(setup), static_cast<long long>(ms));
        times.push_back(ms < 0 ? 1e9 : static_cast<double>(ms));
        wavetap.StopEncode();
        PumpFor(300);
    }
    const double worst = *std::max_element(times.begin(), times.end());
    std::printf("median %.0f ms, worst %.0f ms (target < 3000 ms)\n%s\n", push_bench::Median(times), worst,
                worst < 3000 ? "target met" : "target NOT met");
    return worst < 3000 ? 0 : 1;
}
