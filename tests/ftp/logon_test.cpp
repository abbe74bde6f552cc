// Sign-in against a server that sends exactly scripted replies.

#include "ftp/blocking_socket.h"
#include "ftp/ftp_client.h"
#include "ftp_test_support.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

using ftptest::ScriptedServer;
using ftptest::TraceLog;
using nsFTP::CFTPClient;
using nsFTP::CLogonInfo;
using Commands = std::vector<std::string>;

namespace {

std::unique_ptr<CFTPClient> MakeClient(TraceLog& trace, int timeoutSeconds = 2) {
    return std::make_unique<CFTPClient>(std::make_unique<nsSocket::CBlockingSocket>(), timeoutSeconds, 2048, 0,
                                        trace.Sink());
}

CLogonInfo DirectLogon(const ScriptedServer& server) {
    CLogonInfo logon;
    logon.host = QStringLiteral("127.0.0.1");
    logon.port = server.Port();
    logon.user = QStringLiteral("alice");
    logon.password = QStringLiteral("userpw1");
    logon.account = QStringLiteral("acct9");
    return logon;
}

// Replies by the start of the command; the longest matching prefix wins.
ScriptedServer::Responder Replies(std::map<std::string, std::string> table) {
    return [table](const std::string& command) {
        std::string best;
        for (const auto& [prefix, reply] : table) {
            if (command.rfind(prefix, 0) == 0 && prefix.size() >= best.size()) best = prefix;
        }
        auto found = table.find(best);
        return found == table.end() ? std::string("500 unknown\r\n") : found->second;
    };
}

}  // namespace

