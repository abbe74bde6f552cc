// Pull viewers on loopback against a live GStreamer encode at 512 kbit/s (320x240 WMV2 plus
// WMA2): CPU of the encoder and of the server thread, and the largest delay between a packet
// being fed to the server and a viewer receiving it, with 1 and with 200 viewers.
//   bench_stream_viewers [seconds per run, default 10] [viewers, default 200]
#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "live_asf_source.h"
#include "viewer_client.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/stream_server.h"
#include "wavetap/stream/stream_server_limits.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// When each packet was handed to the server, looked up by the packet's bytes.
class FeedTimes {
public:
    void Record(const char* data, std::size_t size)
    {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(mutex_);
        units_.clear();
        splitter_.Feed(data, size, units_);
        for (const wavetap::AsfUnit& unit : units_) {
            if (unit.kind != wavetap::AsfUnit::Kind::Packet)
                continue;
            const std::size_t key = std::hash<std::string_view>{}(std::string_view(unit.bytes.constData(), unit.bytes.size()));
            fedAt_[key] = now;
            order_.push_back(key);
            if (order_.size() > kKept) {
                fedAt_.erase(order_.front());
                order_.pop_front();
            }
        }
    }

    std::optional<Clock::time_point> FedAt(std::string_view packet) const
    {
        std::lock_guard lock(mutex_);
        const auto found = fedAt_.find(std::hash<std::string_view>{}(packet));
        if (found == fedAt_.end())
            return std::nullopt;
        return found->second;
    }

private:
    static constexpr std::size_t kKept = 20000;
    mutable std::mutex mutex_;
    wavetap::AsfStreamSplitter splitter_;
    std::vector<wavetap::AsfUnit> units_;
    std::unordered_map<std::size_t, Clock::time_point> fedAt_;
    std::deque<std::size_t> order_;
};

