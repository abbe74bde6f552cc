// The video bitrate the live encoder writes, second by second, against the profile's: a
// recording of a simple picture (the test camera's moving ball), of ffmpeg's moving test
// chart played from a file, and of a busy live picture (a moving colour chart, which needs
// the whole rate) with the given profile. For each it prints the kilobits of every second
// of the archive's video, the mean over the seconds after the first, and the largest amount
// in any one-second window (sliding over the packets' times), each against the profile.
// The recordings stay in the temporary folder as recording-1.wmv and so on.
// Usage: bench_wavetap_bitrate [seconds, default 12] [profile, default "pal_视频中质量（256K）"]

#include "bench_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

using namespace wavetap_bench;

namespace {

// (presentation time in seconds, bytes) of each video packet of the file, from ffprobe.
std::vector<std::pair<double, double>> VideoPackets(const QString& path) {
    QProcess ffprobe;
    ffprobe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=pts_time,size", "-of",
                              "csv=p=0", path});
    ffprobe.waitForFinished(60000);
    std::vector<std::pair<double, double>> packets;
    for (const QByteArray& line : ffprobe.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> fields = line.split(',');
        if (fields.size() == 2) packets.emplace_back(fields[0].toDouble(), fields[1].toDouble());
    }
    std::sort(packets.begin(), packets.end());
    return packets;
}

void Report(const char* content, const std::vector<std::pair<double, double>>& packets, double profileKbps) {
    if (packets.empty()) {
        std::printf("%s: no video packets\n", content);
        return;
    }
    const double start = packets.front().first;
    std::vector<double> perSecond;
    for (const auto& [time, bytes] : packets) {
        const auto second = static_cast<std::size_t>(time - start);
        if (perSecond.size() <= second) perSecond.resize(second + 1, 0);
        perSecond[second] += bytes * 8 / 1000;
    }
    perSecond.pop_back();  // the last second is cut short by the stop
    double largestWindow = 0;
    std::size_t end = 0;
    double inWindow = 0;
    for (std::size_t begin = 0; begin < packets.size(); ++begin) {
        while (end < packets.size() && packets[end].first < packets[begin].first + 1.0) inWindow += packets[end++].second;
        largestWindow = std::max(largestWindow, inWindow * 8 / 1000);
        inWindow -= packets[begin].second;
    }
    double sum = 0;
    for (std::size_t i = 1; i < perSecond.size(); ++i) sum += perSecond[i];
    const double mean = perSecond.size() > 1 ? sum / static_cast<double>(perSecond.size() - 1) : 0;
    std::printf("%s, kb/s per second:", content);
    for (const double kbps : perSecond) std::printf(" %.0f", kbps);
    std::printf("\n  mean after the first second %.0f kb/s = %.0f%% of %.0f; largest 1 s window %.0f kb/s = %.0f%%\n", mean,
                100 * mean / profileKbps, profileKbps, largestWindow, 100 * largestWindow / profileKbps);
}

// The video bitrate of the profile of that name, from the profile files.
double ProfileVideoKbps(const QString& name) {
    for (const QFileInfo& info : QDir(ProfileDir()).entryInfoList({"*.wtp"})) {
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        if (!lines.contains("name=" + name.toUtf8())) continue;
        for (const QByteArray& line : lines)
            if (line.startsWith("video.bitrate=")) return line.mid(14).trimmed().toDouble() / 1000;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    InitBench(argc, argv);
    const int seconds = argc > 1 ? QString(argv[1]).toInt() : 12;
    const QString profile = argc > 2 ? QString::fromUtf8(argv[2]) : QString("pal_视频中质量（256K）");
    const QString folder = QDir::tempPath() + "/castora-bench-bitrate";
    QDir().mkpath(folder);
    const double profileKbps = ProfileVideoKbps(profile);
    if (profileKbps <= 0) {
        std::fprintf(stderr, "no video bitrate in profile %s\n", qUtf8Printable(profile));
        return 1;
    }
    const QString busyClip = MakeBenchClip(folder + "/busy.avi", seconds + 2, 640, 480);
    if (busyClip.isEmpty()) return 1;
    const std::pair<const char*, QString> contents[] = {{"simple (moving ball)", kCamera},
                                                       {"busy (moving test chart)", busyClip},
                                                       {"busy live (moving colour chart)", kBusyCamera}};
    int recordings = 0;
    for (const auto& [content, video] : contents) {
        const QString audio = video == busyClip ? video : QString(kMicrophone);
        // Each recording is kept, to look into after the run.
        const QString path = folder + QString("/recording-%1.wmv").arg(++recordings);
        CountingOwner owner;
        {
            CWavetap wavetap(&owner);
            wavetap.SetProfileDir(ProfileDir());
            if (!wavetap.AddSource("SG", video, audio, profile, WAVETAP_AUDIO_VIDEO, 0, "", 0) ||
                !wavetap.SetSaveInfo(path) || !wavetap.StartEncode())
                return 1;
            PumpFor(seconds * 1000);
            wavetap.StopEncode();
        }
        Report(content, VideoPackets(path), profileKbps);
    }
    return 0;
}
