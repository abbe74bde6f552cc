// Pushing live runs to the media servers of castora-platform: players watch the point,
// the state page counts them; refused pushes fail the start; push, archive and local
// serving together; a push the server drops ends the run, and the next run pushes again.

#include "fake_push_server.h"
#include "wavetap_test_support.h"

#include "platform_process.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

using namespace wavetap_test;

#include <tuple>

namespace {

class Push : public ::testing::Test {
protected:
    void StartPlatform(std::vector<std::string> extra = {}) {
        port_ = simtest::FreeLoopbackPort();
        extra.insert(extra.end(), {"--media-ports", std::to_string(port_) + "," + std::to_string(simtest::FreeLoopbackPort())});
        platform_ = std::make_unique<simtest::PlatformProcess>(extra);
        ASSERT_TRUE(platform_->Start());
        for (int i = 0; i < 100 && !simtest::PortAccepts(port_); ++i) PumpFor(20);
    }
    // A camera and microphone run pushing to media server 1's `point`.
    std::unique_ptr<CWavetap> NewPush(NotifyRecorder* owner, const QString& point, const QString& password = "pushpass") {
        auto wavetap = std::make_unique<CWavetap>(owner);
        wavetap->SetProfileDir(ProfileDir());
        EXPECT_TRUE(wavetap->AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
        EXPECT_TRUE(wavetap->SetLiveInfo("127.0.0.1", point, port_, "push", password, 1));
        return wavetap;
    }
    QString Url(const QString& point) const { return QString("mmsh://127.0.0.1:%1/%2").arg(port_).arg(point); }
    QByteArray Streams(const QString& url) {
        return RunTool("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", url}, 20000);
    }

    int port_ = 0;
    std::unique_ptr<simtest::PlatformProcess> platform_;
};

}  // namespace

TEST_F(Push, PlayersWatchThePushedPointAndThePageCountsThem) {
    StartPlatform();
    NotifyRecorder owner;
    auto wavetap = NewPush(&owner, "live1");
    ASSERT_TRUE(wavetap->StartEncode());
    EXPECT_EQ(wavetap->OutputMode(), 3);
    EXPECT_EQ(Streams(Url("live1")), "wmv2\nwmav2\n");

    const QString saved = TempDir("push-watch") + "/pulled.wmv";
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-v", "error", "-y", "-i", Url("live1"), "-t", "5", "-c", "copy", saved});
    EXPECT_TRUE(platform_->WaitForLivePoint(1, "live1", "live, pushing|1|", 8000)) << platform_->LivePointRow(1, "live1");
    ASSERT_TRUE(ffmpeg.waitForFinished(30000));
    EXPECT_GE(Probe(saved).duration, 4.0);
    PumpFor(100);
    wavetap->StopEncode();
    EXPECT_TRUE(platform_->WaitForLivePoint(1, "live1", "free")) << "auto-remove frees the point";
    EXPECT_EQ(owner.Count(WM_WAVETAP_NO_CONNECTION), 0);
    EXPECT_EQ(owner.Count(WM_WAVETAP_STOP), 0);
}

TEST_F(Push, AWrongPasswordOrAnUnknownPointFailsTheStart) {
    StartPlatform();
    EnsureLogFolder();
    for (const auto& [point, password, logged] : {std::tuple{"live1", "wrong", "refused the push account"},
                                                   std::tuple{"nowhere", "pushpass", "answered 404"}}) {
        NotifyRecorder owner;
        auto wavetap = NewPush(&owner, point, password);
        const QString logBefore = EncoderLogText();
        EXPECT_FALSE(wavetap->StartEncode()) << point;
        PumpFor(100);
        EXPECT_EQ(owner.codes, (std::vector<unsigned>{WM_WAVETAP_PREPARE_FAIL})) << point;
        EXPECT_EQ(wavetap->GetState(), WAVETAP_STARTING);
        const QString logged_lines = EncoderLogText().mid(logBefore.size());
        EXPECT_TRUE(logged_lines.contains("PrepareToEncode error:")) << logged_lines.toStdString();
        EXPECT_TRUE(logged_lines.contains(logged)) << logged_lines.toStdString();
        wavetap->StopEncode();
    }
    EXPECT_EQ(platform_->LivePointRow(1, "live1"), "free|0|0");
}

