// The blocking socket over real loopback connections.

#include "ftp/blocking_socket.h"
#include "platform/messages.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>

#include <cerrno>
#include <chrono>
#include <thread>

using nsSocket::CBlockingSocket;
using nsSocket::CBlockingSocketException;

namespace {

// A connected pair: a listening socket accepts `server` from `client`.
struct Pair {
    CBlockingSocket listener;
    CBlockingSocket client;
    CBlockingSocket server;

    Pair() {
        listener.Create();
        listener.Bind(nsSocket::MakeAddress(INADDR_LOOPBACK, 0));
        listener.Listen();
        nsSocket::SocketAddress address{};
        listener.GetSockName(&address);
        client.Create();
        client.Connect(address);
        EXPECT_TRUE(listener.Accept(server, nullptr));
    }
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(BlockingSocket, WriteSendsEverythingToASlowReader) {
    Pair pair;
    const int size = 4 * 1024 * 1024;  // more than the socket buffers hold
    std::string data(size, 'x');
    size_t received = 0;
    std::thread reader([&] {
        char buffer[4096];
        for (;;) {
            std::this_thread::sleep_for(std::chrono::microseconds(50));
            const int count = pair.server.Receive(buffer, sizeof buffer, 5);
            if (count == 0) return;
            received += static_cast<size_t>(count);
        }
    });
    EXPECT_EQ(pair.client.Write(data.data(), size, 5), size);
    pair.client.Close();
    reader.join();
    EXPECT_EQ(received, static_cast<size_t>(size));
}

TEST(BlockingSocket, ReceiveReturnsZeroWhenThePeerHasClosed) {
    Pair pair;
    pair.client.Write("ab", 2, 1);
    pair.client.Close();
    char buffer[16];
    EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 1), 2);
    EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 1), 0);
}

TEST(BlockingSocket, SilentPeerEndsTheReceiveWithATimeout) {
    Pair pair;
    char buffer[16];
    const auto start = std::chrono::steady_clock::now();
    try {
        pair.server.Receive(buffer, sizeof buffer, 1);
        FAIL() << "no exception";
    } catch (const CBlockingSocketException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Receive timeout"));
        EXPECT_EQ(e.Error(), 0);
        EXPECT_EQ(e.Text(), QStringLiteral("Receive timeout error"));
    }
    const double elapsed = SecondsSince(start);
    EXPECT_GE(elapsed, 0.95);
    EXPECT_LT(elapsed, 2.0);
}

TEST(BlockingSocket, AThreadMessageEndsAWaitEarly) {
    Pair pair;
    platform::PostThreadMessage(platform::CurrentThreadId(), 2024, 0, 0);
    char buffer[16];
    const auto start = std::chrono::steady_clock::now();
    try {
        pair.server.Receive(buffer, sizeof buffer, 10);
        FAIL() << "no exception";
    } catch (const CBlockingSocketException& e) {
        EXPECT_EQ(e.Error(), EINTR);
        EXPECT_EQ(e.Text(), QStringLiteral("Receive timeout error 0x00000004"));
    }
    EXPECT_LT(SecondsSince(start), 1.0);
    platform::ThreadMessage message;
    ASSERT_TRUE(platform::PeekThreadMessage(&message));
    EXPECT_EQ(message.msg, 2024u);
}

TEST(BlockingSocket, FailuresCarryTheStepAndErrno) {
    CBlockingSocket unused;
    unused.Create();
    unused.Bind(nsSocket::MakeAddress(INADDR_LOOPBACK, 0));
    nsSocket::SocketAddress address{};
    unused.GetSockName(&address);
    unused.Close();  // nothing listens on that port now

    CBlockingSocket socket;
    socket.Create();
    try {
        socket.Connect(address);
        FAIL() << "connected to a closed port";
    } catch (const CBlockingSocketException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Connect"));
        EXPECT_EQ(e.Error(), ECONNREFUSED);
        EXPECT_EQ(e.Text(), QStringLiteral("Connect error 0x%1").arg(ECONNREFUSED, 8, 16, QLatin1Char('0')));
    }
}

TEST(BlockingSocket, ConnectGivesUpWhenTheServerNeverAnswers) {
    // A listener whose queue is full drops further connection requests unanswered.
    CBlockingSocket listener;
    listener.Create();
    listener.Bind(nsSocket::MakeAddress(INADDR_LOOPBACK, 0));
    ASSERT_EQ(::listen(static_cast<int>(listener), 0), 0);
    nsSocket::SocketAddress address{};
    listener.GetSockName(&address);
    CBlockingSocket first(1);
    first.Create();
    first.Connect(address);

    CBlockingSocket second(1);
    second.Create();
    const auto start = std::chrono::steady_clock::now();
    try {
        second.Connect(address);
        FAIL() << "connected to a full queue";
    } catch (const CBlockingSocketException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Connect"));
        EXPECT_EQ(e.Error(), ETIMEDOUT);
    }
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST(BlockingSocket, CloseAndCleanupOfAnUnopenedSocketDoNothing) {
    CBlockingSocket socket;
    EXPECT_FALSE(socket.IsOpen());
    EXPECT_NO_THROW(socket.Close());
    EXPECT_NO_THROW(socket.Cleanup());
    socket.Create();
    EXPECT_TRUE(socket.IsOpen());
    socket.Cleanup();
    EXPECT_EQ(static_cast<int>(socket), -1);
}

TEST(BlockingSocket, ReadabilityAndNameLookups) {
    Pair pair;
    EXPECT_FALSE(pair.server.CheckReadability());
    pair.client.Write("x", 1, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(pair.server.CheckReadability());

    const nsSocket::SocketAddress address = pair.client.GetHostByName(QStringLiteral("127.0.0.1"), 2121);
    EXPECT_EQ(ntohl(address.sin_addr.s_addr), INADDR_LOOPBACK);
    EXPECT_EQ(ntohs(address.sin_port), 2121);
    EXPECT_NE(dynamic_cast<CBlockingSocket*>(pair.client.CreateInstance().get()), nullptr);
}
