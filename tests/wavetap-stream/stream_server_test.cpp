// The pull server with real players (ffprobe and ffmpeg over mmsh:// and http://) and raw
// loopback viewers, fed by a live GStreamer encoder or, for the load cases, by a recorded
// stream fed as fast as possible.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <thread>

#include "live_asf_source.h"
#include "test_media.h"
#include "viewer_client.h"
#include "wavetap/stream/asf_format.h"
#include "wavetap/stream/asf_packet_scan.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/stream_server.h"
#include "wavetap/stream/stream_server_limits.h"

using namespace std::chrono_literals;
using wavetap::StreamServer;

namespace {

struct CommandResult {
    int status = -1;
    std::string output;
};

// Runs a shell command with a time limit; collects standard output and error.
CommandResult RunCommand(const std::string& command, int timeoutSeconds)
{
    CommandResult result;
    const std::string line = "timeout -s KILL " + std::to_string(timeoutSeconds) + " " + command + " 2>&1";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    result.status = ::pclose(pipe);
    return result;
}

std::string Url(const char* scheme, quint16 port)
{
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + "/";
}

std::optional<wavetap::asf::HeaderInfo> HeaderOf(const std::string& bytes)
{
    return wavetap::asf::ParseHeader(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

bool HasCompleteHead(const std::string& received)
{
    return received.find("\r\n\r\n") != std::string::npos;
}

// Checks a framed body: the header first, then data packets of the header's packet size
// numbered from 0, the first of them starting a key frame. Returns the data packet count.
int CheckFramedStream(const std::string& body)
{
    const std::vector<MmsFrame> frames = ParseFrames(body);
    if (frames.empty() || frames[0].type != 'H') {
        ADD_FAILURE() << "no $H first";
        return 0;
    }
    EXPECT_EQ(frames[0].afFlags, 0x0C);
    const auto header = HeaderOf(frames[0].payload);
    if (!header) {
        ADD_FAILURE() << "the $H payload is no ASF header";
        return 0;
    }
    int packets = 0;
    for (std::size_t i = 1; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].type, 'D');
        EXPECT_EQ(frames[i].locationId, static_cast<std::uint32_t>(packets));
        EXPECT_EQ(frames[i].afFlags, packets & 0xFF) << "AFFlags count the data packets";
        EXPECT_EQ(frames[i].payload.size(), header->packetSize);
        if (i == 1) {
            const auto info = wavetap::asf::ScanPacket(reinterpret_cast<const std::uint8_t*>(frames[i].payload.data()),
                                                       frames[i].payload.size(), *header);
            EXPECT_TRUE(info && info->startsVideoKeyFrame) << "a new viewer starts at a key frame";
        }
        ++packets;
    }
    return packets;
}

class LiveStreamServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        wide_ = new StreamServer;
        narrow_ = new StreamServer;
        ASSERT_TRUE(wide_->Start(0, 40));
        ASSERT_TRUE(narrow_->Start(0, 2));
        source_ = new LiveAsfSource([](const char* data, std::size_t size) {
            wide_->FeedAsf(data, size);
            narrow_->FeedAsf(data, size);
        });
        ASSERT_TRUE(source_->Start());
        // Wait for the header and the first packets.
        auto probe = ViewerClient::Connect(wide_->Port(), kMmshPlayRequest);
        ASSERT_TRUE(probe);
        ASSERT_TRUE(probe->ReadUntil([](const std::string& r) { return r.size() > 8000; }, 15s))
            << "no stream from the encoder";
    }

    static void TearDownTestSuite()
    {
        delete source_;  // stops the encoder before the servers go
        delete wide_;
        delete narrow_;
    }

    static StreamServer* wide_;
    static StreamServer* narrow_;
    static LiveAsfSource* source_;
};

StreamServer* LiveStreamServerTest::wide_ = nullptr;
StreamServer* LiveStreamServerTest::narrow_ = nullptr;
LiveAsfSource* LiveStreamServerTest::source_ = nullptr;

// ffprobe finds the WMV2 video and the WMA2 audio at the address.
void ExpectVideoAndAudio(const std::string& url)
{
    const CommandResult probe = RunCommand("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " + url, 30);
    EXPECT_EQ(probe.status, 0) << probe.output;
    EXPECT_NE(probe.output.find("wmv2"), std::string::npos) << probe.output;
    EXPECT_NE(probe.output.find("wmav2"), std::string::npos) << probe.output;
}