TEST(Logon, UserAnsweredWith230SendsNoPassword) {
    ScriptedServer server("220 ready\r\n", Replies({{"USER", "230 in\r\n"}, {"CWD", "250 ok\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    EXPECT_TRUE(client->Login(DirectLogon(server), nullptr, nullptr));
    EXPECT_TRUE(client->IsLoggedOn());
    EXPECT_EQ(server.Commands(), (Commands{"USER alice", "CWD /"}));
}

TEST(Logon, MultiLineGreetingIsOneReply) {
    ScriptedServer server("220-Welcome\r\n220-to the\r\n 220 not the end\r\n220 storage\r\n",
                          Replies({{"USER", "331 pw\r\n"}, {"PASS", "230 in\r\n"}, {"CWD", "250 ok\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    EXPECT_TRUE(client->Login(DirectLogon(server), nullptr, nullptr));
    // Had the greeting been taken line by line, USER would have met "220-to the" and no PASS followed.
    EXPECT_EQ(server.Commands(), (Commands{"USER alice", "PASS userpw1", "CWD /"}));
}

TEST(Logon, TraceMasksEveryPasswordAndLogoutSendsQuit) {
    ScriptedServer server("220 ready\r\n", Replies({{"USER", "331 pw\r\n"},
                                                    {"PASS", "230 in\r\n"},
                                                    {"CWD", "250 ok\r\n"},
                                                    {"QUIT", "221 bye\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    ASSERT_TRUE(client->Login(DirectLogon(server), nullptr, nullptr));
    EXPECT_EQ(client->Logout(), 0);
    EXPECT_FALSE(client->IsConnected());
    EXPECT_EQ(trace.Lines(), (QStringList{"USER alice", "PASS ****", "CWD /", "QUIT"}));
    EXPECT_FALSE(trace.Joined().contains(QStringLiteral("userpw1")));
}

TEST(Logon, RefusedPasswordFailsAndTracesTheReply) {
    ScriptedServer server("220 ready\r\n", Replies({{"USER", "331 pw\r\n"}, {"PASS", "530 Login incorrect.\r\n"}}));
    TraceLog trace;
    auto client = MakeClient(trace);
    EXPECT_FALSE(client->Login(DirectLogon(server), nullptr, nullptr));
    EXPECT_FALSE(client->IsLoggedOn());
    EXPECT_TRUE(trace.Contains(QStringLiteral("530 Login incorrect.")));
}

TEST(Logon, SilentServerEndsWithReceiveTimeout) {
    ScriptedServer server("", nullptr);
    TraceLog trace;
    auto client = MakeClient(trace, 1);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->Login(DirectLogon(server), nullptr, nullptr));
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(elapsed, 2.0);
    EXPECT_GE(elapsed, 0.95);
    EXPECT_TRUE(trace.Contains(QStringLiteral("Receive timeout"))) << trace.Joined().toStdString();
}

// Each firewall type walks its row of the logon table. The firewall answers its own
// password with 230 and everything else that signs in with 331, up to ACCT.
struct FirewallCase {
    int type;
    Commands expected;
};

class FirewallLogon : public ::testing::TestWithParam<FirewallCase> {};

TEST_P(FirewallLogon, SendsTheRowsCommands) {
    ScriptedServer server("220 firewall\r\n", Replies({{"USER", "331 more\r\n"},
                                                       {"PASS fwpw2", "230 firewall passed\r\n"},
                                                       {"PASS", "331 more\r\n"},
                                                       {"SITE", "331 more\r\n"},
                                                       {"OPEN", "331 more\r\n"},
                                                       {"ACCT", "230 in\r\n"},
                                                       {"CWD", "250 ok\r\n"}}));
    CLogonInfo logon;
    logon.host = QStringLiteral("storage.example");
    logon.port = 2121;
    logon.user = QStringLiteral("alice");
    logon.password = QStringLiteral("userpw1");
    logon.account = QStringLiteral("acct9");
    logon.firewallHost = QStringLiteral("127.0.0.1");
    logon.firewallPort = server.Port();
    logon.firewallUser = QStringLiteral("fwuser");
    logon.firewallPassword = QStringLiteral("fwpw2");
    logon.firewallType = GetParam().type;
    if (logon.firewallType == nsFTP::kNoFirewall) {
        logon.host = QStringLiteral("127.0.0.1");
        logon.port = server.Port();
    }
    TraceLog trace;
    auto client = MakeClient(trace);
    EXPECT_TRUE(client->Login(logon, nullptr, nullptr)) << trace.Joined().toStdString();
    EXPECT_EQ(server.Commands(), GetParam().expected);
    for (const QString& line : trace.Lines()) {
        EXPECT_FALSE(line.contains(QStringLiteral("userpw1")) || line.contains(QStringLiteral("fwpw2")))
            << line.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, FirewallLogon,
    ::testing::Values(
        FirewallCase{0, {"USER alice", "PASS userpw1", "ACCT acct9", "CWD /"}},
        FirewallCase{1, {"USER fwuser", "PASS fwpw2", "SITE storage.example:2121", "USER alice", "PASS userpw1",
                         "ACCT acct9", "CWD /"}},
        FirewallCase{2, {"USER fwuser", "PASS fwpw2", "USER alice@storage.example:2121", "PASS userpw1", "ACCT acct9",
                         "CWD /"}},
        FirewallCase{3, {"OPEN storage.example:2121", "USER alice", "PASS userpw1", "ACCT acct9", "CWD /"}},
        FirewallCase{4, {"USER fwuser", "PASS fwpw2", "USER alice", "PASS userpw1", "ACCT acct9", "CWD /"}},
        FirewallCase{5, {"USER alice@storage.example:2121", "PASS userpw1", "ACCT acct9", "CWD /"}},
        FirewallCase{6, {"USER fwuser@storage.example:2121", "PASS fwpw2", "USER alice", "PASS userpw1", "ACCT acct9",
                         "CWD /"}},
        FirewallCase{7, {"USER alice@storage.example:2121 fwuser", "PASS userpw1", "ACCT acct9", "CWD /"}},
        FirewallCase{8, {"USER alice@fwuser@storage.example:2121", "PASS userpw1@fwpw2", "ACCT acct9", "CWD /"}}));

TEST(Logon, FirewallTypeOneRefusesAPositiveSiteReply) {
    // In type 1 a 2xx answer to SITE is an error position.
    ScriptedServer server("220 fw\r\n", Replies({{"USER", "331 more\r\n"}, {"PASS", "230 ok\r\n"}, {"SITE", "200 ok\r\n"}}));
    CLogonInfo logon;
    logon.host = QStringLiteral("storage.example");
    logon.firewallHost = QStringLiteral("127.0.0.1");
    logon.firewallPort = server.Port();
    logon.firewallUser = QStringLiteral("fw");
    logon.firewallType = nsFTP::kSiteHostname;
    TraceLog trace;
    auto client = MakeClient(trace);
    EXPECT_FALSE(client->Login(logon, nullptr, nullptr));
    EXPECT_EQ(server.Commands(), (Commands{"USER fw", "PASS ", "SITE storage.example"}));
}
