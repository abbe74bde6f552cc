// Serving on the pull port: mms (mmsh) and plain HTTP viewers, the viewer limit from the
// registry store, and a viewer that never reads.

#include "wavetap_test_support.h"

#include "platform/registry_store.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

constexpr int kViewerLimit = 20;

// A plain HTTP viewer on loopback port 9100.
class Viewer {
public:
    Viewer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval timeout{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(9100);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        const char request[] = "GET / HTTP/1.0\r\nHost: 127.0.0.1:9100\r\nUser-Agent: castora-test\r\n\r\n";
        if (connected_) connected_ = ::send(fd_, request, sizeof request - 1, MSG_NOSIGNAL) > 0;
    }
    ~Viewer() { ::close(fd_); }

    // Reads until `bytes` arrived, the peer closed, or reads time out; returns what came.
    QByteArray Read(size_t bytes) {
        QByteArray received;
        char buffer[16384];
        while (connected_ && static_cast<size_t>(received.size()) < bytes) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            received.append(buffer, n);
        }
        return received;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

}  // namespace

TEST(Serve, ViewersPullTheLiveStreamWithinTheLimit) {
    ASSERT_TRUE(platform::RegistrySetString(platform::kMaxClientConnectionsKey, "", QString::number(kViewerLimit)));
    const QString folder = TempDir("serve");
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.SetSaveInfo(folder + "/archive.wmv"));
    ASSERT_TRUE(wavetap.SetLiveInfo("", "", 0, "", "", 0));
    EXPECT_EQ(wavetap.OutputMode(), 1);
    ASSERT_TRUE(wavetap.StartEncode());
    QElapsedTimer running;
    running.start();
    int percent = -1;
    PumpFor(300);

    // The limit: one viewer that never reads, then enough to fill it; one more is refused.
    std::vector<std::unique_ptr<Viewer>> viewers;
    for (int i = 0; i < kViewerLimit; ++i) viewers.push_back(std::make_unique<Viewer>());
    PumpFor(500);
    Viewer refused;
    EXPECT_TRUE(refused.Read(4096).startsWith("HTTP/1.0 503")) << "viewer number limit + 1";
    for (size_t i = 1; i < viewers.size(); ++i)
        EXPECT_GE(viewers[i]->Read(50000).size(), 50000) << "viewer " << i;
    viewers.clear();
    PumpFor(500);  // the server lets the closed viewers go
    // An mms player: ffprobe finds both streams, ffmpeg saves five seconds.
    const QByteArray streams = RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name", "-of",
                                                   "csv=p=0", "mmsh://127.0.0.1:9100/"}, 20000);
    EXPECT_EQ(streams, "wmv2\nwmav2\n");
    RunTool("ffmpeg", {"-v", "error", "-y", "-i", "mmsh://127.0.0.1:9100/", "-t", "5", "-c", "copy",
                       folder + "/pulled.wmv"}, 30000);
    EXPECT_GE(Probe(folder + "/pulled.wmv").duration, 4.0);

    EXPECT_TRUE(wavetap.GetTransformProcess(percent));
    EXPECT_EQ(percent, -1) << "a device has no length: the percentage is left alone";
    wavetap.StopEncode();
    // How long the viewers take depends on the stream's rate; the archive covers the whole run.
    const double ranSeconds = running.elapsed() / 1000.0;
    EXPECT_GE(ranSeconds, 5.0);
    EXPECT_GE(Probe(folder + "/archive.wmv").duration, ranSeconds - 1.5) << "the archive went on beside the viewers";
    platform::RegistryDeleteValue(platform::kMaxClientConnectionsKey, "");
}
