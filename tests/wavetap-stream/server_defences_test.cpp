// The pull server against clients that try to hold it: other protocols, idle connections,
// viewers that never read, and one host taking every place. Clients stand in for other hosts
// by connecting from other loopback addresses.
#include <gtest/gtest.h>

#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <thread>

#include "live_asf_source.h"
#include "test_media.h"
#include "viewer_client.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/stream_server.h"
#include "wavetap/stream/stream_server_limits.h"

using namespace std::chrono_literals;
using wavetap::StreamServer;

namespace {

bool HasCompleteHead(const std::string& received)
{
    return received.find("\r\n\r\n") != std::string::npos;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.rfind(prefix, 0) == 0;
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A server fed a recorded stream's header and packets, so viewers are answered at once.
class RecordedStreamTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        stream_ = new std::string(EncodeTestAsf(2));
        ASSERT_GT(stream_->size(), 20000u);
    }
    static void TearDownTestSuite() { delete stream_; }

    static void Feed(StreamServer& server) { server.FeedAsf(stream_->data(), stream_->size()); }

    static std::string* stream_;
};

std::string* RecordedStreamTest::stream_ = nullptr;

TEST_F(RecordedStreamTest, MmsOverTcpIsClosedAtOnce)
{
    StreamServer server;
    ASSERT_TRUE(server.Start(0, 10));
    Feed(server);
    // The start of an MMS over TCP connect message, as players send it before trying HTTP.
    const std::string mms("\x01\x00\x00\x00\xce\xfa\x0b\xb0\x98\x00\x00\x00MMS ", 16);
    auto player = ViewerClient::Connect(server.Port(), mms);
    ASSERT_TRUE(player);
    const auto started = std::chrono::steady_clock::now();
    player->ReadFor(1s);
    EXPECT_TRUE(player->Ended()) << "the connection is closed within a second";
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
    EXPECT_TRUE(player->Received().empty()) << "no HTTP answer to another protocol";

    // A request sent a byte at a time is still read as HTTP.
    auto slow = ViewerClient::Connect(server.Port(), "G");
    ASSERT_TRUE(slow);
    for (const char c : std::string(kPlainRequest).substr(1))
        ASSERT_EQ(::send(slow->Fd(), &c, 1, MSG_NOSIGNAL), 1);
    ASSERT_TRUE(slow->ReadUntil(HasCompleteHead, 3s));
    EXPECT_TRUE(StartsWith(slow->Head(), "HTTP/1.0 200 OK"));
}

TEST_F(RecordedStreamTest, IdleCrowdNeitherLocksOutViewersNorStays)
{
    wavetap::StreamServerLimits limits;
    limits.maxConnectionsPerAddress = 100000;  // the idle deadline and the pending budget alone
    StreamServer server(limits);
    ASSERT_TRUE(server.Start(0, 10));
    Feed(server);
    std::vector<std::unique_ptr<ViewerClient>> idle;
    for (int i = 0; i < 2 * limits.maxPendingConnections; ++i) {
        idle.push_back(ViewerClient::Connect(server.Port(), "", 0, "127.0.0.3"));
        ASSERT_TRUE(idle.back());
    }
    std::this_thread::sleep_for(300ms);  // the server has taken them all
    auto viewer = ViewerClient::Connect(server.Port(), kPlainRequest);
    ASSERT_TRUE(viewer && viewer->ReadUntil(HasCompleteHead, 2s));
    EXPECT_TRUE(StartsWith(viewer->Head(), "HTTP/1.0 200 OK")) << viewer->Received().substr(0, 100);
    EXPECT_TRUE(WaitFor([&] { return server.ViewerCount() == 1; }, 1s)) << "idle connections take no viewer's place";

    // The newest idle connections are closed once the request deadline has passed.
    const auto started = std::chrono::steady_clock::now();
    for (std::size_t i = idle.size() - 20; i < idle.size(); ++i) {
        idle[i]->ReadFor(std::chrono::milliseconds(limits.requestTimeoutMs) + 1500ms);
        EXPECT_TRUE(idle[i]->Ended()) << "idle connection " << i;
        EXPECT_TRUE(idle[i]->Received().empty());
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(limits.requestTimeoutMs) + 2s);
    viewer->ReadFor(100ms);
    EXPECT_FALSE(viewer->Ended());
}

