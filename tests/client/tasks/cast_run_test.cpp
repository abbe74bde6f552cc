// File and multi-source broadcasts run for real against castora-platform's media server:
// the file groups play in order and come back to the first, a lone file repeats, missing
// files fail at AddSource, and a show switches to its device scene while it runs and
// archives itself.

#include "client/tasks/filecast_dlg.h"
#include "client/tasks/multicast_dlg.h"
#include "client/tasks/task_records.h"
#include "client/widgets/report_list.h"
#include "client/widgets/status_text.h"
#include "encoder_page_fixture.h"
#include "tests/support/qstring_print.h"

#include <QFileInfo>
#include <QLineEdit>

using namespace encoder_page_test;

namespace {

// A short clip of the test pattern and a tone, made by ffmpeg.
QString MakeClip(const QString& folder, const QString& name, int toneHz) {
    const QString path = QDir(folder).filePath(name);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
                  QStringLiteral("sine=frequency=%1").arg(toneHz), "-t", "1.5", "-c:v", "wmv2", "-c:a", "wmav2",
                  path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0 ? path : QString();
}

class CastRun : public EncoderPageSuite {
protected:
    void SetUp() override {
        StartPlatform();
        SignInAs("demo", "demo123");
        for (int i = 0; i < 3; ++i) clips << MakeClip(media_.path(), QStringLiteral("clip%1.wmv").arg(i), 300 + 200 * i);
        ASSERT_FALSE(clips.contains(QString()));
    }
    template <class Page, class Task>
    void Open(std::unique_ptr<Page>& page, Task& task) {
        task.videoProfile = QStringLiteral("视频中质量（256K）");
        task.serverRecord.id = Globals().mediaServers[0].id;
        task.serverRecord.mediaName = Globals().mediaServers[0].name;
        page = std::make_unique<Page>();
        page->SetUp(&view, &task);
        page->resize(page->DesignSize());
        page->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        QObject::connect(FindControlAs<CStatusText>(page.get(), 1019), &CStatusText::shown,
                         [this](const QString& s) { statuses << s; });
    }
    static void Click(QWidget* page, int id) { QTest::mouseClick(FindControlAs<QPushButton>(page, id), Qt::LeftButton); }
    static QString Text(QWidget* page, int id) { return FindControlAs<QLineEdit>(page, id)->text(); }

    QTemporaryDir media_;
    QStringList clips;
    ViewStub view;
    QStringList statuses;
};

TEST_F(CastRun, FilesPlayInOrderAndComeBackToTheFirst) {
    CFileCastTask task;
    task.fileList = clips;
    task.circle = 1;
    std::unique_ptr<CFilecastDlg> page;
    Open(page, task);
    Click(page.get(), 1010);
    ASSERT_TRUE(WaitFor([&] { return statuses.contains("正在运行"); }, 30000)) << statuses.join(",").toStdString();
    const QString point = Text(page.get(), 1051);
    EXPECT_FALSE(point.isEmpty());
    // A player pulling the point gets the broadcast's streams.
    EXPECT_FALSE(Streams(PlayerUrl(point)).isEmpty()) << point.toStdString();
    ASSERT_TRUE(WaitFor([&] { return page->ActiveGroups().size() >= 4; }, 30000))
        << page->ActiveGroups().join(",").toStdString();
    EXPECT_EQ(page->ActiveGroups().mid(0, 4), (QStringList{"FC_0", "FC_1", "FC_2", "FC_0"}));
    Click(page.get(), 1010);
    EXPECT_TRUE(WaitFor([&] { return statuses.contains("已停止"); }, 20000));
    EXPECT_EQ(view.Count(kTaskStarted), 1);
    EXPECT_EQ(view.Count(kTaskStopped), 1);
}

TEST_F(CastRun, OneFileWithCircleRepeatsItself) {
    CFileCastTask task;
    task.fileList = {clips[0]};
    task.circle = 1;
    std::unique_ptr<CFilecastDlg> page;
    Open(page, task);
    Click(page.get(), 1010);
    ASSERT_TRUE(WaitFor([&] { return page->ActiveGroups().size() >= 2; }, 30000))
        << page->ActiveGroups().join(",").toStdString();
    EXPECT_EQ(page->ActiveGroups().mid(0, 2), (QStringList{"FC_0", "FC_0"}));
    Click(page.get(), 1010);
}

TEST_F(CastRun, FilesThatAreGoneOrNoMediaFailToStart) {
    const QString notMedia = media_.filePath("notes.wmv");
    {
        QFile file(notMedia);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a media file at all");
    }
    for (const QStringList& files : {QStringList{media_.filePath("gone.wmv")}, QStringList{clips[0], notMedia}}) {
        statuses.clear();
        CFileCastTask task;
        task.fileList = files;
        std::unique_ptr<CFilecastDlg> page;
        Open(page, task);
        Click(page.get(), 1010);
        EXPECT_TRUE(WaitFor([&] { return statuses.contains("启动失败"); }, 30000)) << statuses.join(",").toStdString();
        EXPECT_EQ(page->PageState(), CEncoderTaskDlg::kIdle);
    }
}

TEST_F(CastRun, ShowSwitchesToItsDeviceSceneAndArchivesItself) {
    CMultiCastTask task;
    task.isRecord = 1;
    task.outputFile = media_.filePath("show.wmv");
    task.sourceList.push_back(std::make_unique<CTSource>("片头", clips[0], ROLL_REPEAT_SCENE));
    task.sourceList.push_back(std::make_unique<CTSource>("现场", "Test Camera", "Test Microphone", ROLL_REPEAT_SCENE));
    task.sourceList.push_back(std::make_unique<CTSource>("片尾", clips[1], ROLL_FIRST_SCENE));
    task.sourceList[1]->groupName += "_2";  // made in one second: groups of their own
    task.sourceList[2]->groupName += "_3";
    std::unique_ptr<CMulticastDlg> page;
    Open(page, task);
    Click(page.get(), 1010);
    ASSERT_TRUE(WaitFor([&] { return statuses.contains("正在运行"); }, 30000)) << statuses.join(",").toStdString();
    ASSERT_TRUE(WaitFor([&] { return page->LiveScene() == 0; }, 20000));
    EXPECT_EQ(Text(page.get(), 1109), "片头");
    CReportList* list = page->SceneList();
    list->SelectRow(0);
    QTest::mouseClick(page->findChild<QPushButton*>("switchScene"), Qt::LeftButton);
    EXPECT_EQ(messages.value(messages.size() - 1), "您不能切换到正在直播的场景！");
    list->SelectRow(1);
    QTest::mouseClick(page->findChild<QPushButton*>("switchScene"), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return page->LiveScene() == 1; }, 20000)) << page->ActiveGroups().join(",").toStdString();
    EXPECT_EQ(Text(page.get(), 1109), "现场");
    EXPECT_EQ(Text(page.get(), 1123), "Test Camera");
    EXPECT_EQ(Text(page.get(), 1125), "Test Microphone");
    EXPECT_EQ(list->topLevelItem(1)->background(0).color(), QColor(0, 255, 0));
    EXPECT_EQ(list->topLevelItem(0)->background(0).style(), Qt::NoBrush);
    test_support::WaitFor([] { return false; }, 1500);
    Click(page.get(), 1010);
    ASSERT_TRUE(WaitFor([&] { return statuses.contains("已停止"); }, 20000));
    EXPECT_GT(QFileInfo(task.outputFile).size(), 10000) << "the archive holds the show";
}

}  // namespace
