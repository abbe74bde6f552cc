// A live run protected with a DRM profile made from the platform's live material: the
// archive and a saved pull of the stream are protected, and both decrypt with the
// platform's licence for the key id the run reports with startLive.

#include "wavetap_test_support.h"

#include "drm/drm_profile_collection.h"
#include "platform_process.h"
#include "../support/tool_run.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

QString Field(const simtest::SoapReply& reply, const char* name) { return QString::fromStdString(reply.Field(name)); }

// The checksums of the decoded video frames, without their timestamps.
QStringList VideoFrameHashes(const QString& path) {
    QStringList hashes;
    for (const QByteArray& line : wavetap_test::RunTool("ffmpeg", {"-v", "quiet", "-i", path, "-map", "0:v", "-f", "framemd5", "-"}).split('\n'))
        if (!line.isEmpty() && !line.startsWith('#')) hashes << QString::fromLatin1(line.split(',').last().trimmed());
    return hashes;
}

// Saves what a plain HTTP viewer of the pull port receives for `seconds`, without the response head.
QByteArray PullStream(int seconds) {
    QProcess curl;
    curl.start("curl", {"-s", "--max-time", QString::number(seconds), "http://127.0.0.1:9100/"});
    PumpUntil([&curl] { return curl.state() == QProcess::NotRunning; }, (seconds + 5) * 1000);
    return curl.readAllStandardOutput();
}

TEST(DrmRun, ArchiveAndPullAreProtectedAndDecryptWithThePlatformsLicence) {
    simtest::PlatformProcess platform;
    ASSERT_TRUE(platform.Start());
    const std::string sid = platform.Login("demo", "demo123");
    const simtest::SoapReply server = platform.Call(
        "GetSelMediaServerList",
        "<id>1</id><type>0</type><profile>p</profile><videoDevice/><audioDevice/><isDrm>1</isDrm>", sid);
    ASSERT_EQ(server.Field("code"), "0") << server.body;

    const QString folder = TempDir("drm-run");
    const QString archive = folder + "/archive.wmv";
    const int profilesBefore = drm::DrmProfileCollection::Instance().Count();
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.SetSaveInfo(archive));
    ASSERT_TRUE(wavetap.SetLiveInfo("", "", 0, "", "", 0));
    ASSERT_TRUE(wavetap.SetDisplayInfo("author", "copyright", "description", "title"));
    QString publicKey, seed, kid;
    ASSERT_TRUE(wavetap.AddDRMProfile("http://127.0.0.1", Field(server, "loginUrl"), Field(server, "privateKey"),
                                      Field(server, "signedPublicKey"), Field(server, "licSrvCert"),
                                      Field(server, "rootCert"), publicKey, seed, kid));
    EXPECT_EQ(publicKey, Field(server, "publicKey"));
    EXPECT_GE(seed.size(), 20);
    EXPECT_EQ(kid.size(), 24);
    EXPECT_EQ(drm::DrmProfileCollection::Instance().Count(), profilesBefore + 1);

    ASSERT_TRUE(wavetap.StartEncode());
    const simtest::SoapReply started = platform.Call(
        "startLive",
        "<liveId>" + server.Field("liveId") + "</liveId><publicKey>" + publicKey.toStdString() + "</publicKey><seed>" +
            seed.toStdString() + "</seed><kid>" + kid.toStdString() +
            "</kid><isDrm>1</isDrm><playUrl>mms://127.0.0.1:9100</playUrl><userIp>127.0.0.1</userIp>",
        sid);
    EXPECT_EQ(started.ReturnText(), "true");
    PumpFor(1000);
    const QByteArray pulled = PullStream(4);
    wavetap.StopEncode();
    PumpFor(300);
    // The profile lives as long as the run.
    EXPECT_EQ(drm::DrmProfileCollection::Instance().Count(), profilesBefore);
    ASSERT_GT(pulled.size(), 20000);
    const QString pull = folder + "/pull.asf";
    {
        QFile file(pull);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(pulled);
    }

    const QStringList signIn{"--url",
                             QString("http://127.0.0.1:%1/vekservices/ClientService").arg(platform.port()), "--user",
                             "demo", "--password", "demo123"};
    for (const QString& path : {archive, pull}) {
        SCOPED_TRACE(path.toStdString());
        const auto info = test_support::RunTool("castora-drm", {"info", path});
        ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
        EXPECT_EQ(info.Value("kid"), kid);
        EXPECT_EQ(info.Value("signature"), "valid");
        EXPECT_EQ(info.Value("attribute.SECURITYVERSION"), "2.8");
        EXPECT_EQ(info.Value("licence"), Field(server, "loginUrl"));
        const auto decrypt = test_support::RunTool("castora-drm", QStringList{"decrypt"} + signIn + QStringList{path, path + ".plain.wmv"});
        ASSERT_EQ(decrypt.exitCode, 0) << decrypt.err.toStdString();
    }
    // The archive: a whole file; as protected it decodes to other pictures than decrypted.
    EXPECT_GT(Probe(archive + ".plain.wmv").duration, 3.0);
    const QStringList archiveFrames = VideoFrameHashes(archive + ".plain.wmv");
    ASSERT_GT(archiveFrames.size(), 50);
    int same = 0;
    for (const QString& frame : VideoFrameHashes(archive)) same += archiveFrames.contains(frame) ? 1 : 0;
    EXPECT_LT(same, 3) << "the protected archive decodes to its own pictures";
    // The pull carries the same encoded pictures from a key frame on.
    const QStringList pullFrames = VideoFrameHashes(pull + ".plain.wmv");
    ASSERT_GT(pullFrames.size(), 25);
    int found = 0;
    for (const QString& frame : pullFrames) found += archiveFrames.contains(frame) ? 1 : 0;
    EXPECT_EQ(found, pullFrames.size());

    // Another company gets no licence for the run's key id.
    const auto refused = test_support::RunTool("castora-drm", {"decrypt", "--url", signIn[1], "--user", "solo", "--password",
                                                 "solo123", pull, folder + "/solo.wmv"});
    EXPECT_EQ(refused.exitCode, 4) << refused.err.toStdString();
}

TEST(DrmRun, BadMaterialMakesNoProfile) {
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    const int before = drm::DrmProfileCollection::Instance().Count();
    QString publicKey = "unchanged", seed = "unchanged", kid = "unchanged";
    EXPECT_FALSE(wavetap.AddDRMProfile("http://127.0.0.1", "http://licence", "not a key", "not a certificate", "x", "y",
                                       publicKey, seed, kid));
    EXPECT_EQ(publicKey, "unchanged");
    EXPECT_EQ(seed, "unchanged");
    EXPECT_EQ(kid, "unchanged");
    EXPECT_EQ(drm::DrmProfileCollection::Instance().Count(), before);
}

}  // namespace
