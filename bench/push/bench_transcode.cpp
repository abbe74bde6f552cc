// EncodeFileFromFile on a 640x480 file (castora-encode --job transcode with
// "pal_视频中质量（256K）": WMV 8 224 kb/s 320x240 25 fps, WMA 2 32 kb/s 44.1 kHz stereo)
// against ffmpeg making the same file with the same codecs and rates, in turns. Speed is
// media seconds per wall second; CPU from the kernel's accounting of each run.
// Usage: bench_transcode [seconds of media, default 60] [rounds, default 3]

#include "push_bench_support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace push_bench;

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const std::string folder = "/tmp/castora-bench-transcode";
    std::system(("mkdir -p " + folder).c_str());
    const std::string input = folder + "/in.mp4";
    const std::string d = std::to_string(seconds);
    if (RunChild({"ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=640x480:rate=25:duration=" + d, "-f",
                  "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=" + d, "-c:v", "mpeg4", "-q:v", "4",
                  "-c:a", "aac", "-ac", "2", input},
                 300)
            .status != 0) {
        std::fprintf(stderr, "ffmpeg could not make the input\n");
        return 1;
    }
    const std::vector<std::string> ours = {CASTORA_BIN_DIR "/castora-encode", "--job", "transcode", "--input", input,
                                           "--output", folder + "/ours.wmv", "--profile", "pal_视频中质量（256K）"};
    const std::vector<std::string> theirs = {"ffmpeg", "-v", "error", "-y", "-i", input, "-c:v", "wmv2", "-b:v", "224k",
                                             "-s", "320x240", "-r", "25", "-g", "125", "-c:a", "wmav2", "-b:a", "32k",
                                             "-ar", "44100", "-ac", "2", folder + "/ffmpeg.wmv"};
    std::vector<double> speeds, cpuRatios, ourCpu, theirCpu;
    for (int round = 0; round < rounds; ++round) {
        const ChildRun a = RunChild(ours, 600);
        const ChildRun b = RunChild(theirs, 600);
        if (a.status != 0 || b.status != 0) {
            std::fprintf(stderr, "a run failed (ours %d, ffmpeg %d)\n", a.status, b.status);
            return 1;
        }
        speeds.push_back(seconds / a.wallSeconds);
        cpuRatios.push_back(a.cpuSeconds / b.cpuSeconds);
        ourCpu.push_back(a.cpuSeconds);
        theirCpu.push_back(b.cpuSeconds);
        std::printf("round %d: ours %.2f s wall %.2f s CPU (%.1fx real time); ffmpeg %.2f s wall %.2f s CPU; CPU %.2fx\n",
                    round + 1, a.wallSeconds, a.cpuSeconds, speeds.back(), b.wallSeconds, b.cpuSeconds, cpuRatios.back());
    }
    const double speed = Median(speeds);
    const double ratio = Median(cpuRatios);
    std::printf("median: %.1fx real time (target >= 5x); CPU %.2f s against ffmpeg's %.2f s: %.2fx (target <= 1.3x)\n",
                speed, Median(ourCpu), Median(theirCpu), ratio);
    const bool met = speed >= 5 && ratio <= 1.3;
    std::printf("%s\n", met ? "targets met" : "targets NOT met");
    return met ? 0 : 1;
}
