// Viewers join the live stream at a key frame: their first data packet is one where a video
// key frame starts, with no video before it, so players show a whole picture at once.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "live_asf_source.h"
#include "test_media.h"
#include "viewer_client.h"
#include "wavetap/stream/asf_join_packet.h"
#include "wavetap/stream/asf_packet_scan.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/stream_server.h"
#include "wavetap/stream/stream_server_limits.h"

using namespace std::chrono_literals;
using wavetap::StreamServer;
namespace asf = wavetap::asf;

namespace {

std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = ::popen(("timeout -s KILL 60 " + command + " 2>&1").c_str(), "r");
    if (!pipe)
        return "cannot run " + command;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    ::pclose(pipe);
    return output;
}

std::optional<asf::PacketLayout> LayoutOf(const std::string& packet, const asf::HeaderInfo& header)
{
    asf::PacketLayout layout;
    if (!asf::ScanPacket(reinterpret_cast<const std::uint8_t*>(packet.data()), packet.size(), header, &layout))
        return std::nullopt;
    return layout;
}

// Whether the packet's first video payload starts a key frame.
bool FirstVideoIsKeyFrameStart(const std::string& packet, const asf::HeaderInfo& header)
{
    const auto layout = LayoutOf(packet, header);
    if (!layout)
        return false;
    for (const asf::PayloadSpan& span : layout->payloads) {
        if (span.video)
            return span.videoKeyFrameStart;
    }
    return false;
}

TEST(JoinPacket, LeavesOutTheVideoBeforeTheKeyFrameAndKeepsTheRest)
{
    // Half a second between key frames and small frames: most key frames share their packet
    // with the frames before them.
    const std::string bytes = EncodeTestAsf(6);
    wavetap::AsfStreamSplitter splitter;
    std::vector<wavetap::AsfUnit> units;
    splitter.Feed(bytes.data(), bytes.size(), units);
    ASSERT_GT(units.size(), 20u);
    const asf::HeaderInfo header = units[0].header;

    int rewritten = 0;
    for (std::size_t i = 1; i < units.size(); ++i) {
        const QByteArray& packet = units[i].bytes;
        const std::optional<QByteArray> joined = asf::JoinPacket(packet, header);
        if (!units[i].startPoint) {
            EXPECT_FALSE(joined) << "packet " << i << " starts no key frame";
            continue;
        }
        if (!joined) {
            EXPECT_TRUE(FirstVideoIsKeyFrameStart(packet.toStdString(), header)) << "packet " << i;
            continue;
        }
        ++rewritten;
        ASSERT_EQ(joined->size(), packet.size());
        const auto before = LayoutOf(packet.toStdString(), header);
        const auto after = LayoutOf(joined->toStdString(), header);
        ASSERT_TRUE(before && after);
        EXPECT_TRUE(FirstVideoIsKeyFrameStart(joined->toStdString(), header)) << "packet " << i;
        // Every payload from the key frame on, and every audio payload, is kept byte for byte.
        std::vector<std::string> expected;
        bool keySeen = false;
        for (const asf::PayloadSpan& span : before->payloads) {
            keySeen = keySeen || span.videoKeyFrameStart;
            if (keySeen || !span.video)
                expected.push_back(packet.mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)).toStdString());
        }
        std::vector<std::string> kept;
        for (const asf::PayloadSpan& span : after->payloads)
            kept.push_back(joined->mid(static_cast<qsizetype>(span.begin), static_cast<qsizetype>(span.end - span.begin)).toStdString());
        EXPECT_EQ(kept, expected) << "packet " << i;
        EXPECT_FALSE(asf::JoinPacket(*joined, header)) << "a joining packet needs no more change";
    }
    EXPECT_GT(rewritten, 0) << "the test stream has key frames after other video in their packet";
}

// A live encode with key frames 5 s apart, as the encoder's profiles make them.
class LiveJoinTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new StreamServer;
        ASSERT_TRUE(server_->Start(0, 20));
        TestAsfFormat format;
        format.keyFrameDistance = 125;
        source_ = new LiveAsfSource([](const char* data, std::size_t size) { server_->FeedAsf(data, size); }, format);
        ASSERT_TRUE(source_->Start());
    }
    static void TearDownTestSuite()
    {
        delete source_;
        delete server_;
    }
    static StreamServer* server_;
    static LiveAsfSource* source_;
};

StreamServer* LiveJoinTest::server_ = nullptr;
LiveAsfSource* LiveJoinTest::source_ = nullptr;

TEST_F(LiveJoinTest, ViewersJoiningAnyTimeStartAtAKeyFrame)
{
    // Joining at different points of the 5 s between key frames, the last ones after more than 5 s.
    for (int i = 0; i < 8; ++i) {
        std::this_thread::sleep_for(800ms);
        auto viewer = ViewerClient::Connect(server_->Port(), kMmshPlayRequest);
        ASSERT_TRUE(viewer);
        std::vector<MmsFrame> frames;
        viewer->ReadUntil([&](const std::string&) {
            frames = ParseFrames(viewer->Body());
            return frames.size() >= 2;
        }, 8s);
        ASSERT_GE(frames.size(), 2u) << "viewer " << i << " got no packet";
        const auto header = asf::ParseHeader(reinterpret_cast<const std::uint8_t*>(frames[0].payload.data()),
                                             frames[0].payload.size());
        ASSERT_TRUE(header);
        EXPECT_TRUE(FirstVideoIsKeyFrameStart(frames[1].payload, *header)) << "viewer " << i;
    }
}

TEST_F(LiveJoinTest, FfmpegFindsAKeyFrameFirst)
{
    for (int i = 0; i < 3; ++i) {
        const std::string url = "mmsh://127.0.0.1:" + std::to_string(server_->Port()) + "/";
        const std::string output = RunCommand("ffmpeg -nostdin -v error -i " + url + " -t 1 -f null -");
        EXPECT_EQ(output, "") << "no error, and no \"first frame is no keyframe\"";
        std::this_thread::sleep_for(1500ms);
    }
}

}  // namespace
