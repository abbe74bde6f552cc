// The file and multi-source wizards and the scene dialog, driven through their real
// windows: Next/Back/Finish buttons, the folder browser and file list, importing a task
// file through the real open dialog, and every refusal the pages make.

#include "client/shell/client_globals.h"
#include "client/shell/message_box.h"
#include "client/tasks/file_cast_sheet.h"
#include "client/tasks/file_pg.h"
#include "client/tasks/first_pg.h"
#include "client/tasks/multi_cast_sheet.h"
#include "client/tasks/output_pg.h"
#include "client/tasks/server_list_pg.h"
#include "client/tasks/srcset_dlg.h"
#include "client/tasks/task_file.h"
#include "client/tasks/task_records.h"
#include "client/tasks/time_pg.h"
#include "client/widgets/file_list_ctrl.h"
#include "client/widgets/folder_combo_box.h"
#include "file_dialog_script.h"
#include "tests/support/gui_test.h"
#include "tests/support/qstring_print.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QRegularExpression>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

using test_support::WaitFor;

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
}

// Clicks a check box or radio button on its indicator, where a click toggles it.
void Tick(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

template <class T>
T* Child(QWidget* root, const char* name) {
    T* child = root->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        test_support::App();
        // The folder browser starts at the home folder: one of our own with media in it.
        oldHome_ = qgetenv("HOME");
        qputenv("HOME", home_.path().toLocal8Bit());
        QDir(home_.path()).mkdir("clips");
        for (const char* name : {"a.wmv", "b.wmv", "c.wmv", "notes.txt", "clips/d.wma"})
            Touch(home_.filePath(QString::fromLatin1(name)));
        Globals().programFolder = program_.path() + "/";
        Globals().mediaServers = {{7, QStringLiteral("媒体服务器一")}, {9, QStringLiteral("媒体服务器二")}};
        Globals().account.drmCount = 3;
        SetMessageBoxResponder([this](const MessageBoxRequest& request) {
            messages << request.text;
            captions << request.caption;
            return reply;
        });
    }
    void TearDown() override {
        SetMessageBoxResponder(nullptr);
        qputenv("HOME", oldHome_);
        Globals().mediaServers.clear();
    }

    static void Click(QWizard& sheet, QWizard::WizardButton which) {
        QAbstractButton* button = sheet.button(which);
        ASSERT_TRUE(button && button->isVisible() && button->isEnabled()) << which;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static void DoubleClickEntry(CFileListCtrl* list, const QString& name) {
        ASSERT_TRUE(WaitFor([&] { return list->Entries().contains(name); })) << name.toStdString();
        const QModelIndex index = list->model()->index(static_cast<int>(list->Entries().indexOf(name)), 0);
        const QPoint at = list->visualRect(index).center();
        // A press and release first, as a real double click makes them.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    // Sets a date and time box as the operator would type them.
    static void TypeTime(QDateEdit* date, QTimeEdit* time, const QDateTime& when) {
        date->setDate(when.date());
        time->setTime(when.time());
    }

    QTemporaryDir home_, program_;
    QByteArray oldHome_;
    QStringList messages, captions;
    int reply = IDOK;
};

TEST_F(Wizard, FileCastCollectsFilesServerAndTimesPageByPage) {
    CFileCastSheet sheet;
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), "新建会话向导");
    EXPECT_FALSE(sheet.button(QWizard::BackButton)->isVisible()) << "only Next on the first page";
    Click(sheet, QWizard::NextButton);

    // Type page.
    auto* streamType = Child<QComboBox>(&sheet, "streamType");
    EXPECT_EQ(streamType->currentText(), "视音频");
    Tick(Child<QCheckBox>(&sheet, "checklogo"));
    Tick(Child<QCheckBox>(&sheet, "reconn"));
    Click(sheet, QWizard::NextButton);

    // File page: Next with nothing chosen is refused.
    CFilePg* files = sheet.FilePage();
    Click(sheet, QWizard::NextButton);
    EXPECT_EQ(messages, QStringList{"您必须添加直播的文件！"});
    EXPECT_EQ(sheet.currentPage(), files);
    CFileListCtrl* list = files->Files();
    EXPECT_EQ(files->Folders()->GetSelectedPath(), QDir(home_.path()).absolutePath());
    ASSERT_TRUE(WaitFor([&] { return list->Entries().size() == 5; })) << list->Entries().join(",").toStdString();
    EXPECT_EQ(list->Entries(), (QStringList{"..", "clips", "a.wmv", "b.wmv", "c.wmv"})) << "no text files";
    DoubleClickEntry(list, "c.wmv");
    DoubleClickEntry(list, "a.wmv");
    DoubleClickEntry(list, "b.wmv");
    DoubleClickEntry(list, "a.wmv");
    EXPECT_EQ(messages.last(), "您已经添加了该文件！");
    // Into the sub-folder and back up through "..".
    DoubleClickEntry(list, "clips");
    ASSERT_TRUE(WaitFor([&] { return list->Entries() == QStringList{"..", "d.wma"}; }))
        << list->Entries().join(",").toStdString();
    EXPECT_TRUE(files->Folders()->GetSelectedPath().endsWith("/clips"));
    DoubleClickEntry(list, "..");
    ASSERT_TRUE(WaitFor([&] { return list->Entries().contains("a.wmv"); }));
    const QString a = home_.filePath("a.wmv"), b = home_.filePath("b.wmv"), c = home_.filePath("c.wmv");
    EXPECT_EQ(files->FileList(), (QStringList{c, a, b}));
    // The first file down to the end: a, b, c.
    auto* chosen = Child<QListWidget>(&sheet, "fileList");
    chosen->setCurrentRow(0);
    QTest::mouseClick(Child<QPushButton>(&sheet, "moveDown"), Qt::LeftButton);
    QTest::mouseClick(Child<QPushButton>(&sheet, "moveDown"), Qt::LeftButton);
    EXPECT_EQ(files->FileList(), (QStringList{a, b, c}));
    auto* profile = Child<QComboBox>(&sheet, "videoProfile");
    EXPECT_EQ(profile->count(), 3);
    EXPECT_EQ(profile->itemText(0), "视频低质量（128K）");
    profile->setCurrentIndex(2);
    Tick(Child<QCheckBox>(&sheet, "circle"));
    Click(sheet, QWizard::NextButton);

    // Server page.
    auto* servers = Child<QComboBox>(&sheet, "mediaServer");
    EXPECT_EQ(servers->count(), 2);
    servers->setCurrentIndex(1);
    Click(sheet, QWizard::NextButton);

    // Time page: the end before now, begin not before the end.
    auto* autoStop = Child<QCheckBox>(&sheet, "autoStop");
    auto* autoBegin = Child<QCheckBox>(&sheet, "autoBegin");
    const QDateTime past = QDateTime::currentDateTime().addSecs(-60);
    TypeTime(Child<QDateEdit>(&sheet, "endDate"), Child<QTimeEdit>(&sheet, "endTime"), past);
    Tick(autoStop);
    messages.clear();
    Click(sheet, QWizard::FinishButton);
    EXPECT_EQ(messages, QStringList{"结束时间必须大于当前时间！"}) << "even with automatic start off";
    const QDateTime later = QDateTime::currentDateTime().addSecs(3600);
    TypeTime(Child<QDateEdit>(&sheet, "endDate"), Child<QTimeEdit>(&sheet, "endTime"), later);
    TypeTime(Child<QDateEdit>(&sheet, "beginDate"), Child<QTimeEdit>(&sheet, "beginTime"), later);
    Tick(autoBegin);
    Click(sheet, QWizard::FinishButton);
    EXPECT_EQ(messages.last(), "开始时间必须小于结束时间！");
    EXPECT_TRUE(sheet.isVisible());
    TypeTime(Child<QDateEdit>(&sheet, "beginDate"), Child<QTimeEdit>(&sheet, "beginTime"), later.addSecs(-600));
    Click(sheet, QWizard::FinishButton);
    EXPECT_EQ(messages.size(), 2);
    EXPECT_EQ(sheet.result(), CBaseSheet::kWizardFinished);

    CFileCastTask task;
    sheet.FillRecord(task);
    EXPECT_EQ(task.fileList, (QStringList{a, b, c}));
    EXPECT_EQ(task.videoProfile, "视频高质量（512K）");
    EXPECT_EQ(task.circle, 1);
    EXPECT_EQ(task.checklogo, 1);
    EXPECT_EQ(task.reconn, 1);
    EXPECT_EQ(task.isLiveDrm, 0);
    EXPECT_EQ(task.streamType, 0);
    EXPECT_EQ(task.serverRecord.id, 9);
    EXPECT_EQ(task.serverRecord.mediaName, "媒体服务器二");
    EXPECT_EQ(task.autoBegin, 1);
    EXPECT_EQ(task.beginTime, later.addSecs(-600).toString("yyyy-MM-dd HH:mm:ss"));
    EXPECT_EQ(task.autoStop, 1);
    EXPECT_EQ(task.endTime, later.toString("yyyy-MM-dd HH:mm:ss"));
}

