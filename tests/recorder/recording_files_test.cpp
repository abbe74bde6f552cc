// What the recorder writes around a recording: the names of the file, the upload queue
// item in "ftpconfigure.ini", the recording folder and the trace log.

#include "platform/code_page.h"
#include "platform/ini_store.h"
#include "platform/sync.h"
#include "recorder/recorder_globals.h"
#include "recorder/recorder_trace.h"
#include "recorder/recording_folder.h"
#include "recorder/recording_names.h"
#include "recorder/upload_queue.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString WriteBytes(const QString& path, qint64 size) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(QByteArray(static_cast<int>(size), 'x'));
    return path;
}

TEST(RecordingNames, VideoFilesCarryTheTimeAndANumberAudioFilesOnlyTheTime) {
    RecordingSettings settings{"/rec", "Test Camera", "Test Microphone", "视频中质量（256K）"};
    const QDateTime start(QDate(2024, 3, 9), QTime(23, 5, 7));
    const RecordingPlan video = PlanRecording(settings, "/rec/", "/opt/castora/", start, 12345);
    EXPECT_EQ(video.groupName, "record_1");
    EXPECT_EQ(video.videoSource, "DEVICE://Test Camera");
    EXPECT_EQ(video.audioSource, "DEVICE://Test Microphone");
    EXPECT_EQ(video.profileDir, "/opt/castora/Profiles/");
    EXPECT_EQ(video.profileName, "pal_视频中质量（256K）");
    EXPECT_FALSE(video.audioOnly);
    EXPECT_EQ(video.dateText, "2024-03-09");
    EXPECT_EQ(video.fileName, "2024030923050712345.wmv");
    EXPECT_EQ(video.outputFile, "/rec/2024030923050712345.wmv");

    settings.videoDevice = "only audio";
    settings.quality = "音频中质量（64K）";
    const RecordingPlan audio = PlanRecording(settings, "/rec", "/opt/castora/", start, 12345);
    EXPECT_TRUE(audio.audioOnly) << "\"Only Audio\" is recognised without regard to case";
    EXPECT_EQ(audio.fileName, "20240309230507.wma");
    EXPECT_EQ(audio.profileName, "pal_音频中质量（64K）");
}

class UploadQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Recorder().newFileQueued = 0;
    }
    QString Queue() const { return dir.filePath("ftpconfigure.ini"); }
    QString Item(int i, const char* key) const {
        return platform::GetPrivateProfileString(QStringLiteral("FTP_%1").arg(i), QString::fromLatin1(key), "<none>",
                                                 Queue());
    }
    int Count() const { return platform::GetPrivateProfileInt("FTP", "FILECOUNT", -1, Queue()); }

    QTemporaryDir dir;
};

TEST_F(UploadQueueTest, OnlyFilesAbove102400BytesAreQueued) {
    platform::Event queued(true, false);
    const QString small = WriteBytes(dir.filePath("small.wmv"), 102400);
    EXPECT_FALSE(QueueUpload(Queue(), &queued, {small, "07:00:00", "07:30:00", "11-101", "2024-03-09", "2001"}));
    EXPECT_FALSE(queued.IsSet());
    EXPECT_EQ(Count(), -1);
    EXPECT_FALSE(QueueUpload(Queue(), &queued, {dir.filePath("missing.wmv"), "", "", "", "", ""}));

    const QString big = WriteBytes(dir.filePath("big.wmv"), 102401);
    ASSERT_TRUE(QueueUpload(Queue(), &queued, {big, "07:00:00", "07:30:00", "11-101", "2024-03-09", "2001"}));
    EXPECT_TRUE(queued.IsSet());
    EXPECT_EQ(Recorder().newFileQueued.load(), 1);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Item(0, "FILENAME"), big);
    EXPECT_EQ(Item(0, "FILELEN"), "102401");
    EXPECT_EQ(Item(0, "begintime"), "07:00:00");
    EXPECT_EQ(Item(0, "endtime"), "07:30:00");
    EXPECT_EQ(Item(0, "recodertime"), "2024-03-09");
    EXPECT_EQ(Item(0, "pgid"), "11");
    EXPECT_EQ(Item(0, "channelID"), "101");
    EXPECT_EQ(Item(0, "Showid"), "2001");
    EXPECT_EQ(Item(0, "FTPSTATE"), "0");
}

TEST_F(UploadQueueTest, ProgrammeIdsWithoutAChannelAndCustomShows) {
    const QString file = WriteBytes(dir.filePath("a.wmv"), 200000);
    ASSERT_TRUE(QueueUpload(Queue(), nullptr, {file, "09:00:00", "10:00:00", "111", "2024-03-09", ""}));
    ASSERT_TRUE(QueueUpload(Queue(), nullptr, {file, "09:00:00", "10:00:00", "", "2024-03-09", ""}));
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Item(0, "pgid"), "111");
    EXPECT_EQ(Item(0, "channelID"), "") << "a PGID without \"-\" has an empty channel part";
    EXPECT_EQ(platform::GetPrivateProfileInt("FTP_0", "channelID", -1, Queue()), -1);
    EXPECT_EQ(Item(1, "pgid"), "0");
    EXPECT_EQ(Item(1, "channelID"), "0");
    EXPECT_EQ(Item(1, "Showid"), "");
    EXPECT_EQ(Item(1, "FTPSTATE"), "0");
}

TEST(RecordingFolder, EmptyMissingAndExistingSettings) {
    QTemporaryDir program;
    const QString folder = program.path() + '/';
    EXPECT_EQ(ChooseRecordingFolder("", folder), folder + "TVRecord");
    EXPECT_TRUE(QDir(folder + "TVRecord").exists());
    EXPECT_EQ(ChooseRecordingFolder(folder + "vanished", folder), folder + "save");
    EXPECT_TRUE(QDir(folder + "save").exists());
    EXPECT_FALSE(QDir(folder + "vanished").exists());
    QDir().mkpath(folder + "mine");
    EXPECT_EQ(ChooseRecordingFolder(folder + "mine", folder), folder + "mine");
    EXPECT_GT(FreeSpaceMegabytes(folder), 0);
}

TEST(RecorderTraceLog, DatedGbkLinesAndNothingWithoutTheLogFolder) {
    QTemporaryDir program;
    Recorder().programFolder = program.path() + '/';
    RecorderTrace("正在录制");
    EXPECT_FALSE(QFile::exists(RecorderTracePath())) << "without a log folder the line is lost";
    QDir(program.path()).mkpath("log");
    RecorderTrace("正在录制");
    RecorderTrace("StartRecordThread");
    QFile f(RecorderTracePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 3);
    const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d $");
    EXPECT_TRUE(stamp.match(QString::fromLatin1(lines[0].left(20))).hasMatch()) << lines[0].toStdString();
    EXPECT_EQ(lines[0].mid(20), platform::ToAnsi("正在录制"));
    EXPECT_EQ(lines[1].mid(20), "StartRecordThread");
    EXPECT_FALSE(bytes.contains('\r'));
    Recorder().programFolder.clear();
}

}  // namespace
