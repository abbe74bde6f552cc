// The push client against scripted servers: what the setup sends, how it answers a
// challenge, the servers that answer badly (each failure in bounded time), and the stream:
// bodies that run out, servers that stall or close.

#include "fake_push_server.h"
#include "test_media.h"

#include "engine/push_client.h"
#include "wavetap/stream/asf_stream_splitter.h"
#include "wavetap/stream/http_auth.h"
#include "wavetap/stream/http_request.h"
#include "wavetap/stream/push_framing.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

using namespace std::chrono_literals;
using namespace wavetap::engine;
using wavetap_test::FakePushServer;

namespace {

constexpr char kSetupOk[] =
    "HTTP/1.1 204 No Content\r\nServer: Cougar/9.5.6001.18000\r\nSet-Cookie: push-id=77\r\nContent-Length: 0\r\n\r\n";
const PushTimeouts kShort{1000, 1000, 1000};

struct Outcome {
    HRESULT hr = S_OK;
    QString reason;
    std::chrono::milliseconds took{};
};

Outcome SetUpAgainst(const QString& host, int port, const CredentialsRequest& credentials = {}) {
    PushClient client(PushTarget{host, port, "live1", true}, kShort);
    Outcome outcome;
    const auto start = std::chrono::steady_clock::now();
    outcome.hr = client.Setup(credentials, &outcome.reason);
    outcome.took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return outcome;
}

wavetap::HttpRequest Parse(const std::string& text) {
    wavetap::HttpRequest request;
    request.Feed(text.data(), text.size());
    return request;
}

std::string Body(const std::string& request) { return request.substr(request.find("\r\n\r\n") + 4); }

// Bytes of a few seconds of streamable ASF, and how many data packets they hold.
const std::string& TestStream(std::size_t* packets = nullptr) {
    static const std::string stream = EncodeTestAsf(3);
    static const std::size_t count = [] {
        wavetap::AsfStreamSplitter splitter;
        std::vector<wavetap::AsfUnit> units;
        splitter.Feed(stream.data(), stream.size(), units);
        return units.size() - 1;
    }();
    if (packets) *packets = count;
    return stream;
}

}  // namespace

TEST(PushSetup, SendsThePushSetupOfTheDocumentAndAnswersAChallengeOnANewConnection) {
    std::vector<std::string> requests;
    std::string realmAsked, siteAsked;
    FakePushServer server([&](int fd) {
        const std::string request = FakePushServer::ReadRequest(fd);
        requests.push_back(request);
        const wavetap::HttpRequest parsed = Parse(request);
        const auto authorization = wavetap::http::ParseAuthorization(parsed.Header("Authorization").value_or(""));
        if (authorization && wavetap::http::DigestMatches(*authorization, "POST", "/live1", "media", "push", "pushpass"))
            FakePushServer::Send(fd, kSetupOk);
        else
            FakePushServer::Send(fd, "HTTP/1.1 401 Unauthorized\r\nServer: Cougar/9.5.6001.18000\r\n"
                                     "WWW-Authenticate: Basic realm=\"media\"\r\nWWW-Authenticate: Digest realm=\"media\", "
                                     "nonce=\"n\", qop=\"auth\"\r\nContent-Length: 0\r\n\r\n");
    });
    const Outcome outcome = SetUpAgainst("127.0.0.1", server.Port(), [&](const QString& realm, const QString& site,
                                                                         QString* user, QString* password) {
        realmAsked = realm.toStdString();
        siteAsked = site.toStdString();
        *user = "push";
        *password = "pushpass";
        return true;
    });
    EXPECT_EQ(outcome.hr, S_OK) << outcome.reason.toStdString();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(realmAsked, "media") << "the Digest challenge was chosen over Basic";
    EXPECT_EQ(siteAsked, "127.0.0.1");
    for (const std::string& request : requests) {
        const wavetap::HttpRequest parsed = Parse(request);
        EXPECT_EQ(parsed.Method(), "POST");
        EXPECT_EQ(parsed.Target(), "/live1");
        EXPECT_EQ(parsed.Header("Content-Type"), "application/x-wms-pushsetup");
        EXPECT_EQ(parsed.Header("User-Agent").value_or("").rfind("WMEncoder/9.0", 0), 0u);
        EXPECT_EQ(parsed.Header("Content-Length"), "16");
        EXPECT_EQ(parsed.Header("Cookie"), "push-id=0");
        EXPECT_EQ(Body(request), "AutoDestroy: 1\r\n");
    }
    EXPECT_FALSE(Parse(requests[0]).Header("Authorization"));
}

