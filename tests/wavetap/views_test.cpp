// Preview and postview render into the caller's widgets.

#include "wavetap_test_support.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace wavetap_test;

TEST(Views, PreviewAndPostviewPaintTheVideoIntoTheWidgets) {
    QWidget preview, postview;
    for (QWidget* widget : {&preview, &postview}) ShowBlankWindow(widget);
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    wavetap.SetPreview(&preview);
    wavetap.SetPostview(&postview);
    ASSERT_TRUE(wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.SetSaveInfo(TempDir("views") + "/views.wmv"));
    ASSERT_TRUE(wavetap.StartEncode());
    PumpFor(1500);
    EXPECT_EQ(owner.codes, (std::vector<unsigned>{WM_WAVETAP_START, WM_WAVETAP_GROUP_ACTIVE}));
    // The test camera's picture is mostly black: the white background is painted over.
    for (QWidget* widget : {&preview, &postview}) {
        const QImage shot = widget->grab().toImage();
        EXPECT_LT(qGray(shot.pixel(5, 5)), 60);
    }
    wavetap.StopEncode();
    PumpFor(100);
    EXPECT_EQ(owner.codes, (std::vector<unsigned>{WM_WAVETAP_START, WM_WAVETAP_GROUP_ACTIVE,
                                                  WM_WAVETAP_PREVIEW_STOP, WM_WAVETAP_POSTVIEW_STOP}));
    EXPECT_GT(qGray(preview.grab().toImage().pixel(5, 5)), 200) << "a stopped view paints nothing";
}

TEST(Views, PreviewSetAfterAddSourceShowsNothing) {
    QWidget preview;
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    ASSERT_TRUE(wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    wavetap.SetPreview(&preview);
    ASSERT_TRUE(wavetap.SetSaveInfo(TempDir("views-late") + "/late.wmv"));
    ASSERT_TRUE(wavetap.StartEncode());
    PumpFor(500);
    wavetap.StopEncode();
    EXPECT_EQ(owner.codes,
              (std::vector<unsigned>{WM_WAVETAP_START, WM_WAVETAP_GROUP_ACTIVE, WM_WAVETAP_PREVIEW_STOP}));
}

// The mixer holds frames back for a fraction of a second only: the test camera's moving ball
// moves in the preview from its first picture on (it stood still for a second).
TEST(Views, ThePreviewFollowsTheCameraFromTheStart) {
    QWidget preview;
    ShowBlankWindow(&preview);
    NotifyRecorder owner;
    CWavetap wavetap(&owner);
    wavetap.SetProfileDir(ProfileDir());
    wavetap.SetPreview(&preview);
    ASSERT_TRUE(wavetap.AddSource("SG", kCamera, kMicrophone, kProfile256, WAVETAP_AUDIO_VIDEO, 0, "", 0));
    ASSERT_TRUE(wavetap.SetSaveInfo(TempDir("views-live") + "/live.wmv"));
    ASSERT_TRUE(wavetap.StartEncode());
    ASSERT_TRUE(PumpUntil([&] { return qGray(preview.grab().toImage().pixel(5, 5)) < 60; }, 5000))
        << "no picture in the preview";
    const QImage first = preview.grab().toImage();
    PumpFor(500);
    const QImage later = preview.grab().toImage();
    wavetap.StopEncode();
    EXPECT_NE(first, later) << "the preview stood still for half a second after its first picture";
}