TEST_F(LiveStreamServerTest, FfprobeReadsVideoAndAudioOverMmsh)
{
    ExpectVideoAndAudio(Url("mmsh", wide_->Port()));
}

TEST_F(LiveStreamServerTest, FfmpegSavesFiveSecondsOverMmsh)
{
    QTemporaryDir dir;
    const std::string out = dir.filePath("saved.asf").toStdString();
    const CommandResult save = RunCommand("ffmpeg -nostdin -v error -y -i " + Url("mmsh", wide_->Port()) + " -t 5 -c copy " + out, 40);
    ASSERT_EQ(save.status, 0) << save.output;
    const CommandResult duration = RunCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 " + out, 20);
    ASSERT_EQ(duration.status, 0) << duration.output;
    EXPECT_GE(std::stod(duration.output), 4.0) << duration.output;
    const CommandResult decode = RunCommand("ffmpeg -nostdin -v error -i " + out + " -f null -", 30);
    EXPECT_EQ(decode.status, 0) << decode.output;
    EXPECT_EQ(decode.output.find("rror"), std::string::npos) << "the saved stream decodes cleanly: " << decode.output;
}

TEST_F(LiveStreamServerTest, PlainHttpViewerGetsParseableAsf)
{
    auto viewer = ViewerClient::Connect(wide_->Port(), kPlainRequest);
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(viewer->ReadUntil([](const std::string& r) { return r.size() > 6000; }, 10s));
    EXPECT_EQ(viewer->Head().rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
    EXPECT_NE(viewer->Head().find("Content-Type: video/x-ms-asf\r\n"), std::string::npos);
    EXPECT_TRUE(wavetap::asf::GuidAt(reinterpret_cast<const std::uint8_t*>(viewer->Body().data()),
                                     wavetap::asf::kHeaderObject));
    ExpectVideoAndAudio(Url("http", wide_->Port()));
}

TEST_F(LiveStreamServerTest, TwentyConcurrentViewersAllReceiveTheFramedStream)
{
    std::vector<std::unique_ptr<ViewerClient>> viewers;
    std::vector<ViewerClient*> all;
    for (int i = 0; i < 20; ++i) {
        viewers.push_back(ViewerClient::Connect(wide_->Port(), kMmshPlayRequest));
        ASSERT_TRUE(viewers.back());
        all.push_back(viewers.back().get());
    }
    ReadAll(all, 3s);
    EXPECT_GE(wide_->ViewerCount(), 20);
    for (const auto& viewer : viewers) {
        EXPECT_FALSE(viewer->Ended());
        EXPECT_EQ(viewer->Head().rfind("HTTP/1.0 200 OK\r\n", 0), 0u);
        EXPECT_NE(viewer->Head().find("Content-Type: application/x-mms-framed\r\n"), std::string::npos);
        EXPECT_GE(CheckFramedStream(viewer->Body()), 15) << "3 s of a stream of about 18 packets a second";
    }
}

TEST_F(LiveStreamServerTest, DescribeAnswersTheHeaderAndCloses)
{
    auto viewer = ViewerClient::Connect(wide_->Port(), kMmshDescribeRequest);
    ASSERT_TRUE(viewer);
    viewer->ReadUntil([](const std::string&) { return false; }, 5s);
    EXPECT_TRUE(viewer->Ended());
    EXPECT_NE(viewer->Head().find("Content-Type: application/vnd.ms.wms-hdr.asfv1\r\n"), std::string::npos);
    const std::vector<MmsFrame> frames = ParseFrames(viewer->Body());
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].type, 'H');
    EXPECT_TRUE(HeaderOf(frames[0].payload).has_value());
    EXPECT_NE(viewer->Head().find("Content-Length: " + std::to_string(viewer->Body().size()) + "\r\n"), std::string::npos);
}

TEST_F(LiveStreamServerTest, ViewerThatEndsItsSendingSideKeepsReceiving)
{
    auto viewer = ViewerClient::Connect(wide_->Port(), kPlainRequest);
    ASSERT_TRUE(viewer);
    viewer->FinishSending();
    ASSERT_TRUE(viewer->ReadUntil(HasCompleteHead, 5s));
    const std::size_t before = viewer->Received().size();
    viewer->ReadFor(1500ms);
    EXPECT_FALSE(viewer->Ended());
    EXPECT_GT(viewer->Received().size(), before + 4000);
}

