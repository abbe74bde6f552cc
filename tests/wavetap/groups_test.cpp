// Source groups: rollover chains of files, switching between a device and a file group,
// and what the archive holds across those changes.

#include "wavetap_test_support.h"

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

class Groups : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        for (int i = 0; i < 3; ++i) {
            clips_ << MakeClip(folder_, QString("clip%1.avi").arg(i), 2.0, 400 + 200 * i);
            ASSERT_FALSE(clips_.back().isEmpty()) << "ffmpeg could not make a clip";
        }
    }

    // Adds FC_0..FC_2, each rolling over to the next; the last to FC_0 when circling.
    void AddChain(CWavetap& wavetap, bool circle) {
        for (int i = 0; i < 3; ++i) {
            const QString next = i < 2 ? QString("FC_%1").arg(i + 1) : (circle ? "FC_0" : "");
            ASSERT_TRUE(wavetap.AddSource(QString("FC_%1").arg(i), clips_[i], clips_[i], kProfile256,
                                          WAVETAP_AUDIO_VIDEO, 0, next, 0));
        }
    }

    // Largest step between consecutive packet times of one stream, and whether they only rise.
    static void CheckTimeline(const std::vector<Packet>& packets, const QString& type, double maxStep) {
        double previous = -1;
        double largest = 0;
        double largestAt = 0;
        int count = 0;
        for (const Packet& packet : packets) {
            if (packet.type != type) continue;
            if (previous >= 0) {
                EXPECT_GT(packet.pts, previous) << type.toStdString() << " packet " << count;
                if (packet.pts - previous > largest) {
                    largest = packet.pts - previous;
                    largestAt = previous;
                }
            }
            previous = packet.pts;
            ++count;
        }
        EXPECT_GT(count, 10);
        EXPECT_LE(largest, maxStep) << type.toStdString() << " step after " << largestAt << " s of "
                                    << previous << " s";
    }

    QString folder_;
    QStringList clips_;
};

}  // namespace

TEST_F(Groups, CircleRollsOverThroughEveryFileAndBackToTheFirst) {
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    owner.wavetap = &wavetap;
    wavetap.SetProfileDir(ProfileDir());
    AddChain(wavetap, true);
    ASSERT_TRUE(wavetap.SetSaveInfo(folder_ + "/circle.wmv"));
    ASSERT_TRUE(wavetap.StartEncode());
    ASSERT_TRUE(PumpUntil([&] { return owner.activeGroups.size() >= 4; }, 20000));
    wavetap.StopEncode();
    PumpFor(100);
    EXPECT_EQ(owner.activeGroups.mid(0, 4), (QStringList{"FC_0", "FC_1", "FC_2", "FC_0"}));
    // Every group activation is followed by code 2: files show no preview.
    for (size_t i = 0; i < owner.codes.size(); ++i)
        if (owner.codes[i] == WM_WAVETAP_GROUP_ACTIVE) {
            ASSERT_LT(i + 1, owner.codes.size());
            EXPECT_EQ(owner.codes[i + 1], WM_WAVETAP_PREVIEW_STOP);
        }
    EXPECT_EQ(owner.Count(WM_WAVETAP_STOP), 0) << "StopEncode posts no code 0";
}

TEST_F(Groups, WithoutCircleTheRunStopsByItselfAfterTheLastFile) {
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    owner.wavetap = &wavetap;
    wavetap.SetProfileDir(ProfileDir());
    AddChain(wavetap, false);
    const QString file = folder_ + "/chain.wmv";
    ASSERT_TRUE(wavetap.SetSaveInfo(file));
    ASSERT_TRUE(wavetap.StartEncode());
    ASSERT_TRUE(PumpUntil([&] { return owner.Count(WM_WAVETAP_STOP) > 0; }, 20000));
    EXPECT_EQ(wavetap.GetState(), WAVETAP_STOPPED);
    EXPECT_EQ(owner.activeGroups, (QStringList{"FC_0", "FC_1", "FC_2"}));
    EXPECT_EQ(owner.codes.back(), WM_WAVETAP_STOP);
    EXPECT_EQ(owner.Count(WM_WAVETAP_ARCHIVE_STOP), 1);
    wavetap.StopEncode();  // nothing more to stop
    PumpFor(100);
    EXPECT_EQ(owner.Count(WM_WAVETAP_STOP), 1);
    // The archive plays straight through the three files.
    const ProbeResult probe = Probe(file);
    EXPECT_EQ(probe.codecs, (QStringList{"wmv2", "wmav2"}));
    EXPECT_GT(probe.duration, 5.5);
    const std::vector<Packet> packets = Packets(file);
    CheckTimeline(packets, "video", 0.04 + 0.001);
}

TEST_F(Groups, SwitchingBetweenADeviceAndAFileGroupKeepsOneTimeline) {
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    owner.wavetap = &wavetap;
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("Live", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.AddSource("Clip", clips_[0], clips_[0], kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    const QString file = folder_ + "/switch.wmv";
    ASSERT_TRUE(wavetap.SetSaveInfo(file));
    ASSERT_TRUE(wavetap.StartEncode());
    QString group;
    ASSERT_TRUE(PumpUntil([&] { return wavetap.GetCurGrpName(group) && group == "Live"; }, 3000));
    PumpFor(1000);
    ASSERT_TRUE(wavetap.SwitchSource("clip"));  // names match without regard to case
    ASSERT_TRUE(PumpUntil([&] { return wavetap.GetCurGrpName(group) && group == "Clip"; }, 3000));
    PumpFor(1000);
    ASSERT_TRUE(wavetap.SwitchSource("Live"));
    ASSERT_TRUE(PumpUntil([&] { return wavetap.GetCurGrpName(group) && group == "Live"; }, 3000));
    PumpFor(1000);
    EXPECT_TRUE(wavetap.SwitchSource("NoSuchGroup"));
    PumpFor(200);
    ASSERT_TRUE(wavetap.GetCurGrpName(group));
    EXPECT_EQ(group, "Live");
    wavetap.StopEncode();
    EXPECT_EQ(owner.activeGroups, (QStringList{"Live", "Clip", "Live"}));

    const std::vector<Packet> packets = Packets(file);
    CheckTimeline(packets, "video", 0.04 + 0.001);
    // WMA 2 packs about 2048 samples per packet at 44.1 kHz: 46 ms.
    CheckTimeline(packets, "audio", 0.05);
}
