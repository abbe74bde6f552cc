// Protecting a large WMV with the protect routine, against `openssl enc` with the same
// cipher (AES-128-CTR) over the same bytes, in turns: throughput and the ratio of CPU
// times. The routine parses every packet and crypts each payload; openssl crypts the
// file as one stream.
//
//   bench_drm_protect [INPUT.wmv] [ROUNDS]
//   bench_drm_protect --protect-only INPUT.wmv OUTPUT.wmv   (one protection, for outside timers)
// Without INPUT a 200 MB WMV is made once with GStreamer (asfmux, as the encoder writes).

#include "drm/content_key.h"
#include "drm/protect_routine.h"
#include "drm/signing_key.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <vector>

extern char** environ;

namespace {

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

double CpuOf(const rusage& usage) { return Seconds(usage.ru_utime) + Seconds(usage.ru_stime); }

double SelfCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return CpuOf(usage);
}

// Runs a program to its end; its CPU seconds, or -1.
double RunChild(const std::vector<QByteArray>& arguments) {
    std::vector<char*> argv;
    for (const QByteArray& a : arguments) argv.push_back(const_cast<char*>(a.constData()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return CpuOf(usage);
}

QString MakeInput() {
    const QString path = QDir::tempPath() + "/castora-bench-200mb.wmv";
    if (QFileInfo(path).size() > 150'000'000) return path;
    std::fprintf(stderr, "making %s ...\n", qPrintable(path));
    const QByteArray pipeline =
        "videotestsrc num-buffers=2300 pattern=snow ! video/x-raw,width=640,height=480,framerate=25/1 ! "
        "avenc_wmv2 bitrate=30000000 gop-size=25 ! identity single-segment=true ! queue ! asfmux name=mux ! "
        "filesink location=" + QFile::encodeName(path) +
        " audiotestsrc num-buffers=3960 samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! "
        "avenc_wmav2 bitrate=128000 ! identity single-segment=true ! queue ! mux.";
    return RunChild({"sh", "-c", "gst-launch-1.0 -q " + pipeline}) >= 0 ? path : QString();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--protect-only") {
        QString kid;
        return drm::Failed(ProtectMediaFile(drm::NewSeed(), drm::SigningKey::Generate()->PrivatePem(),
                                            "http://127.0.0.1/drm/license", QString::fromLocal8Bit(argv[2]),
                                            QString::fromLocal8Bit(argv[3]), &kid))
                   ? 1
                   : 0;
    }
    const QString input = argc > 1 ? QString::fromLocal8Bit(argv[1]) : MakeInput();
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    if (input.isEmpty() || !QFile::exists(input)) {
        std::fprintf(stderr, "no input file\n");
        return 1;
    }
    const double megabytes = static_cast<double>(QFileInfo(input).size()) / 1e6;
    const QString output = QDir::tempPath() + "/castora-bench-protected.wmv";
    const QByteArray opensslOut = QFile::encodeName(QDir::tempPath() + "/castora-bench-openssl.bin");
    const QString seed = drm::NewSeed();
    const QString key = drm::SigningKey::Generate()->PrivatePem();
    const QByteArray hexKey = drm::RandomBytes(16).toHex();
    const QByteArray hexIv = drm::RandomBytes(16).toHex();

    std::vector<double> ourCpu, ourWall, theirCpu, ratios;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms the page cache
        QElapsedTimer wall;
        const double before = SelfCpu();
        wall.start();
        QString kid;
        if (drm::Failed(ProtectMediaFile(seed, key, "http://127.0.0.1/drm/license", input, output, &kid))) {
            std::fprintf(stderr, "protect failed\n");
            return 1;
        }
        const double cpu = SelfCpu() - before;
        const double seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        const double openssl = RunChild({"openssl", "enc", "-aes-128-ctr", "-K", hexKey, "-iv", hexIv, "-in",
                                         QFile::encodeName(input), "-out", opensslOut});
        if (openssl <= 0) {
            std::fprintf(stderr, "openssl enc failed\n");
            return 1;
        }
        if (round == 0) continue;
        ourCpu.push_back(cpu);
        ourWall.push_back(seconds);
        theirCpu.push_back(openssl);
        ratios.push_back(cpu / openssl);
        std::printf("round %d: protect %.3f s CPU, %.3f s wall; openssl enc %.3f s CPU; ratio %.2f\n", round, cpu,
                    seconds, openssl, cpu / openssl);
    }
    QFile::remove(output);
    QFile::remove(QString::fromLocal8Bit(opensslOut));
    std::printf("input %.1f MB, %d rounds (medians)\n", megabytes, rounds);
    std::printf("protect: %.3f s CPU, %.3f s wall, %.0f MB/s wall, %.0f MB/s CPU\n", Median(ourCpu), Median(ourWall),
                megabytes / Median(ourWall), megabytes / Median(ourCpu));
    std::printf("openssl enc -aes-128-ctr: %.3f s CPU\n", Median(theirCpu));
    std::printf("CPU ratio protect / openssl: %.2f (min %.2f, max %.2f)\n", Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
    return 0;
}
