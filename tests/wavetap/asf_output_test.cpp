// What the encoder writes and serves is ASF that players read to the last frame: the archive
// file and a stream pulled from port 9100 decode without one complaint from ffmpeg, ffmpeg
// decodes as many video frames as the file holds, and the header says what it holds.

#include "wavetap_test_support.h"

#include "wavetap/stream/asf_format.h"
#include "wavetap/stream/asf_header_info.h"
#include "wavetap/stream/asf_packet_scan.h"

#include <QFile>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace wavetap_test;
namespace asf = wavetap::asf;

namespace {

// The bitrates of "pal_视频中质量（256K）": video 224 kb/s, audio 32 kb/s.
constexpr std::uint32_t kProfileBitrates = 224000 + 32000;

// The video frames ffmpeg decodes from the file.
int DecodedVideoFrames(const QString& path) {
    const ToolRun run = RunToolAll("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0",
                                               "-show_entries", "stream=nb_read_frames", "-of", "csv=p=0", path});
    return run.exitCode == 0 ? run.output.trimmed().toInt() : -1;
}

struct AsfContents {
    std::optional<asf::HeaderInfo> header;
    std::uint32_t declaredObjects = 0;
    std::uint32_t objects = 0;  // header objects found walking the Header Object
    std::uint32_t maxBitrate = 0;
    std::chrono::system_clock::time_point created;
    int videoFrames = 0;  // video media objects begun in the data packets
};

AsfContents Read(const QByteArray& file) {
    AsfContents contents;
    const auto* data = reinterpret_cast<const std::uint8_t*>(file.constData());
    const auto size = static_cast<std::size_t>(file.size());
    if (size < asf::kHeaderObjectFixedSize || !asf::GuidAt(data, asf::kHeaderObject)) return contents;
    const std::uint64_t headerSize = asf::ReadLe64(data + 16);
    if (headerSize + asf::kDataObjectFixedSize > size) return contents;
    contents.header = asf::ParseHeader(data, headerSize + asf::kDataObjectFixedSize);
    if (!contents.header) return contents;
    contents.declaredObjects = asf::ReadLe32(data + 24);
    for (std::size_t pos = asf::kHeaderObjectFixedSize; pos + asf::kObjectPrologSize <= headerSize;
         pos += asf::ReadLe64(data + pos + 16)) {
        ++contents.objects;
        if (asf::GuidAt(data + pos, asf::kFilePropertiesObject)) {
            contents.maxBitrate = asf::ReadLe32(data + pos + 100);
            const std::uint64_t fileTime = asf::ReadLe64(data + pos + 48);
            const auto sinceUnixEpoch = std::chrono::nanoseconds((fileTime - 116444736000000000ULL) * 100);
            contents.created = std::chrono::system_clock::time_point(
                std::chrono::duration_cast<std::chrono::system_clock::duration>(sinceUnixEpoch));
        }
        if (asf::ReadLe64(data + pos + 16) == 0) break;
    }
    const std::uint32_t packetSize = contents.header->packetSize;
    for (std::size_t pos = headerSize + asf::kDataObjectFixedSize; pos + packetSize <= size; pos += packetSize) {
        asf::PacketLayout layout;
        if (!asf::ScanPacket(data + pos, packetSize, *contents.header, &layout)) break;  // the index follows
        for (const asf::PayloadSpan& payload : layout.payloads) contents.videoFrames += payload.video && payload.objectStart;
    }
    return contents;
}

void ExpectPlayersReadItAll(const QString& path, const char* what) {
    const ToolRun decode = RunToolAll("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    EXPECT_EQ(decode.exitCode, 0) << what;
    EXPECT_EQ(decode.output.toStdString(), "") << what << ": ffmpeg has nothing to complain about";
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << what;
    const AsfContents contents = Read(file.readAll());
    ASSERT_TRUE(contents.header) << what;
    EXPECT_GT(contents.videoFrames, 50) << what;
    EXPECT_EQ(DecodedVideoFrames(path), contents.videoFrames) << what << ": every frame is decoded";
    EXPECT_EQ(contents.declaredObjects, contents.objects) << what << ": the header's object count";
    EXPECT_GE(contents.maxBitrate, kProfileBitrates) << what << ": the maximum bitrate counts every stream";
    const auto age = std::chrono::system_clock::now() - contents.created;
    EXPECT_LT(std::chrono::abs(age), std::chrono::minutes(2)) << what << ": the creation date is in UTC";
}

// A plain HTTP viewer of port 9100 that keeps the ASF it receives, on its own thread.
class PulledStream {
public:
    explicit PulledStream(const QString& path) : path_(path) {
        thread_ = std::thread([this] { Pull(); });
    }
    ~PulledStream() { Wait(); }
    void Wait() {
        if (thread_.joinable()) thread_.join();
    }
    bool Ok() const { return ok_; }

private:
    void Pull() {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval timeout{10, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(9100);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const char request[] = "GET / HTTP/1.0\r\nHost: 127.0.0.1:9100\r\nUser-Agent: castora-test\r\n\r\n";
        QByteArray received;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::send(fd, request, sizeof request - 1, MSG_NOSIGNAL) > 0) {
            char buffer[16384];
            ssize_t got = 0;
            while ((got = ::recv(fd, buffer, sizeof buffer, 0)) > 0) received.append(buffer, got);
            ok_ = got == 0;  // the server ended the stream
        }
        ::close(fd);
        const qsizetype body = received.indexOf("\r\n\r\n");
        QFile file(path_);
        ok_ = ok_ && body > 0 && file.open(QIODevice::WriteOnly) && file.write(received.mid(body + 4)) > 0;
    }

    QString path_;
    std::thread thread_;
    std::atomic<bool> ok_{false};
};

}  // namespace

TEST(AsfOutput, ArchiveAndPulledStreamReadToTheLastFrame) {
    const QString folder = TempDir("asf-output");
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.SetSaveInfo(folder + "/archive.wmv"));
    ASSERT_TRUE(wavetap.SetLiveInfo("", "", 0, "", "", 0));
    ASSERT_TRUE(wavetap.StartEncode());
    PumpFor(500);
    PulledStream pulled(folder + "/pulled.asf");
    PumpFor(6000);
    wavetap.StopEncode();
    pulled.Wait();
    ASSERT_TRUE(pulled.Ok()) << "the pulled stream ended with the run";

    ExpectPlayersReadItAll(folder + "/archive.wmv", "archive");
    ExpectPlayersReadItAll(folder + "/pulled.asf", "pulled stream");
}
