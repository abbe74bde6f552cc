// From StartEncode to the first media bytes at a pull viewer on port 9100: a plain HTTP
// viewer connects as soon as the port answers and waits for the first data packet after
// the ASF header. Usage: bench_wavetap_first_bytes [runs]   (default 3)

#include "bench_support.h"

#include <QElapsedTimer>
#include <QtEndian>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace wavetap_bench;

namespace {

// Milliseconds until the viewer holds the header and the first data packet; -1 on failure.
qint64 WaitForFirstMedia(const QElapsedTimer& clock) {
    while (clock.elapsed() < 10000) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(9100);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            PumpFor(5);
            continue;
        }
        timeval timeout{10, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        const char request[] = "GET / HTTP/1.0\r\nHost: 127.0.0.1:9100\r\n\r\n";
        ::send(fd, request, sizeof request - 1, MSG_NOSIGNAL);
        QByteArray received;
        char buffer[8192];
        while (true) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received.append(buffer, n);
            const int body = received.indexOf("\r\n\r\n");
            if (body < 0 || received.size() < body + 4 + 24) continue;
            // ASF header object: 16-byte id, 8-byte size; then the data object's 50 bytes.
            const auto* header = reinterpret_cast<const uchar*>(received.constData()) + body + 4;
            const qint64 headerSize = qFromLittleEndian<qint64>(header + 16);
            if (received.size() > body + 4 + headerSize + 50) {
                ::close(fd);
                return clock.elapsed();
            }
        }
        ::close(fd);
        return -1;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    InitBench(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    std::vector<qint64> times;
    for (int run = 0; run < runs; ++run) {
        CountingOwner owner;
        CWavetap wavetap(&owner);
        wavetap.SetProfileDir(ProfileDir());
        if (!wavetap.AddSource("SG", kCamera, kMicrophone, "pal_视频中质量（256K）", WAVETAP_AUDIO_VIDEO, 0, "", 0) ||
            !wavetap.SetLiveInfo("", "", 0, "", "", 0))
            return 1;
        QElapsedTimer clock;
        clock.start();
        if (!wavetap.StartEncode()) return 1;
        const qint64 ms = WaitForFirstMedia(clock);
        std::printf("run %d: first media bytes after %lld ms\n", run + 1, static_cast<long long>(ms));
        times.push_back(ms);
        wavetap.StopEncode();
        PumpFor(200);
    }
    std::sort(times.begin(), times.end());
    std::printf("median StartEncode -> first media bytes: %lld ms (target < 3000)\n",
                static_cast<long long>(times[times.size() / 2]));
    return 0;
}