TEST(PushSetup, ServersThatAnswerBadlyFailTheSetupInTime) {
    struct Case {
        const char* what;
        std::function<void(int)> script;
        HRESULT hr;
        const char* reason;
    } cases[] = {
        {"garbage", [](int fd) { FakePushServer::ReadRequest(fd); FakePushServer::Send(fd, std::string("\x00\x01garbage\r\n\r\n", 13)); },
         NS_E_NOCONNECTION, "not HTTP"},
        {"closes after the request", [](int fd) { FakePushServer::ReadRequest(fd); }, NS_E_NOCONNECTION,
         "closed the connection without an answer"},
        {"never answers", [](int fd) { FakePushServer::ReadRequest(fd); std::this_thread::sleep_for(1500ms); },
         NS_E_NOCONNECTION, "no answer from the server in time"},
        {"500", [](int fd) { FakePushServer::ReadRequest(fd); FakePushServer::Send(fd, "HTTP/1.1 500 Oops\r\nContent-Length: 0\r\n\r\n"); },
         E_FAIL, "answered 500 Oops"},
        {"a web server", [](int fd) {
             FakePushServer::ReadRequest(fd);
             FakePushServer::Send(fd, "HTTP/1.1 200 OK\r\nServer: Apache/2.4\r\nSet-Cookie: push-id=1\r\nContent-Length: 0\r\n\r\n");
         }, E_FAIL, "not a Windows Media server"},
        {"no push-id", [](int fd) {
             FakePushServer::ReadRequest(fd);
             FakePushServer::Send(fd, "HTTP/1.1 204 No Content\r\nServer: Cougar/9.5\r\nContent-Length: 0\r\n\r\n");
         }, E_FAIL, "no push-id"},
        {"NTLM only", [](int fd) {
             FakePushServer::ReadRequest(fd);
             FakePushServer::Send(fd, "HTTP/1.1 401 No\r\nWWW-Authenticate: NTLM\r\nContent-Length: 0\r\n\r\n");
         }, E_ACCESSDENIED, "other than Basic and Digest"},
        {"refuses the account", [](int fd) {
             FakePushServer::ReadRequest(fd);
             FakePushServer::Send(fd, "HTTP/1.1 401 No\r\nWWW-Authenticate: Basic realm=\"r\"\r\nContent-Length: 0\r\n\r\n");
         }, E_ACCESSDENIED, "refused the push account (401)"},
    };
    const CredentialsRequest credentials = [](const QString&, const QString&, QString* user, QString* password) {
        *user = "push";
        *password = "wrong";
        return true;
    };
    for (const Case& c : cases) {
        FakePushServer server(c.script);
        const Outcome outcome = SetUpAgainst("127.0.0.1", server.Port(), credentials);
        EXPECT_EQ(outcome.hr, c.hr) << c.what;
        EXPECT_TRUE(outcome.reason.contains(c.reason)) << c.what << ": " << outcome.reason.toStdString();
        EXPECT_LT(outcome.took, 2500ms) << c.what;
    }
}

TEST(PushSetup, UnreachableServersFailAtOnce) {
    const Outcome unknown = SetUpAgainst("no-such-host.invalid", 8091);
    EXPECT_EQ(unknown.hr, NS_E_NOCONNECTION);
    EXPECT_TRUE(unknown.reason.contains("cannot resolve")) << unknown.reason.toStdString();
    int port = 0;
    {
        FakePushServer closed([](int) {});
        port = closed.Port();
    }
    const Outcome refused = SetUpAgainst("127.0.0.1", port);
    EXPECT_EQ(refused.hr, NS_E_NOCONNECTION);
    EXPECT_TRUE(refused.reason.contains("cannot connect")) << refused.reason.toStdString();
}

TEST(PushSetup, FollowsARedirectToAnotherServer) {
    FakePushServer target([](int fd) { FakePushServer::ReadRequest(fd); FakePushServer::Send(fd, kSetupOk); });
    FakePushServer redirecting([&](int fd) {
        FakePushServer::ReadRequest(fd);
        FakePushServer::Send(fd, "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:" + std::to_string(target.Port()) +
                                     "/elsewhere\r\nContent-Length: 0\r\n\r\n");
    });
    const Outcome outcome = SetUpAgainst("127.0.0.1", redirecting.Port());
    EXPECT_EQ(outcome.hr, S_OK) << outcome.reason.toStdString();
}

