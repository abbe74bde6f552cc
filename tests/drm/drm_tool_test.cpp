// castora-drm against a running castora-platform: files protected with the demo
// company's material are valid ASF files, unplayable as they are, and decrypt exactly
// with the platform's licence, which goes to nobody else.

#include "drm_test_media.h"
#include "platform_process.h"
#include "protection_fixture.h"
#include "drm/asf_file_transform.h"
#include "../support/tool_run.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace drm_test;
using test_support::RunTool;
using test_support::ToolRun;

namespace {

// A server on a free loopback port that answers every connection with `reply` and closes.
class GarbageServer {
public:
    explicit GarbageServer(QByteArray reply) : reply_(std::move(reply)) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(fd_, 4);
        getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] {
            const int client = accept(fd_, nullptr, nullptr);
            if (client < 0) return;
            char buffer[4096];
            [[maybe_unused]] const auto got = recv(client, buffer, sizeof buffer, 0);
            [[maybe_unused]] const auto sent = send(client, reply_.constData(), static_cast<size_t>(reply_.size()), 0);
            close(client);
        });
    }
    ~GarbageServer() {
        shutdown(fd_, SHUT_RDWR);
        close(fd_);
        thread_.join();
    }
    QString Url() const { return QString("http://127.0.0.1:%1/drm/license").arg(port_); }

private:
    QByteArray reply_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

class DrmTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        media_ = new QTemporaryDir;
        clip_ = MakeAsfmuxWmv(media_->filePath("clip.wmv"), 10);
        QDir(CASTORA_BIN_DIR).mkdir("log");
    }
    static void TearDownTestSuite() { delete media_; }
    void SetUp() override { ASSERT_TRUE(platform_.Start()); }

    QString Url() const { return QString("http://127.0.0.1:%1/vekservices/ClientService").arg(platform_.port()); }
    QStringList SignIn(const QString& user, const QString& password) const {
        return {"--url", Url(), "--user", user, "--password", password};
    }
    QString Out(const QString& name) const { return dir_.filePath(name); }

    simtest::PlatformProcess platform_;
    QTemporaryDir dir_;
    static QTemporaryDir* media_;
    static QString clip_;
};

QTemporaryDir* DrmTool::media_ = nullptr;
QString DrmTool::clip_;

TEST_F(DrmTool, DemoProtectsAFileThatOnlyDemoCanDecrypt) {
    ASSERT_FALSE(clip_.isEmpty());
    const ToolRun protect = RunTool("castora-drm", QStringList{"protect"} + SignIn("demo", "demo123") +
                                                       QStringList{"--out", dir_.path(), clip_});
    ASSERT_EQ(protect.exitCode, 0) << protect.err.toStdString();
    const QString kid = protect.Value("kid");
    const QString output = protect.Value("output");
    EXPECT_EQ(kid.size(), 24);
    EXPECT_TRUE(QRegularExpression("/\\d{14}\\d{5,10}\\.wmv$").match(output).hasMatch()) << output.toStdString();
    ASSERT_TRUE(QFile::exists(output));

    // A valid ASF file that plays nothing of the original.
    EXPECT_TRUE(ProbeFormat(output).contains("format_name=asf"));
    const QStringList originalVideo = FrameMd5(clip_, "0:v");
    ASSERT_GT(originalVideo.size(), 200);
    int same = 0;
    for (const QString& frame : FrameMd5(output, "0:v")) same += originalVideo.contains(frame) ? 1 : 0;
    EXPECT_EQ(same, 0);

    const ToolRun info = RunTool("castora-drm", {"info", output});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    EXPECT_EQ(info.Value("kid"), kid);
    EXPECT_EQ(info.Value("signature"), "valid");
    EXPECT_EQ(info.Value("licence"), QString("http://127.0.0.1:%1/drm/license").arg(platform_.port()));
    EXPECT_EQ(info.Value("contentid").size(), 24);

    // Decrypted with demo's licence: every video and audio frame is the original's.
    const ToolRun decrypt =
        RunTool("castora-drm", QStringList{"decrypt"} + SignIn("demo", "demo123") + QStringList{output, Out("plain.wmv")});
    ASSERT_EQ(decrypt.exitCode, 0) << decrypt.err.toStdString();
    EXPECT_EQ(FrameMd5(Out("plain.wmv"), "0:v"), originalVideo);
    EXPECT_EQ(FrameMd5(Out("plain.wmv"), "0:a"), FrameMd5(clip_, "0:a"));

    // Another company is refused, with the platform's reason, and gets no file.
    const ToolRun other =
        RunTool("castora-drm", QStringList{"decrypt"} + SignIn("solo", "solo123") + QStringList{output, Out("solo.wmv")});
    EXPECT_EQ(other.exitCode, 4);
    EXPECT_TRUE(other.err.contains("licence refused (HTTP 403)")) << other.err.toStdString();
    EXPECT_FALSE(QFile::exists(Out("solo.wmv")));
    // A wrong password does not get as far as the licence.
    EXPECT_EQ(RunTool("castora-drm", QStringList{"decrypt"} + SignIn("demo", "wrong") + QStringList{output, Out("x.wmv")})
                  .exitCode,
              3);

    // Nothing secret in what the tool printed or traced.
    const QString trace = QString::fromLocal8Bit(ReadAll(CASTORA_BIN_DIR "/log/drm.txt"));
    for (const QString& text : {protect.out + protect.err, decrypt.out + decrypt.err, trace}) {
        EXPECT_FALSE(text.contains("demo123"));
        EXPECT_FALSE(text.contains("PRIVATE KEY"));
        EXPECT_FALSE(text.contains("key="));
    }
}