TEST_F(RecordedStreamTest, OneAddressGetsNoMoreThanItsShare)
{
    wavetap::StreamServerLimits limits;
    limits.maxConnectionsPerAddress = 3;
    StreamServer server(limits);
    ASSERT_TRUE(server.Start(0, 10));
    Feed(server);
    // Two requests still unanswered (nothing sent yet) and one viewer fill the address's share.
    auto quiet1 = ViewerClient::Connect(server.Port(), "", 0, "127.0.0.2");
    auto quiet2 = ViewerClient::Connect(server.Port(), "GET / HT", 0, "127.0.0.2");
    auto first = ViewerClient::Connect(server.Port(), kMmshPlayRequest, 0, "127.0.0.2");
    ASSERT_TRUE(quiet1 && quiet2 && first && first->ReadUntil(HasCompleteHead, 2s));
    EXPECT_TRUE(StartsWith(first->Head(), "HTTP/1.0 200 OK"));

    auto extra = ViewerClient::Connect(server.Port(), kMmshPlayRequest, 0, "127.0.0.2");
    ASSERT_TRUE(extra && extra->ReadUntil(HasCompleteHead, 2s));
    EXPECT_TRUE(StartsWith(extra->Head(), "HTTP/1.0 503 ")) << extra->Received().substr(0, 100);
    auto other = ViewerClient::Connect(server.Port(), kMmshPlayRequest, 0, "127.0.0.1");
    ASSERT_TRUE(other && other->ReadUntil(HasCompleteHead, 2s));
    EXPECT_TRUE(StartsWith(other->Head(), "HTTP/1.0 200 OK")) << "other hosts are served";

    // The unanswered requests give their places back at the request deadline.
    quiet1->ReadFor(std::chrono::milliseconds(limits.requestTimeoutMs) + 1s);
    EXPECT_TRUE(quiet1->Ended());
    auto again = ViewerClient::Connect(server.Port(), kMmshPlayRequest, 0, "127.0.0.2");
    ASSERT_TRUE(again && again->ReadUntil(HasCompleteHead, 2s));
    EXPECT_TRUE(StartsWith(again->Head(), "HTTP/1.0 200 OK")) << again->Received().substr(0, 100);
}

// Viewers that ask for the stream and never read it, against a live encode.
TEST(LiveViewerLag, ViewersThatDoNotReadAreDroppedAndTheirPlacesFreed)
{
    wavetap::StreamServerLimits limits;
    limits.maxViewerLagMs = 2000;
    limits.maxConnectionsPerAddress = 100;
    StreamServer server(limits);
    constexpr int kPlaces = 8;
    ASSERT_TRUE(server.Start(0, kPlaces + 1));
    LiveAsfSource source([&](const char* data, std::size_t size) { server.FeedAsf(data, size); });
    ASSERT_TRUE(source.Start());
    auto reader = ViewerClient::Connect(server.Port(), kMmshPlayRequest);
    ASSERT_TRUE(reader && reader->ReadUntil([](const std::string& r) { return r.size() > 8000; }, 15s))
        << "no stream from the encoder";

    std::vector<std::unique_ptr<ViewerClient>> stuck;
    for (int i = 0; i < kPlaces; ++i) {
        stuck.push_back(ViewerClient::Connect(server.Port(), kMmshPlayRequest, 4096, "127.0.0.2"));
        ASSERT_TRUE(stuck.back());
    }
    ASSERT_TRUE(WaitFor([&] { return server.ViewerCount() == kPlaces + 1; }, 3s));
    auto refused = ViewerClient::Connect(server.Port(), kPlainRequest, 0, "127.0.0.5");
    ASSERT_TRUE(refused && refused->ReadUntil(HasCompleteHead, 2s));
    EXPECT_TRUE(StartsWith(refused->Head(), "HTTP/1.0 503 ")) << "every place is taken";

    // The stuck viewers fall behind while the kernel still takes their bytes; the reading one keeps up.
    const auto started = std::chrono::steady_clock::now();
    const bool freed = [&] {
        while (std::chrono::steady_clock::now() - started < 8s) {
            reader->ReadFor(100ms);
            if (server.ViewerCount() == 1)
                return true;
        }
        return false;
    }();
    EXPECT_TRUE(freed) << "viewers still served: " << server.ViewerCount();
    EXPECT_FALSE(reader->Ended()) << "a viewer that reads is never judged behind";
    for (auto& viewer : stuck) {
        viewer->ReadFor(50ms);
        viewer->ReadUntil([](const std::string&) { return false; }, 2s);  // drains to the close
        EXPECT_TRUE(viewer->Ended());
    }
    auto later = ViewerClient::Connect(server.Port(), kPlainRequest, 0, "127.0.0.5");
    ASSERT_TRUE(later && later->ReadUntil(HasCompleteHead, 2s));
    EXPECT_TRUE(StartsWith(later->Head(), "HTTP/1.0 200 OK")) << later->Received().substr(0, 100);
}

}  // namespace