TEST_F(Wizard, AudioFilesGetTheAudioQualities) {
    CFileCastSheet sheet;
    sheet.show();
    Click(sheet, QWizard::NextButton);
    Click(sheet, QWizard::NextButton);
    CFilePg* files = sheet.FilePage();
    DoubleClickEntry(files->Files(), "clips");
    DoubleClickEntry(files->Files(), "d.wma");
    auto* profile = Child<QComboBox>(&sheet, "videoProfile");
    EXPECT_EQ(profile->itemText(0), "音频低质量（32K）");
    EXPECT_EQ(profile->currentText(), "音频中质量（64K）");
}

TEST_F(Wizard, ImportedTaskFileFillsThePagesAndFinishesTheSame) {
    CFileCastTask saved;
    saved.streamType = 1;
    saved.checklogo = 1;
    saved.videoProfile = "音频高质量（128K）";
    saved.reconn = 1;
    saved.isLiveDrm = 1;
    saved.circle = 1;
    saved.serverRecord.id = 9;
    saved.serverRecord.mediaName = "媒体服务器二";
    saved.autoStop = 1;
    saved.endTime = QDateTime::currentDateTime().addDays(1).toString("yyyy-MM-dd HH:mm:ss");
    // Files that are long gone still fill the list.
    saved.fileList = {"/gone/一.wma", "/gone/二.mp3"};
    const QString path = home_.filePath("saved.tft");
    ASSERT_TRUE(WriteTaskFile(path, saved));

    CFileCastSheet sheet;
    sheet.show();
    // Import ticked without a file is refused.
    Tick(Child<QRadioButton>(&sheet, "importTask"));
    Click(sheet, QWizard::NextButton);
    EXPECT_EQ(messages, QStringList{"必须指定导入任务的配置文件！"});
    {
        FileDialogScript script({path});
        QTest::mouseClick(Child<QPushButton>(&sheet, "browseImport"), Qt::LeftButton);
        ASSERT_EQ(script.titles.size(), 1);
        EXPECT_EQ(script.titles[0], "导入任务配置文件");
        EXPECT_EQ(script.filters[0], "文件直播任务配置文件 (*.tft)");
    }
    EXPECT_EQ(Child<QLineEdit>(&sheet, "importPath")->text(), path);
    for (int page = 0; page < 4; ++page) Click(sheet, QWizard::NextButton);
    EXPECT_EQ(sheet.currentPage(), sheet.TimePage());
    Click(sheet, QWizard::FinishButton);
    ASSERT_EQ(sheet.result(), CBaseSheet::kWizardFinished) << messages.join(",").toStdString();

    CFileCastTask task;
    sheet.FillRecord(task);
    EXPECT_EQ(task.fileList, saved.fileList);
    EXPECT_EQ(task.streamType, 1);
    EXPECT_EQ(task.checklogo, 1);
    EXPECT_EQ(task.videoProfile, saved.videoProfile);
    EXPECT_EQ(task.reconn, 1);
    EXPECT_EQ(task.isLiveDrm, 1);
    EXPECT_EQ(task.circle, 1);
    EXPECT_EQ(task.serverRecord.id, 9);
    EXPECT_EQ(task.serverRecord.mediaName, "媒体服务器二");
    EXPECT_EQ(task.autoBegin, 0);
    EXPECT_EQ(task.beginTime, "");
    EXPECT_EQ(task.autoStop, 1);
    EXPECT_EQ(task.endTime, saved.endTime);
}