TEST_F(LiveStreamServerTest, ViewerBeyondTheLimitIsRefusedUntilAPlaceIsFree)
{
    auto first = ViewerClient::Connect(narrow_->Port(), kMmshPlayRequest);
    auto second = ViewerClient::Connect(narrow_->Port(), kPlainRequest);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(first->ReadUntil(HasCompleteHead, 5s));
    ASSERT_TRUE(second->ReadUntil(HasCompleteHead, 5s));
    for (int i = 0; i < 20 && narrow_->ViewerCount() != 2; ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(narrow_->ViewerCount(), 2);

    auto third = ViewerClient::Connect(narrow_->Port(), kMmshPlayRequest);
    ASSERT_TRUE(third);
    third->ReadFor(3s);
    EXPECT_EQ(third->Head().rfind("HTTP/1.0 503 ", 0), 0u) << third->Received().substr(0, 200);
    EXPECT_TRUE(third->Ended());
    // Fetching the header does not take a place.
    auto describe = ViewerClient::Connect(narrow_->Port(), kMmshDescribeRequest);
    ASSERT_TRUE(describe && describe->ReadUntil(HasCompleteHead, 5s));
    EXPECT_EQ(describe->Head().rfind("HTTP/1.0 200 OK", 0), 0u);

    first.reset();
    for (int i = 0; i < 40 && narrow_->ViewerCount() != 1; ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(narrow_->ViewerCount(), 1);
    auto fourth = ViewerClient::Connect(narrow_->Port(), kMmshPlayRequest);
    ASSERT_TRUE(fourth && fourth->ReadUntil(HasCompleteHead, 5s));
    EXPECT_EQ(fourth->Head().rfind("HTTP/1.0 200 OK", 0), 0u);
}

TEST_F(LiveStreamServerTest, BadRequestsAreAnsweredAndClosed)
{
    const std::pair<std::string, const char*> cases[] = {
        {"NONSENSE\r\n\r\n", "HTTP/1.0 400 "},
        {"GET / HTTP/1.1\r\nBroken header line\r\n\r\n", "HTTP/1.0 400 "},
        {"GET / HTTP/1.1\r\n" + std::string(20000, 'x'), "HTTP/1.0 400 "},
        {"POST / HTTP/1.1\r\nContent-Length: 0\r\n\r\n", "HTTP/1.0 405 "},
    };
    for (const auto& [request, status] : cases) {
        auto viewer = ViewerClient::Connect(wide_->Port(), request);
        ASSERT_TRUE(viewer);
        viewer->ReadFor(3s);
        EXPECT_EQ(viewer->Received().rfind(status, 0), 0u) << request.substr(0, 40);
        EXPECT_TRUE(viewer->Ended()) << request.substr(0, 40);
    }
}

// A recorded stream fed as fast as the feeder can, to push viewers' queues to their limits.
class FastFeedTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const std::string bytes = EncodeTestAsf(4);
        wavetap::AsfStreamSplitter splitter;
        std::vector<wavetap::AsfUnit> units;
        splitter.Feed(bytes.data(), bytes.size(), units);
        ASSERT_GT(units.size(), 20u);
        header_ = new QByteArray(units[0].bytes);
        packets_ = new QByteArray;
        for (std::size_t i = 1; i < units.size(); ++i)
            packets_->append(units[i].bytes);
    }
    static void TearDownTestSuite()
    {
        delete header_;
        delete packets_;
    }

    static QByteArray* header_;
    static QByteArray* packets_;
};

QByteArray* FastFeedTest::header_ = nullptr;
QByteArray* FastFeedTest::packets_ = nullptr;