TEST_F(DrmTool, KeyIdsNobodyRegisteredAreRefused) {
    ASSERT_FALSE(clip_.isEmpty());
    // Protected with demo's own material but never reported with uploadVideo.
    const QString sid = QString::fromStdString(platform_.Login("demo", "demo123"));
    const simtest::SoapReply company = platform_.Call("getCompany", "", sid.toStdString());
    const drm::ContentProtection protection = MakeProtection(QString::fromStdString(company.Field("drmSeed")),
                                                             QString::fromStdString(company.Field("drmUrl")));
    ASSERT_EQ(drm::asf::ProtectFile(clip_, Out("unregistered.wmv"), protection), drm::S_OK);
    const ToolRun run = RunTool("castora-drm", QStringList{"decrypt"} + SignIn("demo", "demo123") +
                                                   QStringList{Out("unregistered.wmv"), Out("out.wmv")});
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_TRUE(run.err.contains("not registered by your company")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(Out("out.wmv")));
}

TEST_F(DrmTool, LicenceAddressesAnsweringGarbageFailWithTheirReason) {
    ASSERT_FALSE(clip_.isEmpty());
    const struct {
        QByteArray reply;
        const char* reason;
    } cases[] = {
        {"this is not http\r\n\r\n", "did not answer with HTTP"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\nkey=AAAAAAAA", "not a licence"},
        {"HTTP/1.1 500 Oops\r\nContent-Length: 6\r\n\r\nbroken", "licence refused (HTTP 500): broken"},
        {"", "did not answer with HTTP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        GarbageServer server(c.reply);
        ASSERT_EQ(drm::asf::ProtectFile(clip_, Out("g.wmv"), MakeProtection(TestSeed(), server.Url())), drm::S_OK);
        const ToolRun run =
            RunTool("castora-drm", QStringList{"decrypt"} + SignIn("demo", "demo123") + QStringList{Out("g.wmv"), Out("o.wmv")});
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.err.contains(c.reason)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(Out("o.wmv")));
    }
    // A licence address nobody listens on.
    ASSERT_EQ(drm::asf::ProtectFile(clip_, Out("n.wmv"), MakeProtection(TestSeed(), "http://127.0.0.1:1/drm/license")),
              drm::S_OK);
    const ToolRun unreachable =
        RunTool("castora-drm", QStringList{"decrypt"} + SignIn("demo", "demo123") + QStringList{Out("n.wmv"), Out("o.wmv")});
    EXPECT_EQ(unreachable.exitCode, 1);
    EXPECT_TRUE(unreachable.err.contains("cannot reach")) << unreachable.err.toStdString();
}

TEST_F(DrmTool, InfoOnPlainBrokenAndTamperedFiles) {
    ASSERT_FALSE(clip_.isEmpty());
    EXPECT_EQ(RunTool("castora-drm", {"info", clip_}).exitCode, 5);
    ASSERT_TRUE(WriteAll(Out("junk.wmv"), QByteArray(3000, 'j')));
    const ToolRun junk = RunTool("castora-drm", {"info", Out("junk.wmv")});
    EXPECT_EQ(junk.exitCode, 1);
    EXPECT_TRUE(junk.err.contains("not an ASF file")) << junk.err.toStdString();
    EXPECT_EQ(RunTool("castora-drm", {"info", Out("missing.wmv")}).exitCode, 1);

    // The licence address changed after signing: still protected, the signature shows it.
    ASSERT_EQ(drm::asf::ProtectFile(clip_, Out("t.wmv"), MakeProtection(TestSeed(), "http://good.example/drm")), drm::S_OK);
    QByteArray bytes = ReadAll(Out("t.wmv"));
    const QByteArray good = QString("good.example").toUtf8();
    QByteArray utf16;
    for (char c : good) utf16 += QByteArray(1, c) + QByteArray(1, '\0');
    QByteArray evil;
    for (char c : QByteArray("evil.example")) evil += QByteArray(1, c) + QByteArray(1, '\0');
    ASSERT_TRUE(bytes.contains(utf16));
    bytes.replace(utf16, evil);
    ASSERT_TRUE(WriteAll(Out("t.wmv"), bytes));
    const ToolRun tampered = RunTool("castora-drm", {"info", Out("t.wmv")});
    EXPECT_EQ(tampered.exitCode, 0);
    EXPECT_EQ(tampered.Value("signature"), "invalid");
    EXPECT_EQ(tampered.Value("licence"), "http://evil.example/drm");
    // Such a file is not sent to its licence address at all.
    const ToolRun refused =
        RunTool("castora-drm", QStringList{"decrypt"} + SignIn("demo", "demo123") + QStringList{Out("t.wmv"), Out("o.wmv")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains("signature does not hold")) << refused.err.toStdString();
}

}  // namespace
