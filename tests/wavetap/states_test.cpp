// CWavetap's states and output modes, and the start refusals and failures.

#include "wavetap_test_support.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace wavetap_test;

namespace {

// Closes every modal message box that appears, keeping its text.
class MessageBoxCloser {
public:
    MessageBoxCloser() {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->close();
            }
        });
        timer_.start();
    }
    QStringList texts;

private:
    QTimer timer_;
};

CWavetap* NewConfigured(NotifyRecorder* owner) {
    auto* wavetap = new CWavetap(owner);
    wavetap->SetProfileDir(ProfileDir());
    return wavetap;
}

}  // namespace

TEST(States, StartWithoutAnyOutputShowsTheMessageAndStaysStopped) {
    NotifyRecorder owner;
    std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
    ASSERT_TRUE(wavetap->AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    MessageBoxCloser closer;
    EXPECT_FALSE(wavetap->StartEncode());
    EXPECT_EQ(closer.texts, QStringList{"必须至少选择一个输出选项（服务器或文件）！"});
    EXPECT_EQ(wavetap->GetState(), WAVETAP_STOPPED);
    PumpFor(50);
    EXPECT_TRUE(owner.codes.empty());
}

TEST(States, OutputModesFollowTheDescribedRules) {
    NotifyRecorder owner;
    {
        std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
        EXPECT_FALSE(wavetap->SetSaveInfo("/tmp/out.mp4"));
        EXPECT_EQ(wavetap->OutputMode(), 2);
        EXPECT_FALSE(wavetap->SetSaveInfo("/tmp/out.WMV"));  // the suffix test is case-sensitive
        EXPECT_EQ(wavetap->OutputMode(), 1);
    }
    {
        std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
        EXPECT_TRUE(wavetap->SetLiveInfo("", "", 0, "user", "secret", 0));
        EXPECT_EQ(wavetap->OutputMode(), 3);
        EXPECT_TRUE(wavetap->SetLiveInfo("", "", 0, "", "", 0));
        EXPECT_EQ(wavetap->OutputMode(), 1);
    }
    {
        std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
        EXPECT_TRUE(wavetap->SetSaveInfo("/tmp/out.wma"));
        EXPECT_EQ(wavetap->OutputMode(), 2);
        EXPECT_TRUE(wavetap->SetLiveInfo("", "", 0, "", "", 0));
        EXPECT_EQ(wavetap->OutputMode(), 1);
    }
}

TEST(States, MismatchedSaveSuffixStillLetsStartProceedToPreparing) {
    EnsureLogFolder();
    NotifyRecorder owner;
    std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
    ASSERT_TRUE(wavetap->AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    EXPECT_FALSE(wavetap->SetSaveInfo("/tmp/out.mp4"));
    const int logLines = EncoderLogText().count("PrepareToEncode error:");
    MessageBoxCloser closer;
    EXPECT_FALSE(wavetap->StartEncode());  // no file name was set: preparing fails
    EXPECT_TRUE(closer.texts.isEmpty());
    EXPECT_EQ(wavetap->GetState(), WAVETAP_STARTING);
    EXPECT_EQ(EncoderLogText().count("PrepareToEncode error:"), logLines + 1);
    wavetap->StopEncode();
    EXPECT_EQ(wavetap->GetState(), WAVETAP_STOPPED);
    PumpFor(50);
    EXPECT_EQ(owner.codes, std::vector<unsigned>{WM_WAVETAP_PREPARE_FAIL});
}

TEST(States, ProfilesMatchWithoutRegardToCaseAndEmptyInputsMakeAnEmptyGroup) {
    NotifyRecorder owner;
    std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
    EXPECT_TRUE(wavetap->AddSource("Upper", kCamera, kMicrophone, "PAL_视频中质量（256k）", WAVETAP_AUDIO_VIDEO, 0, "", 0));
    EXPECT_TRUE(wavetap->AddSource("Empty", "", "", kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    EXPECT_FALSE(wavetap->AddSource("Unknown", kCamera, kMicrophone, "pal_no such profile", WAVETAP_AUDIO_VIDEO, 0, "", 0));
}

TEST(States, RunningStateGatesConfigurationAndQueries) {
    NotifyRecorder owner;
    std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
    QString group;
    int percent = -1;
    EXPECT_FALSE(wavetap->GetCurGrpName(group));
    EXPECT_FALSE(wavetap->SwitchSource("SG"));
    EXPECT_FALSE(wavetap->GetTransformProcess(percent));
    wavetap->StopEncode();  // nothing to stop
    EXPECT_EQ(wavetap->GetState(), WAVETAP_STOPPED);

    const QString clip = MakeClip(TempDir("states-running"), "clip.avi", 3.0, 500);
    ASSERT_FALSE(clip.isEmpty());
    ASSERT_TRUE(wavetap->AddSource("SG", clip, clip, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap->SetSaveInfo(TempDir("states-running-out") + "/out.wmv"));
    ASSERT_TRUE(wavetap->StartEncode());
    EXPECT_FALSE(wavetap->StartEncode());
    EXPECT_FALSE(wavetap->SetSaveInfo("/tmp/other.wmv"));
    EXPECT_FALSE(wavetap->SetDisplayInfo("a", "b", "c", "d"));
    EXPECT_FALSE(wavetap->SetLiveInfo("", "", 0, "", "", 0));
    PumpFor(1500);
    EXPECT_TRUE(wavetap->GetTransformProcess(percent));
    EXPECT_GT(percent, 10);
    EXPECT_LT(percent, 100);
    wavetap->StopEncode();
    EXPECT_EQ(wavetap->GetState(), WAVETAP_STOPPED);
    PumpFor(50);
    EXPECT_EQ(owner.Count(WM_WAVETAP_STOP), 0);
    EXPECT_FALSE(wavetap->AddDRMProfile("", "", "", "", "", "", group, group, group));
}

TEST(States, SendOwnerMessagePostsAnyCode) {
    NotifyRecorder owner;
    std::unique_ptr<CWavetap> wavetap(NewConfigured(&owner));
    wavetap->SendOwnerMessage(WM_WAVETAP_PREPARE_FAIL, 0);
    EXPECT_TRUE(owner.codes.empty()) << "posted, not sent";
    PumpFor(50);
    EXPECT_EQ(owner.codes, std::vector<unsigned>{WM_WAVETAP_PREPARE_FAIL});
}
