// Many mms players pulling one point of castora-platform's media server on loopback while
// castora-encode pushes the test camera to it with "pal_视频中质量（256K）": CPU of the
// platform (the media server takes the push and serves the players) and of the pushing
// encoder with one player and with many; how far the slowest player falls behind the
// freshest (by the send times of the packets they hold); players that get nothing.
// Usage: bench_push_viewers [seconds per phase, default 10] [players, default 500]

#include "push_bench_support.h"
#include "viewer_client.h"
#include "wavetap/stream/asf_header_info.h"
#include "wavetap/stream/asf_packet_scan.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <thread>

using namespace push_bench;
using Clock = std::chrono::steady_clock;

namespace {

struct Player {
    std::unique_ptr<ViewerClient> client;
    bool headSkipped = false;
    std::optional<wavetap::asf::HeaderInfo> header;
    std::int64_t latestSendMs = -1;
    std::size_t bytes = 0;
};

struct Phase {
    double platformCpu = 0;  // CPU seconds per second
    double encoderCpu = 0;
    double maxBehindMs = 0;
    int withData = 0;
    std::size_t fewestBytes = 0;
};

void ReadPlayer(Player& p) {
    ViewerClient& viewer = *p.client;
    viewer.ReadAvailable();
    if (!p.headSkipped) {
        const std::size_t end = viewer.Received().find("\r\n\r\n");
        if (end == std::string::npos) return;
        viewer.Consume(end + 4);
        p.headSkipped = true;
    }
    std::size_t consumed = 0;
    for (const MmsFrame& frame : ParseFrames(viewer.Received(), &consumed)) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.payload.data());
        if (frame.type == 'H') p.header = wavetap::asf::ParseHeader(bytes, frame.payload.size());
        if (frame.type != 'D' || !p.header) continue;
        p.bytes += frame.payload.size();
        if (const auto info = wavetap::asf::ScanPacket(bytes, frame.payload.size(), *p.header))
            p.latestSendMs = std::max<std::int64_t>(p.latestSendMs, info->sendTimeMs);
    }
    viewer.Consume(consumed);
}

// Reads every player for the phase; measures from `settle` on.
Phase Measure(std::vector<Player>& players, pid_t platform, pid_t encoder, int seconds) {
    std::vector<pollfd> fds;
    const auto read = [&](Clock::time_point until, Phase* phase) {
        while (Clock::now() < until) {
            fds.assign(players.size(), {});
            for (std::size_t i = 0; i < players.size(); ++i) fds[i] = {players[i].client->Fd(), POLLIN, 0};
            ::poll(fds.data(), fds.size(), 50);
            std::int64_t freshest = -1;
            for (std::size_t i = 0; i < players.size(); ++i) {
                if (fds[i].revents) ReadPlayer(players[i]);
                freshest = std::max(freshest, players[i].latestSendMs);
            }
            if (!phase) continue;
            for (const Player& p : players)
                if (p.latestSendMs >= 0) phase->maxBehindMs = std::max<double>(phase->maxBehindMs, freshest - p.latestSendMs);
        }
    };
    read(Clock::now() + std::chrono::seconds(2), nullptr);  // players settle in
    Phase phase;
    std::vector<std::size_t> before;
    for (const Player& p : players) before.push_back(p.bytes);
    const double platformStart = ProcessCpuSeconds(platform);
    const double encoderStart = ProcessCpuSeconds(encoder);
    const auto start = Clock::now();
    read(start + std::chrono::seconds(seconds), &phase);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    phase.platformCpu = (ProcessCpuSeconds(platform) - platformStart) / elapsed;
    phase.encoderCpu = (ProcessCpuSeconds(encoder) - encoderStart) / elapsed;
    phase.fewestBytes = SIZE_MAX;
    for (std::size_t i = 0; i < players.size(); ++i) {
        const std::size_t got = players[i].bytes - before[i];
        phase.withData += got > 0;
        phase.fewestBytes = std::min(phase.fewestBytes, got);
    }
    return phase;
}

void Print(const char* label, std::size_t players, const Phase& p) {
    std::printf("%-11s players %3zu (with data %3d, fewest bytes %zu): platform CPU %.4f s/s, encoder CPU %.3f s/s, "
                "slowest player behind the freshest by %.0f ms\n",
                label, players, p.withData, p.fewestBytes, p.platformCpu, p.encoderCpu, p.maxBehindMs);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10;
    const int many = argc > 2 ? std::max(2, std::atoi(argv[2])) : 500;
    Platform platform;
    if (!platform.Start()) return 1;
    const pid_t encoder = Spawn({CASTORA_BIN_DIR "/castora-encode", "--profile-dir", CASTORA_BIN_DIR "/Profiles",
                                 "--profile", "pal_视频中质量（256K）", "--video", "DEVICE://Test Camera", "--audio",
                                 "DEVICE://Test Microphone", "--push",
                                 "127.0.0.1:" + std::to_string(platform.mediaPort) + "/live1", "--push-user", "push",
                                 "--push-password", "pushpass", "--seconds", std::to_string(4 * seconds + 20)});
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const std::string request = "GET /live1 HTTP/1.0\r\nUser-Agent: NSPlayer/7.0\r\nPragma: xPlayStrm=1\r\n\r\n";
    std::vector<Player> players;
    const auto connect = [&](int count) {
        while (static_cast<int>(players.size()) < count)
            if (auto client = ViewerClient::Connect(static_cast<quint16>(platform.mediaPort), request)) {
                Player player;
                player.client = std::move(client);
                players.push_back(std::move(player));
            } else {
                break;
            }
    };
    connect(1);
    const Phase one = Measure(players, platform.pid, encoder, seconds);
    Print("one player", players.size(), one);
    connect(many);
    const Phase lots = Measure(players, platform.pid, encoder, seconds);
    Print("many", players.size(), lots);
    ::kill(encoder, SIGTERM);
    ::waitpid(encoder, nullptr, 0);

    const double serverRatio = lots.platformCpu / std::max(1e-9, one.platformCpu);
    const double bothRatio = (lots.platformCpu + lots.encoderCpu) / std::max(1e-9, one.platformCpu + one.encoderCpu);
    std::printf("platform CPU, %d players vs 1: %.2fx; platform and encoder together: %.2fx (target <= 2x)\n", many,
                serverRatio, bothRatio);
    std::printf("slowest player behind: %.0f ms (target <= 2000 ms); players without data: %d\n", lots.maxBehindMs,
                static_cast<int>(players.size()) - lots.withData);
    const bool met = bothRatio <= 2.0 && lots.maxBehindMs <= 2000 && lots.withData == many;
    std::printf("%s\n", met ? "targets met (platform and encoder together)" : "targets NOT met");
    return met ? 0 : 1;
}
