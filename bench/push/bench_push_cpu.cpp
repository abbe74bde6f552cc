// What pushing to a media server adds to the CPU of a live run: castora-encode with the
// test camera and microphone and "pal_视频中质量（256K）", serving on port 9100 only
// (--serve) against serving and pushing to castora-platform's point live1 (--push), in
// turns, the same number of seconds each. CPU from the kernel's accounting of each run.
// Usage: bench_push_cpu [seconds per run, default 12] [rounds, default 3]

#include "push_bench_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace push_bench;

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 12;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    Platform platform;
    if (!platform.Start()) {
        std::fprintf(stderr, "castora-platform did not start\n");
        return 1;
    }
    const std::vector<std::string> common = {CASTORA_BIN_DIR "/castora-encode", "--profile-dir", CASTORA_BIN_DIR "/Profiles",
                                             "--profile", "pal_视频中质量（256K）", "--video", "DEVICE://Test Camera",
                                             "--audio", "DEVICE://Test Microphone", "--seconds", std::to_string(seconds)};
    std::vector<std::string> serve = common;
    serve.push_back("--serve");
    std::vector<std::string> push = common;
    push.insert(push.end(), {"--push", "127.0.0.1:" + std::to_string(platform.mediaPort) + "/live1", "--push-user", "push",
                             "--push-password", "pushpass"});
    std::vector<double> serveCpu, pushCpu, ratios;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun a = RunChild(serve, seconds + 30);
        const ChildRun b = RunChild(push, seconds + 30);
        if (a.status != 0 || b.status != 0) {
            std::fprintf(stderr, "a run failed (serve %d, push %d)\n", a.status, b.status);
            return 1;
        }
        serveCpu.push_back(a.cpuSeconds);
        pushCpu.push_back(b.cpuSeconds);
        ratios.push_back(b.cpuSeconds / a.cpuSeconds);
        std::printf("round %d: serve only %.2f s CPU, serve and push %.2f s CPU (%.3fx)\n", round + 1, a.cpuSeconds,
                    b.cpuSeconds, ratios.back());
    }
    const double ratio = Median(ratios);
    std::printf("median CPU of %d s runs: serve only %.2f s, serve and push %.2f s; push adds %.1f%% (median of "
                "pairs; target <= 10%%)\n",
                seconds, Median(serveCpu), Median(pushCpu), (ratio - 1) * 100);
    std::printf("%s\n", ratio <= 1.10 ? "target met" : "target NOT met");
    return ratio <= 1.10 ? 0 : 1;
}
