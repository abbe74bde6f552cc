// Malformed, truncated and missing replies: the operation fails, the trace says why,
// and nothing waits longer than the timeout.

#include "ftp/blocking_socket.h"
#include "ftp/ftp_client.h"
#include "ftp_test_support.h"
#include "scripted_server.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <map>

using ftptest::ScriptedServer;
using ftptest::TraceLog;
using nsFTP::CFTPClient;

namespace {

constexpr int kTimeoutSeconds = 1;

std::unique_ptr<CFTPClient> MakeClient(TraceLog& trace, bool traceActiveConnectFailure = true) {
    return std::make_unique<CFTPClient>(std::make_unique<nsSocket::CBlockingSocket>(), kTimeoutSeconds, 2048, 0,
                                        trace.Sink(traceActiveConnectFailure));
}

nsFTP::CLogonInfo LogonTo(const ScriptedServer& server) {
    nsFTP::CLogonInfo logon;
    logon.host = QStringLiteral("127.0.0.1");
    logon.port = server.Port();
    logon.user = QStringLiteral("bob");
    logon.password = QStringLiteral("pw");
    return logon;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A server that signs anybody in and answers the upload's commands from the table.
ScriptedServer::Responder SignedInServer(std::map<std::string, std::string> overrides) {
    std::map<std::string, std::string> table{{"USER", "230 in\r\n"}, {"CWD", "250 ok\r\n"},  {"TYPE", "200 ok\r\n"},
                                             {"SIZE", "550 none\r\n"}, {"QUIT", "221 bye\r\n"}, {"ABOR", "226 ok\r\n"}};
    for (auto& [key, value] : overrides) table[key] = value;
    return [table](const std::string& command) {
        const std::string verb = command.substr(0, command.find(' '));
        auto found = table.find(verb);
        return found == table.end() ? std::string("502 not here\r\n") : found->second;
    };
}

}  // namespace

struct BadGreeting {
    const char* name;
    std::string greeting;
    ScriptedServer::Responder responder;
    const char* traced;
};

class BadReplies : public ::testing::TestWithParam<BadGreeting> {};

TEST_P(BadReplies, LoginFailsSaysWhyAndDoesNotHang) {
    ScriptedServer server(GetParam().greeting, GetParam().responder);
    TraceLog trace;
    auto client = MakeClient(trace);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->Login(LogonTo(server), nullptr, nullptr));
    EXPECT_LT(SecondsSince(start), kTimeoutSeconds + 1.0);
    EXPECT_FALSE(client->IsConnected());
    EXPECT_TRUE(trace.Contains(QString::fromLatin1(GetParam().traced))) << trace.Joined().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Greetings, BadReplies,
    ::testing::Values(
        BadGreeting{"Garbage", "hello there\r\n", nullptr, "invalid reply: hello there"},
        BadGreeting{"Binary", std::string("\x00\xff\x7f\x01\r\n", 6), nullptr, "invalid reply"},
        BadGreeting{"ShortCode", "22\r\n", nullptr, "invalid reply: 22"},
        BadGreeting{"NoLineEnd", "220 ready", nullptr, "Receive timeout"},
        BadGreeting{"OverlongLine", std::string(100000, 'x'), nullptr, "reply line too long"},
        BadGreeting{"EndlessMultiLine", "220-" + std::string(70 * 1000, 'y') , nullptr, "reply line too long"},
        BadGreeting{"ManyContinuationLines",
                    [] {
                        std::string text = "220-start\r\n";
                        for (int i = 0; i < 200; ++i) text += "220-" + std::string(500, 'z') + "\r\n";
                        return text;
                    }(),
                    nullptr, "reply too long"},
        BadGreeting{"NotReady", "421 go away\r\n", nullptr, "421 go away"},
        BadGreeting{"ClosesAfterGreeting", "220 hi\r\n",
                    [](const std::string&) { return ScriptedServer::kCloseConnection; },
                    "connection closed by server"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BadReplies, ALongReplyLineSpanningManyReadsIsReadWhole) {
    const std::string banner = "220 " + std::string(10000, 'w') + "\r\n";
    ScriptedServer server(banner, SignedInServer({}));
    TraceLog trace;
    auto client = MakeClient(trace);
    EXPECT_TRUE(client->Login(LogonTo(server), nullptr, nullptr)) << trace.Joined().toStdString();
}

class BadPassiveReply : public ::testing::TestWithParam<const char*> {};

TEST_P(BadPassiveReply, UploadFailsWithTheReason) {
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("a.wmv"));
    ftptest::WriteTestFile(local, 5000);
    ScriptedServer server("220 hi\r\n", SignedInServer({{"PASV", std::string(GetParam()) + "\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    ASSERT_TRUE(client->Login(LogonTo(server), nullptr, nullptr));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->UploadFile(local, QStringLiteral("a.wmv"), true));
    EXPECT_LT(SecondsSince(start), kTimeoutSeconds + 1.0);
    EXPECT_TRUE(trace.Contains(QStringLiteral("invalid PASV reply"))) << trace.Joined().toStdString();
    EXPECT_TRUE(trace.Contains(QStringLiteral("打开被动连接失败")));
    EXPECT_TRUE(client->IsLoggedOn());
}

INSTANTIATE_TEST_SUITE_P(Replies, BadPassiveReply,
                         ::testing::Values("227 Entering Passive Mode (127,0,0,256,4,1)",
                                           "227 Entering Passive Mode (127,0,0,1,4,1000)",
                                           "227 Entering Passive Mode 127,0,0,1,4,1",
                                           "227 Entering Passive Mode (127,0,0,1,4,1",
                                           "227 Entering Passive Mode (127,0,0,1,4)",
                                           "227 Entering Passive Mode (127,0,0,1,4,x)",
                                           "227 Entering Passive Mode (,,,,,)",
                                           "227 Entering Passive Mode (127 0 0 1 4 1)"));

TEST(UploadFailures, RefusedActiveConnectionIsTracedOnlyWhenAsked) {
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("a.wmv"));
    ftptest::WriteTestFile(local, 5000);
    for (const bool traceIt : {true, false}) {
        ScriptedServer server("220 hi\r\n", SignedInServer({{"PORT", "500 no active mode\r\n"}}));
        TraceLog trace;
        auto client = MakeClient(trace, traceIt);
        ASSERT_TRUE(client->Login(LogonTo(server), nullptr, nullptr));
        EXPECT_FALSE(client->UploadFile(local, QStringLiteral("a.wmv"), false));
        EXPECT_EQ(trace.Contains(QStringLiteral("打开主动连接失败")), traceIt);
        EXPECT_TRUE(trace.Contains(QStringLiteral("PORT 127,0,0,1,")));
    }
}

TEST(UploadFailures, LocalAndSizeProblems) {
    QTemporaryDir dir;
    ScriptedServer server("220 hi\r\n", SignedInServer({{"SIZE", "350 what\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    ASSERT_TRUE(client->Login(LogonTo(server), nullptr, nullptr));

    EXPECT_FALSE(client->UploadFile(dir.filePath(QStringLiteral("missing.wmv")), QStringLiteral("m.wmv"), true));
    EXPECT_TRUE(trace.Contains(QStringLiteral("本地文件不存在")));

    const QString local = dir.filePath(QStringLiteral("a.wmv"));
    ftptest::WriteTestFile(local, 100);
    EXPECT_FALSE(client->UploadFile(local, QStringLiteral("a.wmv"), true));
    EXPECT_TRUE(trace.Contains(QStringLiteral("获取文件大小失败")));
}

TEST(UploadFailures, EmptyFileWithNothingRemoteCountsAsPresent) {
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("empty.wmv"));
    ftptest::WriteTestFile(local, 0);
    ScriptedServer server("220 hi\r\n", SignedInServer({}));
    TraceLog trace;
    auto client = MakeClient(trace);
    ASSERT_TRUE(client->Login(LogonTo(server), nullptr, nullptr));
    EXPECT_TRUE(client->UploadFile(local, QStringLiteral("empty.wmv"), true));
    EXPECT_TRUE(trace.Contains(QStringLiteral("文件已经存在")));
    for (const std::string& command : server.Commands()) EXPECT_NE(command.rfind("PASV", 0), 0u);
}

TEST(UploadFailures, PathsWithLineBreaksAreNotSent) {
    ScriptedServer server("220 hi\r\n", SignedInServer({{"MKD", "257 made\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    ASSERT_TRUE(client->Login(LogonTo(server), nullptr, nullptr));
    EXPECT_EQ(client->MakeDirectory(QStringLiteral("a\r\nDELE b")), -1);
    EXPECT_EQ(client->MakeDirectory(QStringLiteral("c")), 0);
    EXPECT_EQ(server.Commands().back(), "MKD c");
    for (const std::string& command : server.Commands()) EXPECT_EQ(command.find("DELE"), std::string::npos);
}

TEST(UploadFailures, RefusedStoreFailsAndAbortOutsideATransferSendsAbor) {
    QTemporaryDir dir;
    const QString local = dir.filePath(QStringLiteral("a.wmv"));
    ftptest::WriteTestFile(local, 100);
    ftptest::ScriptedServer data("", nullptr);  // a data port that accepts and stays silent
    const std::uint16_t port = data.Port();
    const std::string pasv = "227 Entering Passive Mode (127,0,0,1," + std::to_string(port >> 8) + "," +
                             std::to_string(port & 0xff) + ")\r\n";
    ScriptedServer server("220 hi\r\n", SignedInServer({{"PASV", pasv}, {"STOR", "553 not allowed\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    ASSERT_TRUE(client->Login(LogonTo(server), nullptr, nullptr));
    EXPECT_FALSE(client->UploadFile(local, QStringLiteral("a.wmv"), true));
    EXPECT_TRUE(trace.Contains(QStringLiteral("553 not allowed")));
    EXPECT_EQ(client->Abort(), 0);
    EXPECT_EQ(server.Commands().back(), "ABOR");
}
