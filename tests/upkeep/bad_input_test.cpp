// CheckUpdate against update folders and servers that misbehave: the described code or
// message, within a bounded time, and never a partial installer left behind.

#include "update_test_support.h"

#include "scripted_server.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace {

using namespace upkeeptest;
using testing_support::HttpAnswer;
using testing_support::ScriptedReply;
using testing_support::ScriptedServer;

// The stall limit these tests run with (seconds), so a silent server fails quickly.
constexpr int kStallSeconds = 2;

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { qputenv("UPKEEP_STALL_SECONDS", QByteArray::number(kStallSeconds)); }
    void TearDown() override { qunsetenv("UPKEEP_STALL_SECONDS"); }

    CheckOutcome CheckPublished(const QByteArray& updateFile, const QByteArray& installer = "installer") {
        PublishedUpdate published;
        published.Write("update.txt", updateFile);
        published.Write(kInstaller, installer);
        if (!published.Start()) return {};
        return CallCheckUpdate(published.Url());
    }
    // Runs the check against a scripted peer and times it.
    CheckOutcome CheckScripted(std::vector<ScriptedReply> replies) {
        ScriptedServer server(std::move(replies));
        clock.start();
        const CheckOutcome outcome = CallCheckUpdate(QString::fromLatin1(server.Url("/upd/")));
        elapsedMs = clock.elapsed();
        requests = server.Requests().size();
        return outcome;
    }
    bool NoInstallerLeft() const { return !QFileInfo::exists(temp.Installer()); }

    PrivateTempFolder temp;
    UpdaterUser user;
    QElapsedTimer clock;
    qint64 elapsedMs = 0;
    std::size_t requests = 0;
};

ScriptedReply Answer(int status, const QByteArray& body) {
    return {HttpAnswer(status, body, "application/octet-stream")};
}

ScriptedReply RedirectToItself() {
    return {"HTTP/1.1 302 Found\r\nLocation: /upd/again\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"};
}

TEST_F(BadInput, HugeUpdateFileIsReadOnlyAsFarAsItsFirst4096Bytes) {
    QByteArray tenMegabytes(10 * 1024 * 1024, '9');
    user.acceptUpdate = false;
    QElapsedTimer timer;
    timer.start();
    // 4096 nines make a number far above 2.0.1.5: offered.
    EXPECT_EQ(CheckPublished(tenMegabytes).code, 7);
    EXPECT_EQ(user.questions.size(), 1);
    // The same version followed by a line end and 10 MB of text: only the first 4096
    // bytes count, and they are not a number.
    EXPECT_EQ(CheckPublished("2.0.1.10\n" + tenMegabytes).code, 6);
    EXPECT_LT(timer.elapsed(), 10000);
}

TEST_F(BadInput, BinaryBytesAndManyFields) {
    EXPECT_EQ(CheckPublished(SomeBytes(4096)).code, 6);
    EXPECT_EQ(CheckPublished(QByteArray("\xff\xfe\x00\x01\x80", 5)).code, 6);
    // A NUL ends the text, as it ends a C string: what follows does not count.
    user.acceptUpdate = false;
    EXPECT_EQ(CheckPublished(QByteArray("2.0.1.10\0\xff\xfe junk", 15)).code, 7);

    QByteArray hundredFields = "2.0.1.5";
    for (int i = 4; i < 100; ++i) hundredFields += ".x" + QByteArray::number(i);
    EXPECT_EQ(CheckPublished(hundredFields).code, 6);  // fields past the fourth are never read
    hundredFields.replace(0, 7, "2.0.1.6");
    EXPECT_EQ(CheckPublished(hundredFields).code, 7);
    EXPECT_EQ(user.questions.size(), 2);
}

TEST_F(BadInput, UpdateFileBehindACircleOfRedirects) {
    EXPECT_EQ(CheckScripted({RedirectToItself()}).code, 2);
    EXPECT_EQ(requests, 11u);  // the first request and ten redirects followed
    EXPECT_TRUE(user.questions.isEmpty());
}

TEST_F(BadInput, UpdateFileAnswered500OrNever) {
    EXPECT_EQ(CheckScripted({Answer(500, "<html>500</html>")}).code, 2);
    EXPECT_EQ(CheckScripted({{QByteArray(), ScriptedReply::Then::Silent}}).code, 2);
    EXPECT_GE(elapsedMs, kStallSeconds * 1000 - 100);
    EXPECT_LT(elapsedMs, kStallSeconds * 1000 + 3000);
}

