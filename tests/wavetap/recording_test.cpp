// Recordings of the configured test devices to archive files, read back with ffprobe.

#include "wavetap_test_support.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace wavetap_test;

TEST(Recording, TenSecondsOfTestDevicesMakeAWmvWithTheDisplayTexts) {
    const QString file = TempDir("recording") + "/ten.wmv";
    NotifyRecorder owner;
    {
        CWavetap wavetap(&owner);
        wavetap.SetProfileDir(ProfileDir());
        ASSERT_TRUE(wavetap.AddSource("SG_1", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
        ASSERT_TRUE(wavetap.SetSaveInfo(file));
        ASSERT_TRUE(wavetap.SetDisplayInfo("Test Author", "Test Copyright", "Test Description", "Test Title"));
        ASSERT_TRUE(wavetap.StartEncode());
        EXPECT_EQ(wavetap.GetState(), WAVETAP_RUNNING);
        PumpFor(10000);
        QString group;
        EXPECT_TRUE(wavetap.GetCurGrpName(group));
        EXPECT_EQ(group, "SG_1");
        wavetap.StopEncode();
        EXPECT_EQ(wavetap.GetState(), WAVETAP_STOPPED);
    }
    PumpFor(100);
    EXPECT_EQ(owner.codes, (std::vector<unsigned>{WM_WAVETAP_START, WM_WAVETAP_GROUP_ACTIVE, WM_WAVETAP_PREVIEW_STOP}));

    const ProbeResult probe = Probe(file);
    EXPECT_EQ(probe.codecs, (QStringList{"wmv2", "wmav2"}));
    EXPECT_NEAR(probe.duration, 10.0, 1.0);
    EXPECT_TRUE(probe.tagsText.contains("=Test Title")) << probe.tagsText.toStdString();
    EXPECT_TRUE(probe.tagsText.contains("=Test Author")) << probe.tagsText.toStdString();
    EXPECT_TRUE(probe.tagsText.contains("=Test Copyright")) << probe.tagsText.toStdString();
}

TEST(Recording, AudioOnlyRunMakesAWmaWithOnlyWma2) {
    const QString file = TempDir("recording-audio") + "/voice.wma";
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("SG_A", kCamera, kMicrophone, kAudioProfile, WAVETAP_AUDIO_ONLY, 0, "", 0));
    ASSERT_TRUE(wavetap.SetSaveInfo(file));
    ASSERT_TRUE(wavetap.StartEncode());
    PumpFor(3000);
    wavetap.StopEncode();
    const ProbeResult probe = Probe(file);
    EXPECT_EQ(probe.codecs, QStringList{"wmav2"});
    EXPECT_NEAR(probe.duration, 3.0, 1.0);
}

TEST(Recording, ScreenCaptureUsesTheProfileSize) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "no X display";
    const QString file = TempDir("recording-screen") + "/screen.wmv";
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("SG_S", "ScreenCap://ScreenCapture1", kMicrophone, "ntsc_低质量屏幕捕获",
                                  WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.SetSaveInfo(file));
    ASSERT_TRUE(wavetap.StartEncode());
    PumpFor(2000);
    wavetap.StopEncode();
    const QByteArray size = RunTool("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                "stream=width,height", "-of", "csv=p=0", file});
    EXPECT_EQ(size.trimmed(), "800,600");
}