TEST_F(Wizard, BadTaskFilesNeverLoadHalfway) {
    CFileCastSheet sheet;
    sheet.show();
    // A folder and a missing file cannot be read: nothing imported, Next still refused.
    EXPECT_FALSE(sheet.FirstPage()->ChooseImportFile(home_.path()));
    EXPECT_FALSE(sheet.FirstPage()->ChooseImportFile(home_.filePath("missing.tft")));
    Click(sheet, QWizard::NextButton);
    EXPECT_EQ(messages, QStringList{"必须指定导入任务的配置文件！"});
    // Garbage and huge values read as what a page can show.
    const QString garbage = home_.filePath("garbage.tft");
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("\x01\xff\xfe garbage\n[TASK]\nstreamType=99999999999999999999\nmserverId=-5\n"
                   "beginTime=tomorrow\nautoBegin=1\n[FILELIST]\nfilecount=2147483647\n0=/x.wmv\n");
    }
    EXPECT_TRUE(sheet.FirstPage()->ChooseImportFile(garbage));
    EXPECT_EQ(sheet.FilePage()->FileList(), QStringList{"/x.wmv"});
    Click(sheet, QWizard::NextButton);
    EXPECT_EQ(Child<QComboBox>(&sheet, "streamType")->currentIndex(), 0);
    for (int page = 0; page < 3; ++page) Click(sheet, QWizard::NextButton);
    EXPECT_FALSE(Child<QCheckBox>(&sheet, "autoBegin")->isChecked()) << "an unreadable time switches its start off";
}

