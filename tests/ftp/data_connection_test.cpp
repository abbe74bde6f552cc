// Attacks on data connections and deadlines, on loopback: a forged passive address, a
// third party racing the server in active mode, a server that never confirms the
// upload, and servers that trickle replies to hold the client.

#include "data_sink.h"
#include "ftp/blocking_socket.h"
#include "ftp/ftp_client.h"
#include "ftp_test_support.h"
#include "scripted_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <map>
#include <mutex>

using ftptest::DataSink;
using ftptest::ScriptedServer;
using ftptest::TraceLog;
using nsFTP::CFTPClient;

namespace {

constexpr int kTimeoutSeconds = 1;
constexpr qint64 kFileBytes = 300 * 1000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

ScriptedServer::Responder Answers(std::map<std::string, std::function<std::string(const std::string&)>> overrides) {
    std::map<std::string, std::string> fixed{{"USER", "230 in\r\n"}, {"CWD", "250 ok\r\n"}, {"TYPE", "200 ok\r\n"},
                                             {"SIZE", "550 none\r\n"}, {"QUIT", "221 bye\r\n"}, {"PORT", "200 ok\r\n"}};
    return [fixed, overrides](const std::string& command) {
        const std::string verb = command.substr(0, command.find(' '));
        if (auto o = overrides.find(verb); o != overrides.end()) return o->second(command);
        auto found = fixed.find(verb);
        return found == fixed.end() ? std::string("502 not here\r\n") : found->second;
    };
}

std::function<std::string(const std::string&)> Say(std::string text) {
    return [text](const std::string&) { return text; };
}

class DataConnection : public ::testing::Test {
protected:
    void SetUp() override {
        ftptest::EnsureQtApp();
        file = dir.filePath(QStringLiteral("a.wmv"));
        ftptest::WriteTestFile(file, kFileBytes);
    }

    std::unique_ptr<CFTPClient> SignIn(const ScriptedServer& server) {
        auto client = std::make_unique<CFTPClient>(std::make_unique<nsSocket::CBlockingSocket>(), kTimeoutSeconds,
                                                   2048, 0, trace.Sink());
        nsFTP::CLogonInfo logon;
        logon.host = QStringLiteral("127.0.0.1");
        logon.port = server.Port();
        logon.user = QStringLiteral("bob");
        logon.password = QStringLiteral("pw");
        EXPECT_TRUE(client->Login(logon, nullptr, nullptr)) << trace.Joined().toStdString();
        return client;
    }

    QTemporaryDir dir;
    QString file;
    TraceLog trace;
};

}  // namespace

TEST_F(DataConnection, PassiveAddressInTheReplyIsIgnored) {
    DataSink sink(INADDR_ANY);
    ScriptedServer server("220 hi\r\n", Answers({{"PASV", Say(sink.PassiveReply("127.0.0.2"))},
                                                 {"STOR", Say("150 go\r\n226 stored\r\n")}}));
    auto client = SignIn(server);
    ASSERT_TRUE(client->UploadFile(file, QStringLiteral("a.wmv"), true)) << trace.Joined().toStdString();
    const auto connections = sink.Connections(1, 2000);
    ASSERT_EQ(connections.size(), 1u);
    EXPECT_EQ(connections[0].localAddress, "127.0.0.1");  // the control connection's peer, not 127.0.0.2
    EXPECT_EQ(connections[0].bytes, kFileBytes);
    EXPECT_TRUE(trace.Contains(QStringLiteral("PASV reply names 127.0.0.2; connecting to the server's address 127.0.0.1")))
        << trace.Joined().toStdString();
}

// Connections made from the server's thread while it answers PORT, read by the test.
class Connectors {
public:
    void Start(const char* name, const char* source, const char* target, std::uint16_t port, int readSeconds) {
        std::lock_guard<std::mutex> guard(lock);
        runs[name] = std::async(std::launch::async, ftptest::ConnectAndRead, std::string(source), std::string(target),
                                port, readSeconds);
    }
    // The bytes the named connection read; -1 when it could not connect, -2 when never made.
    long long Result(const char* name) {
        std::future<long long> run;
        {
            std::lock_guard<std::mutex> guard(lock);
            auto found = runs.find(name);
            if (found == runs.end()) return -2;
            run = std::move(found->second);
        }
        return run.get();
    }

private:
    std::mutex lock;
    std::map<std::string, std::future<long long>> runs;
};

