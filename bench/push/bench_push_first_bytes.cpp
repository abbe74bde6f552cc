// From StartEncode (the push setup included) to the first media bytes at a player that
// pulls the point from castora-platform's media server: the player connects as soon as
// StartEncode returns and waits for the first $D packet after the $H header.
// Usage: bench_push_first_bytes [runs, default 5]

#include "../wavetap/bench_support.h"
#include "push_bench_support.h"

#include <QElapsedTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace wavetap_bench;

namespace {

// Milliseconds on the clock when the player got its first data packet; -1 on failure.
qint64 FirstDataPacket(int port, const QElapsedTimer& clock) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    const std::string request = "GET /live1 HTTP/1.0\r\nUser-Agent: NSPlayer/7.0\r\nPragma: xPlayStrm=1\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string received;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        received.append(buffer, static_cast<std::size_t>(n));
        // After the response head: framed packets, each '$', its id, a 16-bit length.
        std::size_t at = received.find("\r\n\r\n");
        if (at == std::string::npos) continue;
        at += 4;
        while (at + 4 <= received.size()) {
            if (received[at + 1] == 'D') {
                ::close(fd);
                return clock.elapsed();
            }
            at += 4 + (static_cast<unsigned char>(received[at + 2]) | (static_cast<unsigned char>(received[at + 3]) << 8));
        }
    }
    ::close(fd);
    return -1;
}

}  // namespace

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
        QElapsedTimer clock;
        clock.start();
        if (!wavetap.StartEncode()) return 1;
        const qint64 setup = clock.elapsed();
        const qint64 ms = FirstDataPacket(platform.mediaPort, clock);
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