// CPU seconds (user + system) of a process or thread, from its /proc stat file.
double CpuSeconds(const std::string& statPath)
{
    std::ifstream file(statPath);
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t afterName = stat.rfind(')');
    if (afterName == std::string::npos)
        return 0;
    // Fields after the name: state is field 3; utime and stime are fields 14 and 15.
    std::istringstream fields(stat.substr(afterName + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14)
            utime = std::stoull(field);
        if (index == 15)
            stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

std::string ServerThreadStat()
{
    DIR* tasks = ::opendir("/proc/self/task");
    std::string found;
    while (dirent* entry = tasks ? ::readdir(tasks) : nullptr) {
        const std::string dir = std::string("/proc/self/task/") + entry->d_name;
        std::ifstream comm(dir + "/comm");
        std::string name;
        if (std::getline(comm, name) && name == "wavetap-stream")
            found = dir + "/stat";
    }
    if (tasks)
        ::closedir(tasks);
    return found;
}

struct RunResult {
    double encoderCpu = 0;  // CPU seconds per second of the run
    double serverCpu = 0;
    double maxLagMs = 0;
    int viewersWithData = 0;
    std::size_t fewestBytes = 0;
};

RunResult RunWithViewers(int viewerCount, int seconds)
{
    RunResult result;
    // Every viewer comes from the loopback address.
    wavetap::StreamServerLimits limits;
    limits.maxConnectionsPerAddress = viewerCount + 10;
    wavetap::StreamServer server(limits);
    if (!server.Start(0, viewerCount + 10)) {
        std::fprintf(stderr, "cannot start the server\n");
        return result;
    }
    FeedTimes feedTimes;
    TestAsfFormat format;
    format.width = 320;
    format.height = 240;
    format.videoBitrate = 448000;
    format.audioBitrate = 64000;
    format.packetSize = 4800;
    LiveAsfSource source(
        [&](const char* data, std::size_t size) {
            feedTimes.Record(data, size);
            server.FeedAsf(data, size);
        },
        format);
    if (!source.Start()) {
        std::fprintf(stderr, "cannot start gst-launch-1.0\n");
        return result;
    }
    std::this_thread::sleep_for(2s);

    std::vector<std::unique_ptr<ViewerClient>> viewers;
    for (int i = 0; i < viewerCount; ++i) {
        if (auto viewer = ViewerClient::Connect(server.Port(), kMmshPlayRequest))
            viewers.push_back(std::move(viewer));
    }
    const Clock::time_point connected = Clock::now();
    std::vector<std::size_t> bytes(viewers.size(), 0);
    std::vector<bool> headSkipped(viewers.size(), false);

    const std::string serverStat = ServerThreadStat();
    const std::string encoderStat = "/proc/" + std::to_string(source.EncoderPid()) + "/stat";
    const double serverStart = CpuSeconds(serverStat);
    const double encoderStart = CpuSeconds(encoderStat);
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(seconds);

    std::vector<pollfd> fds(viewers.size());
    while (Clock::now() < end) {
        for (std::size_t i = 0; i < viewers.size(); ++i)
            fds[i] = {viewers[i]->Fd(), POLLIN, 0};
        ::poll(fds.data(), fds.size(), 50);
        for (std::size_t i = 0; i < viewers.size(); ++i) {
            if (!fds[i].revents)
                continue;
            ViewerClient& viewer = *viewers[i];
            viewer.ReadAvailable();
            const Clock::time_point received = Clock::now();
            if (!headSkipped[i]) {
                const std::size_t headEnd = viewer.Received().find("\r\n\r\n");
                if (headEnd == std::string::npos)
                    continue;
                viewer.Consume(headEnd + 4);
                headSkipped[i] = true;
            }
            std::size_t consumed = 0;
            for (const MmsFrame& frame : ParseFrames(viewer.Received(), &consumed)) {
                if (frame.type != 'D')
                    continue;
                bytes[i] += frame.payload.size();
                const auto fedAt = feedTimes.FedAt(frame.payload);
                // Packets fed before the viewer joined are its start-up backlog, not lag.
                if (fedAt && *fedAt >= connected)
                    result.maxLagMs = std::max(result.maxLagMs, std::chrono::duration<double, std::milli>(received - *fedAt).count());
            }
            viewer.Consume(consumed);
        }
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    result.serverCpu = (CpuSeconds(serverStat) - serverStart) / elapsed;
    result.encoderCpu = (CpuSeconds(encoderStat) - encoderStart) / elapsed;
    result.fewestBytes = bytes.empty() ? 0 : *std::min_element(bytes.begin(), bytes.end());
    result.viewersWithData = static_cast<int>(std::count_if(bytes.begin(), bytes.end(), [](std::size_t b) { return b > 0; }));
    source.Stop();
    server.Stop();
    return result;
}

void Print(const char* label, int viewers, const RunResult& r)
{
    std::printf("%-12s viewers %3d (with data %3d, fewest bytes %zu): encoder CPU %.3f s/s, server thread CPU %.4f s/s, "
                "max lag %.0f ms\n",
                label, viewers, r.viewersWithData, r.fewestBytes, r.encoderCpu, r.serverCpu, r.maxLagMs);
}

}  // namespace

int main(int argc, char** argv)
{
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10;
    const int many = argc > 2 ? std::max(2, std::atoi(argv[2])) : 200;
    const RunResult one = RunWithViewers(1, seconds);
    Print("one viewer", 1, one);
    const RunResult lots = RunWithViewers(many, seconds);
    Print("many viewers", many, lots);
    const double ratio = (lots.encoderCpu + lots.serverCpu) / std::max(1e-9, one.encoderCpu + one.serverCpu);
    std::printf("encoder+server CPU, %d viewers vs 1: %.2fx (target <= 2x); server thread alone: %.4f vs %.4f s/s\n",
                many, ratio, lots.serverCpu, one.serverCpu);
    std::printf("max lag of any viewer: %.0f ms (target <= 2000 ms)\n", std::max(one.maxLagMs, lots.maxLagMs));
    const bool met = ratio <= 2.0 && lots.maxLagMs <= 2000 && lots.viewersWithData == many;
    std::printf("%s\n", met ? "targets met" : "targets NOT met");
    return met ? 0 : 1;
}
