// The live and local-recording pages' remembered settings in configure.ini.

#include "client/tasks/task_settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(TaskSettings, LiveSectionRoundTripsEveryKey) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("configure.ini");
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[SERVER]\nIP=http://127.0.0.1:8088\n");
    }
    LiveTaskSettings s;
    s.videoDevice = "屏幕捕获";
    s.audioDevice = "Test Microphone";
    s.videoProfile = "视频中质量（256K）";
    s.mserverName = "华东媒体服务器";
    s.streamType = 1;
    s.isLiveDrm = 1;
    s.checklogo = 1;
    s.outputFile = "/home/op/save";
    ASSERT_TRUE(WriteLiveTaskSettings(ini, s));
    const LiveTaskSettings r = ReadLiveTaskSettings(ini);
    EXPECT_EQ(r.videoDevice, s.videoDevice);
    EXPECT_EQ(r.audioDevice, s.audioDevice);
    EXPECT_EQ(r.videoProfile, s.videoProfile);
    EXPECT_EQ(r.mserverName, s.mserverName);
    EXPECT_EQ(r.streamType, 1);
    EXPECT_EQ(r.isLiveDrm, 1);
    EXPECT_EQ(r.checklogo, 1);
    EXPECT_EQ(r.outputFile, s.outputFile);

    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("IP=http://127.0.0.1:8088")) << "the general keys stay";
    EXPECT_TRUE(bytes.contains("[LIVETASK]"));
    EXPECT_TRUE(bytes.contains("streamType=1"));
}

TEST(TaskSettings, RecordSectionWritesItsKeysAndReadsThePagesKeys) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("configure.ini");
    RecordTaskSettings s;
    s.videoDevice = "Test Camera";
    s.audioDevice = "Test Microphone";
    s.videoProfile = "视频高质量（512K）";
    s.mserverName = "not written";
    s.streamType = 0;
    s.checklogo = 1;
    s.autoBegin = 1;
    s.beginTime = "2031-01-02 03:04:05";
    s.autoStop = 1;
    s.endTime = "2031-01-02 04:04:05";
    s.isRecord = 1;
    s.outputFile = "/home/op/rec";
    ASSERT_TRUE(WriteRecordTaskSettings(ini, s));

    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    for (const char* line : {"[RECORDTASK]", "streamType=0", "checklogo=1", "videoDevice=Test Camera", "autoBegin=1",
                             "beginTime=2031-01-02 03:04:05", "autoStop=1", "endTime=2031-01-02 04:04:05",
                             "isRecord=1", "outputFile=/home/op/rec"})
        EXPECT_TRUE(bytes.contains(line)) << line;
    EXPECT_FALSE(bytes.contains("mserverName"));

    const RecordTaskSettings r = ReadRecordTaskSettings(ini);
    EXPECT_EQ(r.videoDevice, "Test Camera");
    EXPECT_EQ(r.audioDevice, "Test Microphone");
    EXPECT_EQ(r.videoProfile, "视频高质量（512K）");
    EXPECT_EQ(r.checklogo, 1);
    EXPECT_EQ(r.outputFile, "/home/op/rec");
    EXPECT_TRUE(r.mserverName.isEmpty());
    // The page opens with its times and switches at their defaults.
    EXPECT_EQ(r.autoBegin + r.autoStop + r.isRecord, 0);
    EXPECT_TRUE(r.beginTime.isEmpty() && r.endTime.isEmpty());
}

TEST(TaskSettings, GarbageOrMissingSectionsReadAsDefaults) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("configure.ini");
    const LiveTaskSettings none = ReadLiveTaskSettings(ini);
    EXPECT_TRUE(none.videoDevice.isEmpty() && none.outputFile.isEmpty());
    EXPECT_EQ(none.streamType + none.isLiveDrm + none.checklogo, 0);
    {
        QFile file(ini);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[LIVETASK]\nstreamType=-1\nisLiveDrm=abc\nchecklogo=0x10\nvideoDevice=" + QByteArray(5000, 'v') +
                   "\n[RECORDTASK]\nstreamType=2\nchecklogo=3\n");
    }
    const LiveTaskSettings live = ReadLiveTaskSettings(ini);
    EXPECT_EQ(live.streamType, 0);
    EXPECT_EQ(live.isLiveDrm, 0);
    EXPECT_EQ(live.checklogo, 0) << "\"0x10\" reads as its leading 0";
    EXPECT_EQ(live.videoDevice.size(), 259);
    const RecordTaskSettings record = ReadRecordTaskSettings(ini);
    EXPECT_EQ(record.streamType, 0);
    EXPECT_EQ(record.checklogo, 1);
}