TEST_F(DataConnection, ActiveModeHandsTheFileOnlyToTheServer) {
    Connectors connectors;
    ScriptedServer server("220 hi\r\n", Answers({
        {"PORT", [&](const std::string& command) {
             const std::uint16_t port = ftptest::PortOfPortCommand(command);
             // A third party connects before the server does; another tries a second address.
             connectors.Start("intruder", "127.0.0.3", "127.0.0.1", port, 5);
             connectors.Start("other", "127.0.0.3", "127.0.0.2", port, 1);
             std::this_thread::sleep_for(std::chrono::milliseconds(100));
             connectors.Start("server", "127.0.0.1", "127.0.0.1", port, 5);
             return std::string("200 ok\r\n");
         }},
        {"STOR", Say("150 go\r\n226 stored\r\n")}}));
    auto client = SignIn(server);
    EXPECT_TRUE(client->UploadFile(file, QStringLiteral("a.wmv"), false)) << trace.Joined().toStdString();
    EXPECT_EQ(connectors.Result("intruder"), 0);
    EXPECT_EQ(connectors.Result("other"), -1);  // nothing listens beyond the control connection's address
    EXPECT_EQ(connectors.Result("server"), kFileBytes);
    EXPECT_TRUE(trace.Contains(QStringLiteral("data connection from 127.0.0.3 refused"))) << trace.Joined().toStdString();
}

TEST_F(DataConnection, ActiveModeWithOnlyAStrangerConnectingTimesOut) {
    Connectors connectors;
    ScriptedServer server("220 hi\r\n", Answers({
        {"PORT", [&](const std::string& command) {
             connectors.Start("intruder", "127.0.0.3", "127.0.0.1", ftptest::PortOfPortCommand(command), 5);
             return std::string("200 ok\r\n");
         }},
        {"STOR", Say("150 go\r\n")}}));
    auto client = SignIn(server);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->UploadFile(file, QStringLiteral("a.wmv"), false));
    EXPECT_LT(SecondsSince(start), kTimeoutSeconds + 0.8);
    EXPECT_EQ(connectors.Result("intruder"), 0);
    EXPECT_TRUE(trace.Contains(QStringLiteral("Accept timeout")));
}

TEST_F(DataConnection, UploadWithoutAFinalReplyFails) {
    DataSink sink(INADDR_LOOPBACK);
    // The server takes the data but hangs up the control connection without 226.
    ScriptedServer server("220 hi\r\n", Answers({{"PASV", Say(sink.PassiveReply("127.0.0.1"))},
                                                 {"STOR", Say("150 go\r\n" + ScriptedServer::kCloseConnection)}}));
    auto client = SignIn(server);
    EXPECT_FALSE(client->UploadFile(file, QStringLiteral("a.wmv"), true));
    EXPECT_TRUE(trace.Contains(QStringLiteral("no final reply"))) << trace.Joined().toStdString();
}

TEST_F(DataConnection, SlowRepliesCannotStretchTheDataSetUp) {
    // PASV and STOR each answer within the timeout, but together they take longer.
    DataSink sink(INADDR_LOOPBACK);
    const auto slowly = [](std::string text) {
        return [text](const std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(650));
            return text;
        };
    };
    ScriptedServer server("220 hi\r\n", Answers({{"PASV", slowly(sink.PassiveReply("127.0.0.1"))},
                                                 {"STOR", slowly("150 go\r\n226 stored\r\n")}}));
    auto client = SignIn(server);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->UploadFile(file, QStringLiteral("a.wmv"), true));
    EXPECT_LT(SecondsSince(start), kTimeoutSeconds + 0.5);
    EXPECT_TRUE(trace.Contains(QStringLiteral("Receive timeout"))) << trace.Joined().toStdString();
}

TEST_F(DataConnection, TrickledGreetingEndsWithinTheTimeout) {
    // A greeting sent one byte every 200 ms: each receive is well inside the timeout.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::atomic<bool> done{false};
    std::thread trickler([&] {
        const int fd = ::accept(listener, nullptr, nullptr);
        const std::string greeting = "220 a very slow hello\r\n";
        for (size_t i = 0; i < greeting.size() && !done; ++i) {
            ::send(fd, &greeting[i], 1, MSG_NOSIGNAL);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        ::close(fd);
    });
    CFTPClient client(std::make_unique<nsSocket::CBlockingSocket>(), kTimeoutSeconds, 2048, 0, trace.Sink());
    nsFTP::CLogonInfo logon;
    logon.host = QStringLiteral("127.0.0.1");
    logon.port = ntohs(address.sin_port);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client.Login(logon, nullptr, nullptr));
    EXPECT_LT(SecondsSince(start), kTimeoutSeconds + 0.5);
    EXPECT_TRUE(trace.Contains(QStringLiteral("Receive timeout"))) << trace.Joined().toStdString();
    done = true;
    trickler.join();
    ::close(listener);
}