TEST(PushStream, BodiesThatRunOutAreFilledAndTheStreamGoesOnInTheNextRequest) {
    constexpr std::int64_t kBody = 12000;
    std::mutex mutex;
    std::vector<std::string> heads;
    std::vector<wavetap::push::PushPacket> packets;
    std::vector<std::size_t> bodySizes;
    FakePushServer server([&](int fd) {
        FakePushServer::ReadRequest(fd);
        FakePushServer::Send(fd, kSetupOk);
        // Push start requests on the same connection, each with its body of kBody bytes.
        std::string pending;
        for (;;) {
            while (pending.find("\r\n\r\n") == std::string::npos) {
                char buffer[8192];
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 3000) <= 0) return;
                const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                if (got <= 0) return;
                pending.append(buffer, static_cast<std::size_t>(got));
            }
            const std::size_t headEnd = pending.find("\r\n\r\n") + 4;
            {
                std::lock_guard lock(mutex);
                heads.push_back(pending.substr(0, headEnd));
            }
            pending.erase(0, headEnd);
            wavetap::push::PushBodyReader reader;
            std::size_t body = 0;
            bool ended = false;
            while (body < static_cast<std::size_t>(kBody) && !ended) {
                if (pending.empty()) {
                    char buffer[8192];
                    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
                    if (got <= 0) {
                        ended = true;
                        break;
                    }
                    pending.append(buffer, static_cast<std::size_t>(got));
                }
                const std::size_t take = std::min(pending.size(), static_cast<std::size_t>(kBody) - body);
                std::vector<wavetap::push::PushPacket> found;
                EXPECT_TRUE(reader.Feed(pending.data(), take, found)) << reader.Error();
                pending.erase(0, take);
                body += take;
                std::lock_guard lock(mutex);
                for (auto& packet : found) {
                    ended = ended || (packet.type == 'E' && packet.reason == 0);
                    packets.push_back(std::move(packet));
                }
            }
            {
                std::lock_guard lock(mutex);
                bodySizes.push_back(body);
            }
            if (ended) return;
            FakePushServer::Send(fd, kSetupOk);
        }
    });
    PushClient client(PushTarget{"127.0.0.1", server.Port(), "live1", false}, kShort, kBody);
    QString reason;
    ASSERT_EQ(client.Setup({}, &reason), S_OK) << reason.toStdString();
    std::atomic<bool> lost{false};
    client.Start([&](const QString&) { lost = true; });
    std::size_t fedPackets = 0;
    const std::string& stream = TestStream(&fedPackets);
    for (std::size_t pos = 0; pos < stream.size(); pos += 3000) {
        client.FeedAsf(stream.data() + pos, std::min<std::size_t>(3000, stream.size() - pos));
        std::this_thread::sleep_for(2ms);
    }
    std::this_thread::sleep_for(500ms);
    client.Finish();
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(lost);

    std::lock_guard lock(mutex);
    ASSERT_GT(heads.size(), 3u) << "the body ran out several times";
    for (const std::string& head : heads) {
        const wavetap::HttpRequest parsed = Parse(head);
        EXPECT_EQ(parsed.Header("Content-Type"), "application/x-wms-pushstart");
        EXPECT_EQ(parsed.Header("Content-Length"), std::to_string(kBody));
        EXPECT_EQ(parsed.Header("Cookie"), "push-id=77");
    }
    for (std::size_t i = 0; i + 1 < bodySizes.size(); ++i) {
        EXPECT_EQ(bodySizes[i], static_cast<std::size_t>(kBody)) << i;
    }
    ASSERT_FALSE(packets.empty());
    EXPECT_EQ(packets.front().type, 'H');
    std::size_t data = 0, headers = 0;
    for (const auto& packet : packets) {
        data += packet.type == 'D';
        headers += packet.type == 'H';
        if (packet.type == 'D') {
            EXPECT_LE(packet.payload.size(), 2000) << "padding removed, never added";
        }
    }
    EXPECT_EQ(headers, 1u);
    EXPECT_EQ(data, fedPackets);
    EXPECT_EQ(packets.back().type, 'E');
    EXPECT_EQ(packets.back().reason, 0u);
}

TEST(PushStream, AServerThatStallsOrClosesLosesTheConnectionOnce) {
    for (bool stall : {true, false}) {
        std::atomic<bool> release{false};
        FakePushServer server(
            [&](int fd) {
                FakePushServer::ReadRequest(fd);
                FakePushServer::Send(fd, kSetupOk);
                if (!stall) {
                    char buffer[20000];
                    [[maybe_unused]] const ssize_t got = ::recv(fd, buffer, sizeof buffer, MSG_WAITALL);
                    return;  // closes in the middle of the stream
                }
                while (!release) std::this_thread::sleep_for(20ms);  // accepts, then reads nothing
            },
            4096);
        PushClient client(PushTarget{"127.0.0.1", server.Port(), "live1", true}, kShort);
        QString reason;
        ASSERT_EQ(client.Setup({}, &reason), S_OK) << reason.toStdString();
        std::atomic<int> losses{0};
        std::mutex mutex;
        std::condition_variable reported;
        QString lostReason;
        client.Start([&](const QString& why) {
            std::lock_guard lock(mutex);
            ++losses;
            lostReason = why;
            reported.notify_all();
        });
        const auto start = std::chrono::steady_clock::now();
        const std::string& stream = TestStream();
        for (int round = 0; round < 40 && losses == 0; ++round) {
            client.FeedAsf(stream.data(), stream.size());  // a new header each round: $E 1 and $C
            std::this_thread::sleep_for(100ms);
        }
        {
            std::unique_lock lock(mutex);
            reported.wait_for(lock, 5s, [&] { return losses > 0; });
        }
        EXPECT_EQ(losses, 1) << (stall ? "stall" : "close");
        EXPECT_TRUE(lostReason.contains(stall ? "took nothing" : "connection")) << lostReason.toStdString();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 8s);
        release = true;
        client.Finish();
    }
}
