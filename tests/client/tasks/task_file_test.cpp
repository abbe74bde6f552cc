// Task configuration files: what a page saves and a wizard imports.

#include "client/tasks/task_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteText(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

// Live DRM material as the service hands it to a task; none of it may reach a file.
void FillKeyMaterial(TaskServerInfo& server) {
    server.serverPass = "push-secret-7c1";
    server.privateKey = "PRIVKEY-a81f";
    server.signedPublicKey = "SIGNEDPUB-33d0";
    server.licSrvCert = "LICCERT-90aa";
    server.rootCert = "ROOTCERT-12ef";
    server.publicKey = "PUBKEY-5b5b";
    server.seed = "SEED-e4e4";
    server.kid = "KID-7070";
}

void ExpectNoKeyMaterial(const QByteArray& bytes) {
    for (const char* secret : {"push-secret", "PRIVKEY", "SIGNEDPUB", "LICCERT", "ROOTCERT", "PUBKEY", "SEED-", "KID-"})
        EXPECT_FALSE(bytes.contains(secret)) << secret;
}

}  // namespace

TEST(TaskFile, FileBroadcastWrittenAndReadBackIsTheSameRecordWithItsList) {
    QTemporaryDir dir;
    CFileCastTask saved;
    saved.streamType = 1;
    saved.checklogo = 1;
    saved.videoProfile = "音频高质量（128K）";
    saved.autoBegin = 1;
    saved.beginTime = "2031-05-06 07:08:09";
    saved.autoStop = 1;
    saved.endTime = "2031-05-06 09:00:00";
    saved.reconn = 1;
    saved.isLiveDrm = 1;
    saved.circle = 1;
    saved.serverRecord.id = 2;
    saved.serverRecord.mediaName = "华东媒体服务器";
    saved.fileList = {"/home/op/节目/第一集.wma", "/home/op/with space/b.mp3", "/srv/c=d.wma"};
    FillKeyMaterial(saved.serverRecord);
    const QString path = dir.filePath("20310506070809.tft");
    ASSERT_TRUE(WriteTaskFile(path, saved));

    CFileCastTask loaded;
    ASSERT_TRUE(ReadTaskFile(path, loaded));
    EXPECT_EQ(loaded.streamType, 1);
    EXPECT_EQ(loaded.checklogo, 1);
    EXPECT_EQ(loaded.videoProfile, saved.videoProfile);
    EXPECT_EQ(loaded.autoBegin, 1);
    EXPECT_EQ(loaded.beginTime, saved.beginTime);
    EXPECT_EQ(loaded.autoStop, 1);
    EXPECT_EQ(loaded.endTime, saved.endTime);
    EXPECT_EQ(loaded.reconn, 1);
    EXPECT_EQ(loaded.isLiveDrm, 1);
    EXPECT_EQ(loaded.circle, 1);
    EXPECT_EQ(loaded.serverRecord.id, 2);
    EXPECT_EQ(loaded.serverRecord.mediaName, "华东媒体服务器");
    EXPECT_EQ(loaded.fileList, saved.fileList);
    EXPECT_NE(loaded.taskId, QString()) << "reading keeps the record's own id";

    const QByteArray bytes = FileBytes(path);
    EXPECT_TRUE(bytes.contains("[TASK]"));
    EXPECT_TRUE(bytes.contains("[FILELIST]"));
    EXPECT_TRUE(bytes.contains("filecount=3"));
    EXPECT_TRUE(bytes.contains("mserverId=2"));
    EXPECT_FALSE(bytes.contains("outputFile"));
    ExpectNoKeyMaterial(bytes);
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files) == QStringList{"20310506070809.tft"}) << "no stray files";
}

TEST(TaskFile, WithoutFileListReadsAsEmptyListWithZeroAndEmptyValues) {
    QTemporaryDir dir;
    const QString path = dir.filePath("bare.tft");
    WriteText(path, "[TASK]\r\nvideoProfile=视频低质量（128K）\r\n");
    CFileCastTask loaded;
    loaded.fileList = {"stale"};
    loaded.reconn = 1;
    ASSERT_TRUE(ReadTaskFile(path, loaded));
    EXPECT_TRUE(loaded.fileList.isEmpty());
    EXPECT_EQ(loaded.videoProfile, "视频低质量（128K）");
    EXPECT_EQ(loaded.reconn, 0);
    EXPECT_EQ(loaded.streamType + loaded.checklogo + loaded.autoBegin + loaded.autoStop + loaded.isLiveDrm +
                  loaded.circle + loaded.serverRecord.id,
              0);
    EXPECT_TRUE(loaded.beginTime.isEmpty() && loaded.endTime.isEmpty() && loaded.serverRecord.mediaName.isEmpty());

    CFileCastTask missing;
    EXPECT_FALSE(ReadTaskFile(dir.filePath("none.tft"), missing));
    EXPECT_TRUE(missing.fileList.isEmpty());
}