TEST_F(Wizard, ServerPageNeedsAServerOfTheList) {
    Globals().mediaServers.clear();
    CFileCastSheet sheet;
    sheet.show();
    sheet.FilePage()->Load({"/x.wmv"}, 0, QString());
    for (int page = 0; page < 3; ++page) Click(sheet, QWizard::NextButton);
    Click(sheet, QWizard::NextButton);
    EXPECT_EQ(messages, QStringList{"没有选择媒体服务器！"});
    EXPECT_EQ(sheet.currentPage(), sheet.ServerPage());
}

TEST_F(Wizard, CancelledAtAnyPageFillsNothing) {
    for (int pagesForward = 0; pagesForward < 5; ++pagesForward) {
        CFileCastTask task;
        task.videoProfile = "untouched";
        QTimer driver;
        int step = 0;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* sheet = qobject_cast<CFileCastSheet*>(QApplication::activeModalWidget());
            if (!sheet) return;
            if (step == 0) sheet->FilePage()->Load({"/x.wmv"}, 0, QString());
            if (step++ < pagesForward) {
                sheet->button(QWizard::NextButton)->click();
            } else {
                QTest::mouseClick(sheet->button(QWizard::CancelButton), Qt::LeftButton);
            }
        });
        driver.start(30);
        EXPECT_FALSE(RunFileCastSheet(nullptr, task)) << pagesForward;
        EXPECT_EQ(task.videoProfile, "untouched");
        EXPECT_TRUE(task.fileList.isEmpty());
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(",").toStdString();
}