TEST_F(Push, PushArchiveAndLocalServingAtOnce) {
    StartPlatform({"--push-auth", "basic"});  // the Basic answer of the push account too
    const QString archive = TempDir("push-archive") + "/archive.wmv";
    NotifyRecorder owner;
    auto wavetap = NewPush(&owner, "live2");
    ASSERT_TRUE(wavetap->SetSaveInfo(archive));
    EXPECT_EQ(wavetap->OutputMode(), 1);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(wavetap->StartEncode());
    EXPECT_EQ(Streams("mmsh://127.0.0.1:9100/"), "wmv2\nwmav2\n");
    EXPECT_EQ(Streams(Url("live2")), "wmv2\nwmav2\n");
    PumpUntil([&] { return clock.elapsed() > 6000; }, 10000);
    wavetap->StopEncode();
    const double ran = clock.elapsed() / 1000.0;
    EXPECT_NEAR(Probe(archive).duration, ran, 1.0);
    EXPECT_EQ(Probe(archive).codecs, (QStringList{"wmv2", "wmav2"}));
}

TEST_F(Push, ADroppedPushEndsTheRunAndTheNextRunPushesAgain) {
    StartPlatform({"--drop-push-after", "1.5", "--drop-push-count", "1"});
    {
        NotifyRecorder owner;
        auto wavetap = NewPush(&owner, "live1");
        ASSERT_TRUE(wavetap->StartEncode());
        ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_WAVETAP_STOP) == 1; }, 15000));
        EXPECT_EQ(wavetap->GetState(), WAVETAP_STOPPED) << "the run stopped by itself";
        const auto lost = std::find(owner.codes.begin(), owner.codes.end(), WM_WAVETAP_NO_CONNECTION);
        const auto stopped = std::find(owner.codes.begin(), owner.codes.end(), WM_WAVETAP_STOP);
        ASSERT_NE(lost, owner.codes.end());
        EXPECT_LT(lost, stopped) << "code 8, then code 0";
        EXPECT_EQ(owner.Count(WM_WAVETAP_NO_CONNECTION), 1);
    }
    NotifyRecorder owner;
    auto wavetap = NewPush(&owner, "live1");
    ASSERT_TRUE(wavetap->StartEncode());
    EXPECT_EQ(Streams(Url("live1")), "wmv2\nwmav2\n");
    PumpFor(2000);
    EXPECT_EQ(owner.Count(WM_WAVETAP_NO_CONNECTION), 0);
    wavetap->StopEncode();
}

TEST(PushToBadServers, AServerErrorFailsTheStartWithItsLogLine) {
    FakePushServer server([](int fd) {
        FakePushServer::ReadRequest(fd);
        FakePushServer::Send(fd, "HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n");
    });
    EnsureLogFolder();
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.SetLiveInfo("127.0.0.1", "live1", server.Port(), "push", "pushpass", 1));
    const QString logBefore = EncoderLogText();
    EXPECT_FALSE(wavetap.StartEncode());
    PumpFor(100);
    EXPECT_EQ(owner.codes, (std::vector<unsigned>{WM_WAVETAP_PREPARE_FAIL}));
    EXPECT_TRUE(EncoderLogText().mid(logBefore.size()).contains("answered 500"));
    wavetap.StopEncode();
}

TEST_F(Push, CastoraEncodePushesFromTheCommandLine) {
    StartPlatform();
    QProcess encoder;
    encoder.start(CASTORA_BIN_DIR "/castora-encode",
                  {"--profile-dir", ProfileDir(), "--profile", kProfile256, "--video", kCamera, "--audio", kMicrophone,
                   "--push", QString("127.0.0.1:%1/live3").arg(port_), "--push-user", "push", "--push-password",
                   "pushpass", "--seconds", "4"});
    EXPECT_TRUE(platform_->WaitForLivePoint(1, "live3", "live, pushing", 8000));
    EXPECT_EQ(Streams(Url("live3")), "wmv2\nwmav2\n");
    ASSERT_TRUE(encoder.waitForFinished(20000));
    EXPECT_EQ(encoder.exitCode(), 0);
    EXPECT_EQ(QString(encoder.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts).first(), "notify 6");
    EXPECT_TRUE(platform_->WaitForLivePoint(1, "live3", "free"));
}
