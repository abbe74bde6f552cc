// A stream server without a socket of its own serves the connections a front end hands it.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "test_media.h"
#include "viewer_client.h"
#include "wavetap/stream/stream_server.h"

using namespace std::chrono_literals;

TEST(DetachedStreamServer, ServesAdoptedConnectionsWhoseRequestIsStillUnread)
{
    const std::string stream = EncodeTestAsf(2);
    ASSERT_FALSE(stream.empty());
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const quint16 port = ntohs(address.sin_port);

    wavetap::StreamServer server;
    EXPECT_FALSE(server.Adopt(::dup(listener))) << "not running yet";
    ASSERT_TRUE(server.StartDetached(10));
    EXPECT_EQ(server.Port(), 0) << "it listens nowhere";

    auto player = ViewerClient::Connect(port, kMmshPlayRequest);
    auto plain = ViewerClient::Connect(port, kPlainRequest);
    ASSERT_TRUE(player && plain);
    for (int i = 0; i < 2; ++i) {
        const int fd = ::accept(listener, nullptr, nullptr);
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(server.Adopt(fd));
    }
    // Half the stream before the players are served, half while they are.
    server.FeedAsf(stream.data(), stream.size() / 2);
    std::this_thread::sleep_for(300ms);
    server.FeedAsf(stream.data() + stream.size() / 2, stream.size() - stream.size() / 2);
    ASSERT_TRUE(player->ReadUntil(
        [](const std::string& got) {
            const auto frames = ParseFrames(got.substr(std::min(got.find("\r\n\r\n") + 4, got.size())));
            return frames.size() > 5;
        },
        5s));
    const auto frames = ParseFrames(player->Body());
    EXPECT_EQ(frames.front().type, 'H');
    EXPECT_EQ(frames.back().type, 'D');
    ASSERT_TRUE(plain->ReadUntil([](const std::string& got) { return got.size() > 20000; }, 5s));
    EXPECT_NE(plain->Head().find("video/x-ms-asf"), std::string::npos);
    EXPECT_EQ(server.ViewerCount(), 2);
    server.Stop();
    ::close(listener);
}