TEST_F(FastFeedTest, SlowViewerIsSkippedThenDroppedWhileTheFeedRunsOn)
{
    wavetap::StreamServerLimits limits;
    limits.maxQueuedBytesPerViewer = 256 * 1024;
    limits.stallTimeoutMs = 1500;
    StreamServer server(limits);
    ASSERT_TRUE(server.Start(0, 10));
    server.FeedAsf(header_->constData(), static_cast<std::size_t>(header_->size()));
    auto idle = ViewerClient::Connect(server.Port(), kMmshPlayRequest, 4096);
    auto reader = ViewerClient::Connect(server.Port(), kPlainRequest);
    ASSERT_TRUE(idle && reader);
    ASSERT_TRUE(reader->ReadUntil(HasCompleteHead, 5s));

    // Feed about 40 MB over 3 s, in pieces that cut packets anywhere.
    std::atomic<bool> feeding{true};
    std::chrono::steady_clock::duration slowestFeed{};
    std::thread feeder([&] {
        const auto end = std::chrono::steady_clock::now() + 3s;
        std::size_t fed = 0;
        while (std::chrono::steady_clock::now() < end) {
            for (qsizetype pos = 0; pos < packets_->size(); pos += 7001) {
                const auto before = std::chrono::steady_clock::now();
                server.FeedAsf(packets_->constData() + pos, std::min<std::size_t>(7001, packets_->size() - pos));
                slowestFeed = std::max(slowestFeed, std::chrono::steady_clock::now() - before);
            }
            fed += static_cast<std::size_t>(packets_->size());
            if (fed > 40u * 1024 * 1024)
                std::this_thread::sleep_for(10ms);
        }
        feeding = false;
    });
    while (feeding)
        reader->ReadFor(50ms);
    feeder.join();
    EXPECT_LT(slowestFeed, 50ms) << "feeding never waits for viewers";
    EXPECT_GT(reader->Received().size(), 10u * 1024 * 1024) << "the reading viewer kept up";
    EXPECT_FALSE(reader->Ended());

    // The idle viewer is dropped once it has taken nothing for the stall time.
    for (int i = 0; i < 60 && server.ViewerCount() != 1; ++i) {
        server.FeedAsf(packets_->constData(), static_cast<std::size_t>(packets_->size()));
        reader->ReadFor(50ms);
    }
    EXPECT_EQ(server.ViewerCount(), 1);
    EXPECT_FALSE(reader->Ended());
}

TEST_F(FastFeedTest, ViewersWaitForTheHeaderAndANewStreamEndsTheOldOne)
{
    StreamServer server;
    ASSERT_TRUE(server.Start(0, 10));
    auto early = ViewerClient::Connect(server.Port(), kMmshPlayRequest);
    ASSERT_TRUE(early);
    early->ReadFor(300ms);
    EXPECT_TRUE(early->Received().empty()) << "nothing to answer before the stream starts";
    EXPECT_EQ(server.ViewerCount(), 1);

    server.FeedAsf(header_->constData(), static_cast<std::size_t>(header_->size()));
    ASSERT_TRUE(early->ReadUntil(HasCompleteHead, 5s)) << "the header starts the waiting viewer";
    // Every packet fed after that reaches the viewer, from the first key frame on.
    server.FeedAsf(packets_->constData(), static_cast<std::size_t>(packets_->size()));
    const std::size_t packetCount = static_cast<std::size_t>(packets_->size()) / 2000;
    const std::size_t expectedBody = header_->size() + 12 + packetCount * 2012;
    early->ReadUntil([&](const std::string&) { return early->Body().size() >= expectedBody; }, 5s);
    EXPECT_EQ(CheckFramedStream(early->Body()), static_cast<int>(packetCount));

    // The encoder starts a new stream: the old viewer is told the stream ended.
    QByteArray restarted = *header_;
    restarted[54] = static_cast<char>(restarted[54] ^ 0x55);  // another file id: another stream
    server.FeedAsf(restarted.constData(), static_cast<std::size_t>(restarted.size()));
    server.FeedAsf(packets_->constData(), 2000 * 10);
    early->ReadFor(2s);
    EXPECT_TRUE(early->Ended());
    const std::vector<MmsFrame> frames = ParseFrames(early->Body());
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().type, 'E');

    // A new viewer gets the new header; Stop ends it the same way.
    auto late = ViewerClient::Connect(server.Port(), kMmshPlayRequest);
    ASSERT_TRUE(late && late->ReadUntil([](const std::string& r) { return r.size() > 4000; }, 5s));
    const std::vector<MmsFrame> lateFrames = ParseFrames(late->Body());
    ASSERT_FALSE(lateFrames.empty());
    EXPECT_EQ(QByteArray::fromStdString(lateFrames[0].payload), restarted);
    server.Stop();
    late->ReadFor(1s);
    EXPECT_TRUE(late->Ended());
    EXPECT_EQ(ParseFrames(late->Body()).back().type, 'E');
    EXPECT_EQ(server.ViewerCount(), 0);
}

TEST(StreamServer, StartFailsOnAPortInUse)
{
    StreamServer first;
    ASSERT_TRUE(first.Start(0, 1));
    StreamServer second;
    EXPECT_FALSE(second.Start(first.Port(), 1));
    EXPECT_FALSE(first.Start(0, 1)) << "already running";
    first.Stop();
    EXPECT_TRUE(first.Start(0, 1)) << "can start again after Stop";
}

}  // namespace
