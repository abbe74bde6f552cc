// Device lists, property pages and the audio-file test of libwavetap.

#include "wavetap/devices.h"
#include "wavetap_test_support.h"

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

QStringList Names(QList<CDevice*>& devices) {
    QStringList names;
    for (CDevice* device : devices) names << device->m_strName;
    return names;
}

}  // namespace

TEST(Devices, ConfiguredDevicesAreListedByMedium) {
    QList<CDevice*> video, audio;
    ASSERT_EQ(GetAllDevices(&video, &audio), 1);
    const QStringList videoNames = Names(video);
    const QStringList audioNames = Names(audio);
    EXPECT_EQ(videoNames.count("Test Camera"), 1);
    EXPECT_EQ(audioNames.count("Test Microphone"), 1);
    // Both media: audio list only, once from the device plug-in and once from device control.
    EXPECT_EQ(videoNames.count("Test Capture Card"), 0);
    EXPECT_EQ(audioNames.count("Test Capture Card"), 2);
    EXPECT_FALSE(videoNames.contains("Default_Video_Device"));
    EXPECT_FALSE(audioNames.contains("Default_Audio_Device"));

    // A second call appends again.
    ASSERT_EQ(GetAllDevices(&video, &audio), 1);
    EXPECT_EQ(Names(video).count("Test Camera"), 2);
    EXPECT_EQ(video.size(), 2 * videoNames.size());
    qDeleteAll(video);
    qDeleteAll(audio);
}

TEST(Devices, CallFilterResults) {
    EXPECT_EQ(CallFilter("", nullptr, 0), 0);
    EXPECT_EQ(CallFilter("No Such Camera", nullptr, 0), 1);
    EXPECT_EQ(CallFilter("test camera", nullptr, 0), 1) << "names match with case";
    EXPECT_EQ(CallFilter("Test Camera", nullptr, 1), 1) << "not in the audio category";
    // A configured test device has no controls: found, but no pages to show.
    EXPECT_LT(CallFilter("Test Camera", nullptr, 0), 0);
}

TEST(Devices, IsAudioFileLooksAtTheLastThreeCharacters) {
    EXPECT_EQ(IsAudioFile("/music/song.WAV"), 1);
    EXPECT_EQ(IsAudioFile("/music/song.mp3"), 1);
    EXPECT_EQ(IsAudioFile("talk.wma"), 1);
    EXPECT_EQ(IsAudioFile("/video/clip.mp4"), 0);
    EXPECT_EQ(IsAudioFile("/video/clip.wmv"), 0);
    EXPECT_EQ(IsAudioFile("ma"), 1);
    EXPECT_EQ(IsAudioFile(""), 1);
}