TEST_F(Wizard, MultiCastProfileOutputAndRecord) {
    CMultiCastSheet sheet;
    sheet.show();
    Click(sheet, QWizard::NextButton);
    Child<QComboBox>(&sheet, "streamType")->setCurrentIndex(1);
    Click(sheet, QWizard::NextButton);
    // Profile page: audio qualities, none chosen yet.
    auto* profile = Child<QComboBox>(&sheet, "videoProfile");
    EXPECT_EQ(profile->itemText(2), "音频高质量（128K）");
    Click(sheet, QWizard::NextButton);
    EXPECT_EQ(messages, QStringList{"您必须选择配置文件！"});
    profile->setCurrentIndex(0);
    Tick(Child<QCheckBox>(&sheet, "circle"));
    Click(sheet, QWizard::NextButton);
    Click(sheet, QWizard::NextButton);
    // Output page: a default file in the program's "save" folder, which now exists.
    auto* output = Child<QLineEdit>(&sheet, "outputFile");
    EXPECT_TRUE(QDir(program_.filePath("save")).exists());
    EXPECT_TRUE(QRegularExpression("/save/\\d{14}\\.wma$").match(output->text()).hasMatch()) << output->text().toStdString();
    Tick(Child<QCheckBox>(&sheet, "isRecord"));
    output->clear();
    Click(sheet, QWizard::NextButton);
    EXPECT_EQ(messages.last(), "您必须指定输出的节目文件！");
    // Browse to an existing file: asked first; Cancel shows the dialog again.
    const QString existing = program_.filePath("show.wma");
    Touch(existing);
    {
        FileDialogScript script({existing, existing});
        QList<int> replies{IDCANCEL, IDOK};
        SetMessageBoxResponder([&](const MessageBoxRequest& request) {
            messages << request.text;
            captions << request.caption;
            return replies.takeFirst();
        });
        QTest::mouseClick(Child<QPushButton>(&sheet, "browseOutput"), Qt::LeftButton);
        ASSERT_EQ(script.titles.size(), 2);
        EXPECT_EQ(script.titles[0], "浏览输出文件");
        EXPECT_EQ(script.filters[0], "Windows Media 音频文件(*.wma)");
    }
    EXPECT_EQ(messages.last(), "该文件已存在，是否替换？");
    EXPECT_EQ(captions.last(), "提示");
    EXPECT_EQ(output->text(), existing);
    Click(sheet, QWizard::NextButton);
    Click(sheet, QWizard::FinishButton);
    ASSERT_EQ(sheet.result(), CBaseSheet::kWizardFinished);

    CMultiCastTask task;
    sheet.FillRecord(task);
    EXPECT_EQ(task.streamType, 1);
    EXPECT_EQ(task.videoProfile, "音频低质量（32K）");
    EXPECT_EQ(task.circle, 1);
    EXPECT_EQ(task.isRecord, 1);
    EXPECT_EQ(task.outputFile, existing);
    EXPECT_EQ(task.serverRecord.id, 7);
    EXPECT_TRUE(task.sourceList.empty());

    // Recording off: no output file, whatever the page held.
    Tick(Child<QCheckBox>(&sheet, "isRecord"));
    sheet.FillRecord(task);
    EXPECT_EQ(task.isRecord, 0);
    EXPECT_EQ(task.outputFile, "");
}