// A peer that answers one request with a head and then a byte every 200 ms, for ever.
class TricklingServer {
public:
    TricklingServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(listener_, 4);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            const int client = ::accept(listener_, nullptr, nullptr);
            char request[4096];
            ::recv(client, request, sizeof request, 0);
            const char head[] = "HTTP/1.1 200 OK\r\nContent-Length: 4000\r\n\r\n";
            bool open = ::send(client, head, sizeof head - 1, MSG_NOSIGNAL) > 0;
            while (open && !stop_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                open = ::send(client, "1", 1, MSG_NOSIGNAL) > 0;
            }
            ::close(client);
        });
    }
    ~TricklingServer() {
        stop_ = true;
        thread_.join();
        ::close(listener_);
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/upd/").arg(port_); }

private:
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST_F(BadInput, TricklingUpdateFileMeetsTheCheckDeadline) {
    TricklingServer server;
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(CallCheckUpdate(server.Url()).code, 2);
    // Never silent long enough for the stall limit; the whole request has twice that.
    EXPECT_GE(timer.elapsed(), 2 * kStallSeconds * 1000 - 100);
    EXPECT_LT(timer.elapsed(), 2 * kStallSeconds * 1000 + 2000);
}

TEST_F(BadInput, UpdateFileLongerThanItsContentLength) {
    // Only the declared three bytes count: "2.0", older than 2.0.1.5.
    const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nConnection: close\r\n\r\n2.0.1.10";
    EXPECT_EQ(CheckScripted({{reply}}).code, 6);
}

TEST_F(BadInput, InstallerDownloadThatRedirectsInACircle) {
    const CheckOutcome outcome = CheckScripted({Answer(200, "3.0"), Answer(200, "probe"), RedirectToItself()});
    EXPECT_EQ(outcome.code, 4);
    ASSERT_EQ(user.errors.size(), 1);
    EXPECT_TRUE(user.errors[0].startsWith("网络连接错误：")) << user.errors[0].toStdString();
    EXPECT_TRUE(NoInstallerLeft());
}

TEST_F(BadInput, InstallerDownloadAnswered500) {
    const CheckOutcome outcome = CheckScripted({Answer(200, "3.0"), Answer(200, "probe"), Answer(500, "broken")});
    EXPECT_EQ(outcome.code, 4);
    EXPECT_EQ(user.errors, QStringList{"网络服务器没有响应：500"});
    EXPECT_TRUE(NoInstallerLeft());
}

TEST_F(BadInput, InstallerDownloadNeverAnswered) {
    const CheckOutcome outcome =
        CheckScripted({Answer(200, "3.0"), Answer(200, "probe"), {QByteArray(), ScriptedReply::Then::Silent}});
    EXPECT_EQ(outcome.code, 4);
    ASSERT_EQ(user.errors.size(), 1);
    EXPECT_TRUE(user.errors[0].startsWith("网络连接错误：")) << user.errors[0].toStdString();
    EXPECT_LT(elapsedMs, kStallSeconds * 1000 + 3000);
    EXPECT_TRUE(NoInstallerLeft());
}

TEST_F(BadInput, CancelWorksAgainstASilentServer) {
    user.cancelWhenDownloadShows = true;
    qputenv("UPKEEP_STALL_SECONDS", "60");
    const CheckOutcome outcome =
        CheckScripted({Answer(200, "3.0"), Answer(200, "probe"), {QByteArray(), ScriptedReply::Then::Silent}});
    EXPECT_EQ(outcome.code, 4);
    EXPECT_TRUE(user.errors.isEmpty());
    EXPECT_LT(elapsedMs, 3000);
    EXPECT_TRUE(NoInstallerLeft());
}

TEST_F(BadInput, InstallerLongerThanItsContentLengthKeepsTheDeclaredBytes) {
    const QByteArray installer = SomeBytes(1000);
    const QByteArray reply = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\n" + installer +
                             SomeBytes(500);
    const CheckOutcome outcome = CheckScripted({Answer(200, "3.0"), Answer(200, "probe"), {reply}});
    EXPECT_EQ(outcome.code, 0);
    QFile file(temp.Installer());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == installer);
}

TEST_F(BadInput, InstallerThatCannotBeCreated) {
    const QByteArray installer = SomeBytes(2048);
    // A link planted where the installer goes is not followed.
    const QString victim = temp.Path() + "victim.txt";
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("keep me");
    }
    ASSERT_TRUE(QFile::link(victim, temp.Installer()));
    EXPECT_EQ(CheckPublished("3.0", installer).code, 4);
    ASSERT_EQ(user.errors.size(), 1);
    EXPECT_TRUE(user.errors[0].startsWith("打开文件错误：")) << user.errors[0].toStdString();
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "keep me");
    EXPECT_EQ(user.downloadWindows, 0);
}

// With no network but loopback, an update folder elsewhere is "no connection". Where
// the machine has other interfaces (most build machines), there is nothing to show.
TEST_F(BadInput, NoConnectionForAnAddressBeyondLoopback) {
    ifaddrs* interfaces = nullptr;
    ASSERT_EQ(getifaddrs(&interfaces), 0);
    bool others = false;
    for (ifaddrs* i = interfaces; i; i = i->ifa_next) {
        if (i->ifa_addr && (i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_RUNNING) && !(i->ifa_flags & IFF_LOOPBACK)) {
            others = true;
        }
    }
    freeifaddrs(interfaces);
    if (others) GTEST_SKIP() << "this machine has network interfaces besides loopback";
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(CallCheckUpdate("http://192.0.2.1/update/").code, 1);
    EXPECT_LT(timer.elapsed(), 1000);
}

}  // namespace
