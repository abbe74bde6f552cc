// Bad inputs end in the described result or owner code, never a crash or a hang.

#include "wavetap_test_support.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

// Starts a run of one group and returns StartEncode's result.
bool StartOne(CWavetap& wavetap, const QString& video, const QString& audio, const QString& archive) {
    wavetap.SetProfileDir(ProfileDir());
    if (!wavetap.AddSource("SG", video, audio, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0)) return false;
    if (!wavetap.SetSaveInfo(archive)) return false;
    return wavetap.StartEncode();
}

void ExpectStartFailure(const QString& video, const QString& audio) {
    EnsureLogFolder();
    const int before = EncoderLogText().count("PrepareToEncode error:");
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    EXPECT_FALSE(StartOne(wavetap, video, audio, TempDir("bad-start") + "/out.wmv"));
    PumpFor(50);
    EXPECT_EQ(owner.codes, std::vector<unsigned>{WM_WAVETAP_PREPARE_FAIL});
    EXPECT_EQ(EncoderLogText().count("PrepareToEncode error:"), before + 1);
    wavetap.StopEncode();
    EXPECT_EQ(wavetap.GetState(), WAVETAP_STOPPED);
}

}  // namespace

TEST(BadInput, MissingOrNonMediaFilesAndUnknownDevicesFailToStart) {
    const QString folder = TempDir("bad-inputs");
    QFile text(folder + "/notes.avi");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a video\n");
    text.close();
    ExpectStartFailure(folder + "/missing.avi", folder + "/missing.avi");
    ExpectStartFailure(text.fileName(), text.fileName());
    ExpectStartFailure("DEVICE://No Such Camera", kMicrophone);
    ExpectStartFailure("DEVICE://Broken Camera", kMicrophone);
    ExpectStartFailure(kMicrophone, kMicrophone);  // an audio device offers no video
}

TEST(BadInput, CorruptProfilesAndMissingProfileFoldersAreNotFound) {
    const QString folder = TempDir("bad-profiles");
    QFile corrupt(folder + "/broken.wtp");
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("name=broken\nvideo.codec=WMV2\nvideo.width=abc\n");
    corrupt.close();
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(folder);
    EXPECT_FALSE(wavetap.AddSource("A", kCamera, kMicrophone, "broken", WAVETAP_AUDIO_VIDEO, 0, "", 0));
    wavetap.SetProfileDir(folder + "/does-not-exist");
    EXPECT_FALSE(wavetap.AddSource("B", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
}

TEST(BadInput, AFileThatEndsEarlyStopsTheRunByItself) {
    const QString folder = TempDir("bad-truncated");
    const QString clip = MakeClip(folder, "whole.avi", 3.0, 500);
    ASSERT_FALSE(clip.isEmpty());
    QFile whole(clip);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray half = whole.read(whole.size() / 2);
    QFile cut(folder + "/cut.avi");
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(half);
    cut.close();

    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    ASSERT_TRUE(StartOne(wavetap, cut.fileName(), cut.fileName(), folder + "/out.wmv"));
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_WAVETAP_STOP) == 1; }, 10000));
    EXPECT_EQ(wavetap.GetState(), WAVETAP_STOPPED);
    EXPECT_EQ(Probe(folder + "/out.wmv").codecs, (QStringList{"wmv2", "wmav2"}));
}

TEST(BadInput, ADeviceThatStopsMidRunEndsTheRunWithCodeZero) {
    const QString folder = TempDir("bad-device");
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    ASSERT_TRUE(StartOne(wavetap, "DEVICE://Short Camera", "", folder + "/out.wmv"));
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_WAVETAP_STOP) == 1; }, 10000));
    EXPECT_EQ(wavetap.GetState(), WAVETAP_STOPPED);
    EXPECT_EQ(owner.codes.back(), WM_WAVETAP_STOP);
    EXPECT_NEAR(Probe(folder + "/out.wmv").duration, 2.0, 1.0);
}
