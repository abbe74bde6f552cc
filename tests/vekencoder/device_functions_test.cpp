// libvekencoder's device list and property pages.

#include "vekencoder/vekencoder.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QSaveFile>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class VekEncoderDevices : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "vekencoder_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
        // The same devices the live encoder tests configure.
        QFile source(QString(CASTORA_SOURCE_DIR) + "/tests/wavetap/test-devices.ini");
        QSaveFile file(QString(CASTORA_BIN_DIR) + "/devices.ini");
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(source.readAll());
        ASSERT_TRUE(file.commit());
    }
    static inline QApplication* app_ = nullptr;
};

}  // namespace

TEST_F(VekEncoderDevices, ListsNamesByExactMediaFlags) {
    QStringList audio{"kept"}, video;
    EXPECT_EQ(GetAllDevice(audio, video), 0);
    EXPECT_EQ(audio.first(), "kept");
    EXPECT_EQ(video.count("Test Camera"), 1);
    EXPECT_EQ(audio.count("Test Microphone"), 1);
    // Both media: a video device for the device plug-in, both lists for device control.
    EXPECT_EQ(video.count("Test Capture Card"), 2);
    EXPECT_EQ(audio.count("Test Capture Card"), 1);
    EXPECT_FALSE(audio.contains("Default_Audio_Device"));
    EXPECT_FALSE(video.contains("Default_Video_Device"));
}

TEST_F(VekEncoderDevices, CallFilterOnADeviceWithoutPagesShowsTheMessage) {
    QStringList texts;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&texts] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->windowTitle() + ":" + box->text();
            box->close();
        }
    });
    closer.start(20);
    EXPECT_EQ(CallFilter("No Such Camera", nullptr, 0), 1);
    EXPECT_EQ(CallFilter("", nullptr, 0), 1);
    EXPECT_TRUE(texts.isEmpty());
    EXPECT_EQ(CallFilter("Test Camera", nullptr, 0), -1);
    EXPECT_EQ(texts, QStringList{"提示:该设备无法被配置!"});
}
