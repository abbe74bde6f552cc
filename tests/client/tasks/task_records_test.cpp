// Task records: identifiers, kinds and scenes.

#include "client/tasks/task_records.h"

#include <QDateTime>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Runs `make` until two calls fall within one second of the clock, returning both results.
template <typename Make>
auto TwoInOneSecond(Make make) {
    for (;;) {
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        auto first = make();
        auto second = make();
        if (QDateTime::currentSecsSinceEpoch() == before) return std::pair{std::move(first), std::move(second)};
    }
}

int TrailingNumber(const QString& text, qsizetype prefixLength) { return text.mid(prefixLength).toInt(); }

}  // namespace

TEST(TaskRecords, TaskIdIsTimeAndSeededNumberSoOneSecondGivesOneId) {
    const auto [a, b] = TwoInOneSecond([] { return std::make_unique<CLiveCastTask>(); });
    const QRegularExpression form("^TASK_(\\d{14})(\\d{5})$");
    const auto match = form.match(a->taskId);
    ASSERT_TRUE(match.hasMatch()) << a->taskId.toStdString();
    const QDateTime made = QDateTime::fromString(match.captured(1), "yyyyMMddHHmmss");
    ASSERT_TRUE(made.isValid());
    EXPECT_LE(qAbs(made.secsTo(QDateTime::currentDateTime())), 2);
    const int number = match.captured(2).toInt();
    EXPECT_GE(number, 10000);
    EXPECT_LE(number, 42767);
    EXPECT_EQ(a->taskId, b->taskId);
}

TEST(TaskRecords, EachClassFixesItsKindAndStartsEmpty) {
    EXPECT_EQ(CBaseTask(TASK_FILEDRM).kind, 4);
    EXPECT_EQ(CLiveCastTask().kind, TASK_LIVECAST);
    EXPECT_EQ(CFileCastTask().kind, TASK_FILECAST);
    EXPECT_EQ(CFileUploadTask().kind, TASK_FILEUPLOAD);
    EXPECT_EQ(CFileDrmTask().kind, TASK_FILEDRM);
    EXPECT_EQ(CMultiCastTask().kind, TASK_MULTICAST);
    EXPECT_EQ(CMonitorTask().kind, TASK_MONITOR);

    const CMultiCastTask task;
    EXPECT_EQ(task.runState, 0);
    EXPECT_EQ(task.streamType, 0);
    EXPECT_EQ(task.autoBegin + task.autoStop + task.isLiveDrm + task.checklogo + task.reconn + task.isRecord +
                  task.circle,
              0);
    EXPECT_TRUE(task.beginTime.isEmpty() && task.endTime.isEmpty() && task.videoDevice.isEmpty() &&
                task.audioDevice.isEmpty() && task.videoProfile.isEmpty() && task.outputFile.isEmpty() &&
                task.playPathCopy.isEmpty());
    EXPECT_EQ(task.serverRecord.id, 0);
    EXPECT_TRUE(task.sourceList.empty());

    EXPECT_EQ(TaskKindTitle(TASK_SCHEDULED_RECORD), "本地录制");
    EXPECT_EQ(TaskKindTitle(TASK_LOCAL_RECORD), "本地录制");
    EXPECT_EQ(TaskKindTitle(TASK_MULTICAST), "混排直播");
    EXPECT_EQ(TaskKindTitle(TASK_MONITOR), "家庭直播");
    EXPECT_TRUE(TaskKindTitle(8).isEmpty());
}

TEST(TaskRecords, ScenesNameTheirGroupsByKindTimeAndNumber) {
    const CTSource file("片头", "/media/开场.wmv", ROLL_NEXT_SCENE);
    EXPECT_EQ(file.isFile, 1);
    EXPECT_EQ(file.sceneName, "片头");
    EXPECT_EQ(file.filePath, "/media/开场.wmv");
    EXPECT_EQ(file.rollMode, ROLL_NEXT_SCENE);
    EXPECT_TRUE(file.videoDevice.isEmpty() && file.audioDevice.isEmpty());
    EXPECT_TRUE(QRegularExpression("^SG_FILE_\\d{6}\\d{5}$").match(file.groupName).hasMatch())
        << file.groupName.toStdString();

    const CTSource device("现场", "Test Camera", "Test Microphone", ROLL_REPEAT_SCENE);
    EXPECT_EQ(device.isFile, 0);
    EXPECT_EQ(device.videoDevice, "Test Camera");
    EXPECT_EQ(device.audioDevice, "Test Microphone");
    EXPECT_TRUE(device.filePath.isEmpty());
    EXPECT_TRUE(QRegularExpression("^SG_LIVE_\\d{6}\\d{5}$").match(device.groupName).hasMatch());
    const int number = TrailingNumber(device.groupName, 14);
    EXPECT_GE(number, 10000);
    EXPECT_LE(number, 42767);

    EXPECT_EQ(SceneRollModeText(0), "循环播放该场景");
    EXPECT_EQ(SceneRollModeText(1), "自动滚动到下一场景");
    EXPECT_EQ(SceneRollModeText(2), "自动滚动到第一个场景");
}