TEST_F(Wizard, MultiCastImportsItsTaskFile) {
    CMultiCastTask saved;
    saved.videoProfile = "视频中质量（256K）";
    saved.isRecord = 1;
    saved.outputFile = "/tmp/show.wmv";
    saved.serverRecord.id = 7;
    const QString path = home_.filePath("show.tmt");
    ASSERT_TRUE(WriteTaskFile(path, saved));
    CMultiCastSheet sheet;
    sheet.show();
    {
        FileDialogScript script({path});
        Tick(Child<QRadioButton>(&sheet, "importTask"));
        QTest::mouseClick(Child<QPushButton>(&sheet, "browseImport"), Qt::LeftButton);
        ASSERT_EQ(script.filters.size(), 1);
        EXPECT_EQ(script.filters[0], "文件直播任务配置文件 (*.tmt)");
    }
    for (int page = 0; page < 5; ++page) Click(sheet, QWizard::NextButton);
    Click(sheet, QWizard::FinishButton);
    ASSERT_EQ(sheet.result(), CBaseSheet::kWizardFinished) << messages.join(",").toStdString();
    CMultiCastTask task;
    sheet.FillRecord(task);
    EXPECT_EQ(task.videoProfile, saved.videoProfile);
    EXPECT_EQ(task.isRecord, 1);
    EXPECT_EQ(task.outputFile, saved.outputFile);
    EXPECT_EQ(task.serverRecord.mediaName, "媒体服务器一");
}

TEST_F(Wizard, SceneDialogChecksItsFields) {
    Globals().videoDevices = {{kScreenCaptureDevice, 2, 0}, {"摄像头一", 2, 1}, {"摄像头二", 2, 0}};
    Globals().audioDevices = {{"麦克风", 1, 0}};
    {
        CSrcsetDlg dialog(0, nullptr);
        dialog.show();
        auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_EQ(messages.last(), "场景名称不能为空！");
        Child<QLineEdit>(&dialog, "sceneName")->setText("片头");
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible()) << "a file scene needs its file";
        {
            FileDialogScript script({home_.filePath("a.wmv")});
            QTest::mouseClick(Child<QPushButton>(&dialog, "browseFile"), Qt::LeftButton);
            ASSERT_EQ(script.titles.size(), 1);
            EXPECT_EQ(script.titles[0], "场景文件");
            EXPECT_EQ(script.filters[0], "视频文件 (*.asf *.avi *.mpg *.wmv)");
        }
        auto* roll = Child<QComboBox>(&dialog, "rollMode");
        EXPECT_EQ(roll->itemText(1), "自动滚动到下一场景");
        roll->setCurrentIndex(2);
        QTest::mouseClick(ok, Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.IsFile(), 1);
        EXPECT_EQ(dialog.FilePath(), home_.filePath("a.wmv"));
        EXPECT_EQ(dialog.RollMode(), 2);
    }
    {
        // Devices: only the free ones are offered.
        CTSource scene("现场", "摄像头二", "麦克风", 0);
        CSrcsetDlg dialog(0, &scene);
        dialog.show();
        EXPECT_TRUE(Child<QRadioButton>(&dialog, "deviceScene")->isChecked());
        auto* video = Child<QComboBox>(&dialog, "videoDevice");
        EXPECT_EQ(video->count(), 2);
        EXPECT_EQ(video->findText("摄像头一"), -1);
        EXPECT_EQ(video->currentText(), "摄像头二");
        EXPECT_FALSE(Child<QComboBox>(&dialog, "rollMode")->isEnabled());
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.SceneName(), "现场");
        EXPECT_EQ(dialog.VideoDevice(), "摄像头二");
        EXPECT_EQ(dialog.AudioDevice(), "麦克风");
    }
    {
        // No free audio device: refused.
        Globals().audioDevices[0].flag = 1;
        CSrcsetDlg dialog(1, nullptr);
        dialog.show();
        Child<QLineEdit>(&dialog, "sceneName")->setText("广播");
        Tick(Child<QRadioButton>(&dialog, "deviceScene"));
        QTest::mouseClick(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
        EXPECT_EQ(messages.last(), "没有可用的音频设备！");
        EXPECT_TRUE(dialog.isVisible());
    }
    Globals().videoDevices.clear();
    Globals().audioDevices.clear();
}

}  // namespace