TEST(TaskFile, MultiSourceKeepsOutputOnlyWhileRecordingAndNoScenes) {
    QTemporaryDir dir;
    CMultiCastTask saved;
    saved.isRecord = 0;
    saved.outputFile = "/tmp/left-over.wmv";
    saved.videoProfile = "视频中质量（256K）";
    saved.sourceList.push_back(std::make_unique<CTSource>("片头", "/media/a.wmv", ROLL_NEXT_SCENE));
    FillKeyMaterial(saved.serverRecord);
    const QString path = dir.filePath("a.tmt");
    ASSERT_TRUE(WriteTaskFile(path, saved));
    const QByteArray bytes = FileBytes(path);
    EXPECT_FALSE(bytes.contains("left-over"));
    EXPECT_TRUE(bytes.contains("isRecord=0"));
    EXPECT_FALSE(bytes.contains("FILELIST"));
    EXPECT_FALSE(bytes.contains("片头"));
    ExpectNoKeyMaterial(bytes);

    // A hand-edited file holding an output file with recording off still reads it as empty.
    WriteText(path, "[TASK]\nisRecord=0\noutputFile=/tmp/x.wmv\n");
    CMultiCastTask loaded;
    ReadTaskFile(path, loaded);
    EXPECT_TRUE(loaded.outputFile.isEmpty());

    saved.isRecord = 1;
    saved.outputFile = "/home/op/save/节目.wmv";
    ASSERT_TRUE(WriteTaskFile(path, saved));
    ReadTaskFile(path, loaded);
    EXPECT_EQ(loaded.isRecord, 1);
    EXPECT_EQ(loaded.outputFile, "/home/op/save/节目.wmv");
    EXPECT_EQ(loaded.videoProfile, "视频中质量（256K）");
}

TEST(TaskFile, ReplacingAFileLeavesNothingOfTheOldOne) {
    QTemporaryDir dir;
    const QString path = dir.filePath("t.tft");
    CFileCastTask task;
    task.fileList = {"/a.wma", "/b.wma", "/c.wma"};
    ASSERT_TRUE(WriteTaskFile(path, task));
    task.fileList = {"/z.wma"};
    ASSERT_TRUE(WriteTaskFile(path, task));
    const QByteArray bytes = FileBytes(path);
    EXPECT_FALSE(bytes.contains("/b.wma"));
    EXPECT_FALSE(bytes.contains("/c.wma"));

    // A folder that does not exist cannot take the file: reported, nothing left behind.
    EXPECT_FALSE(WriteTaskFile(dir.filePath("no/such/folder/t.tft"), task));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"t.tft"});
}

TEST(TaskFile, GarbageValuesReadAsWhatThePagesOffer) {
    QTemporaryDir dir;
    const QString path = dir.filePath("garbage.tft");
    WriteText(path,
              "[TASK]\n"
              "streamType=7\n"
              "checklogo=-1\n"
              "reconn=yes\n"
              "autoBegin=1\n"
              "beginTime=next tuesday\n"
              "autoStop=1\n"
              "endTime=2031-13-45 99:99:99\n"
              "mserverId=12abc\n"
              "circle=99999999999999999999\n"
              "[FILELIST]\n"
              "filecount=2147483647\n"
              "0=/a.wma\n"
              "1=/b.wma\n"
              "3=/after-a-gap.wma\n");
    CFileCastTask loaded;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(ReadTaskFile(path, loaded));
    EXPECT_LT(clock.elapsed(), 5000) << "a huge filecount must not be walked";
    EXPECT_EQ(loaded.streamType, 0);
    EXPECT_EQ(loaded.checklogo, 1);
    EXPECT_EQ(loaded.reconn, 0);
    EXPECT_EQ(loaded.autoBegin, 0) << "no start time, so no automatic start";
    EXPECT_TRUE(loaded.beginTime.isEmpty());
    EXPECT_EQ(loaded.autoStop, 0);
    EXPECT_TRUE(loaded.endTime.isEmpty());
    EXPECT_EQ(loaded.serverRecord.id, 12);
    EXPECT_EQ(loaded.circle, 1);
    EXPECT_EQ(loaded.fileList, (QStringList{"/a.wma", "/b.wma"}));

    WriteText(path, "[FILELIST]\nfilecount=-5\n0=/a.wma\n");
    ReadTaskFile(path, loaded);
    EXPECT_TRUE(loaded.fileList.isEmpty());

    // Not an INI file at all.
    QByteArray binary(4096, '\0');
    for (int i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 131) & 0xFF);
    WriteText(path, binary);
    ReadTaskFile(path, loaded);
    EXPECT_TRUE(loaded.fileList.isEmpty());
    EXPECT_EQ(loaded.streamType, 0);
}

TEST(TaskFile, NamesAndFiltersByKind) {
    EXPECT_EQ(TaskFileExtension(TASK_FILECAST), "tft");
    EXPECT_EQ(TaskFileExtension(TASK_MULTICAST), "tmt");
    EXPECT_TRUE(TaskFileExtension(TASK_LIVECAST).isEmpty());
    EXPECT_EQ(TaskFileFilter(TASK_FILECAST), "文件直播任务配置文件 (*.tft)");
    EXPECT_EQ(TaskFileFilter(TASK_MULTICAST), "文件直播任务配置文件 (*.tmt)");
    EXPECT_TRUE(QRegularExpression("^\\d{14}\\.tmt$").match(DefaultTaskFileName(TASK_MULTICAST)).hasMatch());
}
